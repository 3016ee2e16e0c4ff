// What the package ships besides the programs: the help pages, the sample files and the desktop
// entry. A renamed page, a lost anchor or a sample file that the program no longer reads the same
// way is caught here rather than by a user.

#include "edit/AmountCalculations.h"
#include "import/DelimitedImport.h"
#include "store/Cp1250.h"
#include "store/DataFileCommands.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"
#include "ui/HelpLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const QString kSourceDir = QStringLiteral(FISKON_TEST_FIXTURES "/../..");
QString helpDir() { return QDir(kSourceDir).filePath(QStringLiteral("resources/help")); }
QString example(const char* name) { return QDir(kSourceDir).filePath(QStringLiteral("examples/") + name); }

QByteArray readAll(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString text(std::string_view bytes) { return cp1250::toUnicode(bytes); }

QStringList matches(const QString& html, const QString& pattern) {
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(html);
    while (it.hasNext()) found << it.next().captured(1);
    return found;
}

std::map<QString, QString> helpPages() {
    std::map<QString, QString> pages;
    for (const QString& name : QDir(helpDir()).entryList({QStringLiteral("*.html")}, QDir::Files))
        pages[name] = QString::fromUtf8(readAll(QDir(helpDir()).filePath(name)));
    return pages;
}

}  // namespace

TEST(HelpPages, EveryLocalLinkReachesAnExistingPageAndAnchor) {
    const auto pages = helpPages();
    ASSERT_GE(pages.size(), 10u);
    std::map<QString, std::set<QString>> anchors;
    for (const auto& [name, html] : pages)
        for (const QString& id : matches(html, QStringLiteral("id=\"([^\"]+)\""))) anchors[name].insert(id);

    for (const auto& [name, html] : pages) {
        for (const QString& link : matches(html, QStringLiteral("(?:href|url)=\"?([^\">; ]+)"))) {
            if (link.contains(QLatin1Char(':'))) continue;  // mailto:, http: — none expected
            const QString page = link.section(QLatin1Char('#'), 0, 0).isEmpty() ? name : link.section(QLatin1Char('#'), 0, 0);
            const QString anchor = link.section(QLatin1Char('#'), 1);
            ASSERT_TRUE(QFileInfo::exists(QDir(helpDir()).filePath(page)))
                << name.toStdString() << " links to missing " << link.toStdString();
            if (!anchor.isEmpty() && page.endsWith(QLatin1String(".html"))) {
                EXPECT_TRUE(anchors[page].count(anchor))
                    << name.toStdString() << " links to missing anchor " << link.toStdString();
            }
        }
    }
}

TEST(HelpPages, ContentsPageLeadsToEveryPageAndNoPageNeedsTheNetwork) {
    const auto pages = helpPages();
    const QString contents = pages.at(QStringLiteral("index.html"));
    for (const auto& [name, html] : pages) {
        if (name != QLatin1String("index.html") && name != QLatin1String("3.html")) {
            EXPECT_TRUE(contents.contains(QStringLiteral("href=\"") + name)) << name.toStdString() << " not in the contents";
        }
        EXPECT_FALSE(html.contains(QLatin1String("http://")) || html.contains(QLatin1String("https://")))
            << name.toStdString() << " refers to the network";
        EXPECT_TRUE(html.contains(QLatin1String("<meta charset=\"utf-8\">"))) << name.toStdString();
    }
}

TEST(HelpPages, ImportDialogsTopicLeadsToTheDatabaseFileAndPasswordSection) {
    const QUrl url = helpTopicUrl(helpDir(), QStringLiteral("3"));
    ASSERT_TRUE(url.isLocalFile());
    const QString page = QString::fromUtf8(readAll(url.toLocalFile()));
    ASSERT_FALSE(page.isEmpty()) << url.toString().toStdString();
    EXPECT_TRUE(page.contains(QLatin1String("url=import.html#haslo-i-plik")));
    const QString import = helpPages().at(QStringLiteral("import.html"));
    EXPECT_TRUE(import.contains(QLatin1String("id=\"haslo-i-plik\"")));
    EXPECT_TRUE(import.contains(QStringLiteral("PŁATNIK.MDB")));
}

TEST(Examples, TaxpayerFileOpensAndSavesBackByteForByte) {
    Workspace workspace;
    ASSERT_TRUE(OpenTaxpayersFile(workspace.taxpayers, example("podatnicy.txt")).usable);
    ASSERT_EQ(workspace.taxpayers.count(), 4);
    EXPECT_EQ(text(workspace.taxpayers.at(1).nazwisko), QStringLiteral("NOWAK"));
    EXPECT_EQ(text(workspace.taxpayers.at(3).imie1), QStringLiteral("ELŻBIETA"));

    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("podatnicy.txt"));
    SaveTaxpayersFile(workspace, saved);
    EXPECT_EQ(readAll(saved), readAll(example("podatnicy.txt")));
    EXPECT_TRUE(readAll(saved).contains("\r\n"));
}

