#include "edit/TaxOfficeList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(TaxOfficeListTest, ReadsEveryLineInFileOrderIncludingEmptyOnes) {
    const QStringList lines = TaxOfficeList::parse("US Zabrze\r\n\r\nUS Bielsko-Biala\nUS Andrych\xF3w\n");
    EXPECT_EQ(lines, (QStringList{"US Zabrze", "", "US Bielsko-Biala", QStringLiteral("US Andrychów")}));
}

TEST(TaxOfficeListTest, LastLineWithoutNewlineCounts) {
    EXPECT_EQ(TaxOfficeList::parse("A\nB"), (QStringList{"A", "B"}));
    EXPECT_TRUE(TaxOfficeList::parse("").isEmpty());
}

TEST(TaxOfficeListTest, DecodesCodePage1250) {
    // "Łódź" and "Śródmieście" in code page 1250.
    const QStringList lines = TaxOfficeList::parse("US \xA3\xF3\x64\x9F\nUS \x8Cr\xF3\x64mie\x9C\x63ie\n");
    EXPECT_EQ(lines, (QStringList{QStringLiteral("US Łódź"), QStringLiteral("US Śródmieście")}));
}

TEST(TaxOfficeListTest, ReadsUtf8AndReplacesWhatCodePage1250Lacks) {
    EXPECT_EQ(TaxOfficeList::parse(QStringLiteral("US Łódź\n").toUtf8()), QStringList{QStringLiteral("US Łódź")});
    EXPECT_EQ(TaxOfficeList::parse("\xEF\xBB\xBFUS A\n"), QStringList{"US A"});  // byte-order mark dropped
    EXPECT_EQ(TaxOfficeList::parse("\xEF\xBB\xBF" + QStringLiteral("US Ø€\n").toUtf8()), QStringList{QStringLiteral("US ?€")});
    // Code page 1250 that happens to be valid UTF-8 ("ÓŁ" is D3 A3) is not taken for UTF-8.
    EXPECT_EQ(TaxOfficeList::parse("US G\xD3\xA3KA\n"), QStringList{QStringLiteral("US GÓŁKA")});
}

TEST(TaxOfficeListTest, StopsAtBinaryData) {
    bool binary = false;
    const QStringList lines = TaxOfficeList::parse(QByteArray("US A\nUS B\nx\0y\nUS C\n", 19), &binary);
    EXPECT_TRUE(binary);
    EXPECT_EQ(lines, (QStringList{"US A", "US B"}));
}

TEST(TaxOfficeListTest, LoadsTheFirstExistingCandidate) {
    QTemporaryDir dir;
    const QString second = Write(dir, "second.lst", "US Drugi\n");
    const QString third = Write(dir, "third.lst", "US Trzeci\n");
    TaxOfficeList list;
    const auto result = list.load({dir.filePath("missing.lst"), second, third});
    EXPECT_EQ(result.path, second);
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(list.entries(), QStringList{"US Drugi"});
}

TEST(TaxOfficeListTest, NoFileAnywhereGivesAnEmptyListWithoutMessage) {
    QTemporaryDir dir;
    TaxOfficeList list;
    const auto result = list.load({dir.filePath("none.lst")});
    EXPECT_TRUE(result.path.isEmpty());
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_TRUE(list.entries().isEmpty());
}

TEST(TaxOfficeListTest, ProblemFilesGiveAMessageAndWhatCouldBeRead) {
    QTemporaryDir dir;
    {
        TaxOfficeList list;  // a folder where the file should be
        QDir(dir.path()).mkdir("us.lst");
        const auto result = list.load({dir.filePath("us.lst")});
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_TRUE(list.entries().isEmpty());
    }
    {
        TaxOfficeList list;  // binary content
        const auto result = list.load({Write(dir, "bin.lst", QByteArray("US A\n\0\0\0\1\2", 10))});
        EXPECT_TRUE(result.error.contains("binarne"));
        EXPECT_EQ(list.entries(), QStringList{"US A"});
    }
    {
        TaxOfficeList list;  // far too big: the first megabyte, whole lines only
        QByteArray big;
        while (big.size() <= TaxOfficeList::kMaxFileSize)
            big += "US Urzad Skarbowy w Miejscowosci\n";
        const auto result = list.load({Write(dir, "big.lst", big)});
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_GT(list.entries().size(), 1000);
        EXPECT_EQ(list.entries().last(), "US Urzad Skarbowy w Miejscowosci");
    }
    if (QFile::exists("/dev/null")) {
        QFile locked(Write(dir, "locked.lst", "US A\n"));
        locked.setPermissions(QFileDevice::Permissions());
        if (!locked.open(QIODevice::ReadOnly)) {  // root reads anything; then there is nothing to test
            TaxOfficeList list;
            const auto result = list.load({locked.fileName()});
            EXPECT_TRUE(result.error.contains("Nie można odczytać"));
        }
    }
}

