#include "ui/FileDialogFilter.h"
#include "ui/HelpLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const char* program;
    const char* qt;
};

class FilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, TranslatesToQtForm) {
    EXPECT_EQ(toQtFileFilter(QString::fromUtf8(GetParam().program)), QString::fromUtf8(GetParam().qt));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTest,
    ::testing::Values(
        // "*.*" would leave out files without an extension
        FilterCase{"Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*",
                   "Pliki tekstowe w formacie INI (*.txt);;Wszystkie pliki (*)"},
        // descriptions that already name their patterns are not doubled
        FilterCase{"Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*",
                   "Pliki tekstowe w formacie INI (*.txt);;Wszystkie pliki (*)"},
        FilterCase{"Dane (*.dat;*.*)|*.dat;*.*", "Dane (*.dat *)"},
        FilterCase{"Bazy Płatnika|*.mdb;*.MDB", "Bazy Płatnika (*.mdb *.MDB)"},
        FilterCase{"Dane|", "Dane (*)"},
        FilterCase{"", ""}));

struct SuffixCase {
    const char* program;
    const char* qt;
};

class SuffixTest : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(SuffixTest, TranslatesToQtForm) {
    EXPECT_EQ(toQtDefaultSuffix(QString::fromUtf8(GetParam().program)), QString::fromUtf8(GetParam().qt));
}

INSTANTIATE_TEST_SUITE_P(Suffixes, SuffixTest,
                         ::testing::Values(SuffixCase{"*.txt", "txt"}, SuffixCase{".ini", "ini"},
                                           SuffixCase{"txt", "txt"}, SuffixCase{"*.*", ""},
                                           SuffixCase{"*", ""}, SuffixCase{"", ""}));

class HelpTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void page(const QString& path) {
        QDir().mkpath(QFileInfo(dir.filePath(path)).absolutePath());
        QFile f(dir.filePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html></html>");
    }
};

TEST_F(HelpTest, InstalledFolderComesFirst) {
    page("share/help/index.html");
    page("src/resources/help/index.html");
    EXPECT_EQ(findHelpFolder(dir.filePath("share/help"), dir.filePath("src/build/app")),
              QDir(dir.filePath("share/help")).absolutePath());
}

TEST_F(HelpTest, BuildTreeFindsTheSourceTreePages) {
    page("src/resources/help/index.html");
    QDir().mkpath(dir.filePath("src/build-x/src"));
    EXPECT_EQ(findHelpFolder(dir.filePath("nowhere"), dir.filePath("src/build-x/src")),
              QDir(dir.filePath("src/resources/help")).absolutePath());
}

TEST_F(HelpTest, NoPagesAnywhereGivesEmpty) {
    QDir().mkpath(dir.filePath("bin"));
    page("resources/help/other.html");  // a folder without a contents page does not count
    EXPECT_TRUE(findHelpFolder(dir.filePath("nowhere"), dir.filePath("bin")).isEmpty());
}

TEST_F(HelpTest, TopicsMapToPagesOrAnchors) {
    page("help/index.html");
    page("help/3.html");
    const QString folder = dir.filePath("help");
    EXPECT_EQ(helpTopicUrl(folder, ""), QUrl::fromLocalFile(QDir(folder).filePath("index.html")));
    EXPECT_EQ(helpTopicUrl(folder, "3"), QUrl::fromLocalFile(QDir(folder).filePath("3.html")));
    QUrl anchor = QUrl::fromLocalFile(QDir(folder).filePath("index.html"));
    anchor.setFragment("7");
    EXPECT_EQ(helpTopicUrl(folder, "7"), anchor);
}

}  // namespace