TEST(Examples, AmountsAreWhatTheEditFormComputes) {
    TaxpayerRegister taxpayers;
    ASSERT_TRUE(LoadFromFile(taxpayers, example("podatnicy.txt")));
    int withAmounts = 0;
    for (int i = 0; i < taxpayers.count(); ++i) {
        const TaxpayerRecord& shipped = taxpayers.at(i);
        if (shipped.p40Box(35).view().empty()) continue;
        ++withAmounts;
        TaxpayerRecord recomputed = shipped;
        RecomputeRecord(recomputed);
        for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
            EXPECT_EQ(recomputed.p11Box(box), shipped.p11Box(box)) << "p11_" << box << " of record " << i;
        for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
            EXPECT_EQ(recomputed.p40Box(box), shipped.p40Box(box)) << "p40_" << box << " of record " << i;
    }
    EXPECT_EQ(withAmounts, 3);
}

TEST(Examples, DelimitedFileHoldsTheSameTaxpayersWithoutTheirPeriod) {
    TaxpayerRegister fromFile;
    ASSERT_TRUE(LoadFromFile(fromFile, example("podatnicy.txt")));
    TaxpayerRegister imported;
    ASSERT_TRUE(ImportDelimited(imported, example("podatnicy-srednik.txt"), ';'));
    ASSERT_EQ(imported.count(), fromFile.count());
    for (int i = 0; i < imported.count(); ++i) {
        TaxpayerRecord expected = fromFile.at(i);
        expected.pit11_od = "";
        expected.pit11_do = "";
        const TaxpayerRecord& got = imported.at(i);
        EXPECT_EQ(got.nazwisko, expected.nazwisko);
        EXPECT_EQ(got.pesel, expected.pesel);
        EXPECT_EQ(got.nip, expected.nip);
        EXPECT_EQ(got.us, expected.us);
        EXPECT_EQ(got.kodPoczt, expected.kodPoczt);
        EXPECT_EQ(got.pit11_33, expected.pit11_33);
        EXPECT_EQ(got.pit40_34, expected.pit40_34);
        EXPECT_EQ(got.pit11_od, expected.pit11_od);
        EXPECT_EQ(got.p11, expected.p11);
        EXPECT_EQ(got.p40, expected.p40);
    }
}

TEST(Examples, PayerFileLoadsAFirm) {
    PayerRecord payer;
    LoadFromFile(payer, example("platnik.txt"));
    EXPECT_EQ(payer.rodzaj, 1);
    EXPECT_EQ(text(payer.NIP), QStringLiteral("677-120-03-49"));
    EXPECT_EQ(text(payer.nazwa), QStringLiteral("PRZEDSIĘBIORSTWO USŁUGOWE WAWELSKI SPÓŁKA Z O.O."));
    EXPECT_EQ(text(payer.kodPoczt), QStringLiteral("31-010"));
}

TEST(DesktopEntry, LaunchesTheProgramWithItsIconInTheOfficeMenuAndOpensADataFile) {
    const QString entry = QString::fromUtf8(readAll(QDir(kSourceDir).filePath(QStringLiteral("resources/fiskon.desktop"))));
    ASSERT_TRUE(entry.startsWith(QLatin1String("[Desktop Entry]\n")));
    for (const char* line : {"Type=Application", "Exec=fiskon %f", "MimeType=application/x-fiskon-podatnicy;application/x-fiskon-platnik;",
                             "Icon=fiskon", "Categories=Office;Finance;", "Terminal=false"})
        EXPECT_TRUE(entry.contains(QLatin1Char('\n') + QString::fromLatin1(line) + QLatin1Char('\n'))) << line;
    // The types it claims are its own, defined in the package as kinds of text known by their first
    // section as the program writes it.
    const QString types = QString::fromUtf8(readAll(QDir(kSourceDir).filePath(QStringLiteral("resources/mime/fiskon.xml"))));
    for (const char* part : {"<mime-type type=\"application/x-fiskon-podatnicy\">", "<mime-type type=\"application/x-fiskon-platnik\">",
                             "value=\"[s1]\\r\\nnazwisko=\"", "value=\"[Platnik]\\r\\nrodzaj=\"", "<sub-class-of type=\"text/plain\"/>"})
        EXPECT_TRUE(types.contains(QLatin1String(part))) << part;
    EXPECT_FALSE(types.contains(QLatin1String("<glob"))) << "a name pattern would take every text file of that name";
    EXPECT_TRUE(entry.contains(QLatin1String("\nName[pl]=")));
    EXPECT_TRUE(entry.contains(QLatin1String("\nComment[pl]=")));

    const QDir icons(QDir(kSourceDir).filePath(QStringLiteral("resources/icons")));
    EXPECT_TRUE(icons.exists(QStringLiteral("fiskon.svg")));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString png = QStringLiteral("hicolor/%1x%1/apps/fiskon.png").arg(size);
        EXPECT_TRUE(readAll(icons.filePath(png)).startsWith("\x89PNG")) << png.toStdString();
    }
}