TEST(TaxOfficeListTest, GrowsByNewOfficesOnly) {
    TaxOfficeList list;
    list.replace({"US Zabrze", "US Gliwice"});
    EXPECT_TRUE(list.addIfNew(QStringLiteral("US Łódź-Bałuty")));
    EXPECT_FALSE(list.addIfNew(QStringLiteral("us łódź-bałuty")));  // letter case ignored
    EXPECT_FALSE(list.addIfNew("US ZABRZE"));
    EXPECT_FALSE(list.addIfNew(""));
    EXPECT_EQ(list.entries(), (QStringList{"US Zabrze", "US Gliwice", QStringLiteral("US Łódź-Bałuty")}));
}

TEST(TaxOfficeListTest, CandidatesStartInTheWorkingDirectoryThenTheDataFolder) {
    const QStringList candidates = TaxOfficeList::defaultCandidates(QString());
    ASSERT_GE(candidates.size(), 2);
    EXPECT_EQ(candidates.at(0), QDir::current().filePath("us.lst"));
    EXPECT_EQ(candidates.at(1), QStringLiteral(FISKON_DATA_DIR "/us.lst"));
}

TEST(TaxOfficeListTest, ABuildTreeFindsTheSourceTreeList) {
    QTemporaryDir build;
    QDir(build.path()).mkpath("src/sub");
    Write(build, "CMakeCache.txt", "FOO:BOOL=ON\nCMAKE_HOME_DIRECTORY:INTERNAL=/where/the/source/is\n");
    const QStringList candidates = TaxOfficeList::defaultCandidates(build.filePath("src/sub"));
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates.at(2), QStringLiteral("/where/the/source/is/resources/us.lst"));
}

}  // namespace

namespace {

struct OfficeMatchCase {
    const char* office;
    const char* typed;
    bool found;
};

class TaxOfficeMatchTest : public ::testing::TestWithParam<OfficeMatchCase> {};

TEST_P(TaxOfficeMatchTest, FindsAnyPartOfTheNameWhateverTheCaseAndMarks) {
    const OfficeMatchCase& c = GetParam();
    EXPECT_EQ(TaxOfficeList::matches(QString::fromUtf8(c.office), QString::fromUtf8(c.typed)), c.found)
        << c.office << " / " << c.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TaxOfficeMatchTest,
    ::testing::Values(OfficeMatchCase{"Pierwszy Urząd Skarbowy w Gdyni", "gdyni", true},
                      OfficeMatchCase{"Pierwszy Urząd Skarbowy w Gdyni", "GDYNI", true},
                      OfficeMatchCase{"Pierwszy Urząd Skarbowy w Gdyni", "urzad skarb", true},
                      OfficeMatchCase{"Urząd Skarbowy Łódź-Bałuty", "lodz", true},
                      OfficeMatchCase{"Urząd Skarbowy Łódź-Bałuty", "ŁÓDŹ-BAŁ", true},
                      OfficeMatchCase{"Urząd Skarbowy Łódź-Bałuty", "łodz-baluty", true},
                      OfficeMatchCase{"Urząd Skarbowy w Żyrardowie", "zyrard", true},
                      OfficeMatchCase{"Urząd Skarbowy w Śremie", "sREM", true},
                      OfficeMatchCase{"Urząd Skarbowy w Końskich", "konsk", true},
                      OfficeMatchCase{"Urząd Skarbowy w Gdańsku", "gdyni", false},
                      OfficeMatchCase{"Urząd Skarbowy Łódź-Bałuty", "lodzb", false},
                      OfficeMatchCase{"Urząd Skarbowy w Zabrzu", "", true},
                      OfficeMatchCase{"", "a", false}));

}  // namespace
