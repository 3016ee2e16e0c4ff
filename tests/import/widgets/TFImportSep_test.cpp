// The delimited import dialog: its checks, its messages and what an import leaves behind.
#include "RecordingMainView.h"
#include "import/widgets/TFImportSep.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

// A line of a complete taxpayer: surname, first name, PESEL, then empty values up to the
// 108th, every value followed by the separator.
std::string line(const std::string& surname, const std::string& firstName, char separator,
                 const std::string& firstFlag = {}) {
    std::string text = surname + separator + firstName + separator + "80031512370" + separator;
    for (int value = 4; value <= 108; ++value) {
        if (value == 17)
            text += firstFlag;
        text += separator;
    }
    return text + "\r\n";
}

struct SepRig {
    ScriptedUserInterface ui;
    QTemporaryDir dir;
    Workspace workspace;
    RecordingMainView view{workspace.taxpayers};
    TFImportSep dialog{workspace, view, ui};

    template <typename T>
    T* control(const char* name) {
        auto* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QString writeFile(const std::string& text) {
        const QString name = dir.filePath(QStringLiteral("pracownicy.txt"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), qint64(text.size())) != qint64(text.size()))
            qFatal("cannot write the test file");
        return name;
    }
    void importFile(const QString& fileName, const char* separatorButton) {
        control<QLineEdit>("eFilename")->setText(fileName);
        control<QRadioButton>(separatorButton)->setChecked(true);
        control<QPushButton>("btnImport")->click();
    }
};

// Types text key by key, also characters that QTest's key clicks cannot send.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
    }
}

}  // namespace

class TFImportSepTest : public QObject {
    Q_OBJECT

private slots:
    void separatorButtonsReadTheirCharacter_data();
    void separatorButtonsReadTheirCharacter();
    void checksStopBeforeImporting_data();
    void checksStopBeforeImporting();
    void nothingImportedIsReportedAfterClosing();
    void badFlagKeepsTheDialogAndShowsWhatWasRead();
    void otherSeparatorBoxTakesOneCodePageCharacter();
    void browsingFillsTheFileName();
    void keepsItsChoicesBetweenShowings();
};

void TFImportSepTest::separatorButtonsReadTheirCharacter_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<char>("separator");
    QTest::newRow("tab") << "rb1" << QString() << '\t';
    QTest::newRow("bar") << "rb2" << QString() << '|';
    QTest::newRow("semicolon") << "rb3" << QString() << ';';
    QTest::newRow("comma") << "rb4" << QString() << ',';
    QTest::newRow("other: space") << "rb5" << QStringLiteral(" ") << ' ';
    QTest::newRow("other: Polish letter") << "rb5" << QStringLiteral("ą") << '\xB9';
}

void TFImportSepTest::separatorButtonsReadTheirCharacter() {
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(char, separator);
    SepRig rig;
    rig.workspace.taxpayersSaved = true;
    const QString file =
        rig.writeFile(line("NOWAK", "JAN", separator) + line("\xA3UCKA", "ANNA", separator));
    rig.dialog.show();
    rig.control<QLineEdit>("eChar")->setText(typed);

    rig.importFile(file, button.toLatin1().constData());

    QVERIFY2(rig.ui.calls.empty(), qPrintable(rig.ui.transcript()));
    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.workspace.taxpayers.count(), 2);
    QStringList names;
    for (int i = 0; i < rig.workspace.taxpayers.count(); ++i) {
        const TaxpayerRecord& record = rig.workspace.taxpayers.at(i);
        QCOMPARE(record.pesel.str(), std::string("80031512370"));
        QVERIFY(record.nip.empty());
        names << cp1250::toUnicode(record.nazwisko) + QLatin1Char(' ') +
                     cp1250::toUnicode(record.imie1);
    }
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("NOWAK JAN"), QStringLiteral("ŁUCKA ANNA")}));
    QCOMPARE(rig.view.modes, std::vector<ViewMode>{ViewMode::vmTabela});
    QCOMPARE(rig.view.rowsShown, 2);
    QVERIFY(!rig.workspace.taxpayersSaved);  // the close procedure must ask about them
}

void TFImportSepTest::checksStopBeforeImporting_data() {
    QTest::addColumn<QString>("button");  // empty: none chosen
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("message");
    QTest::newRow("no separator") << QString() << QString() << true
                                  << QStringLiteral("Wybierz rodzaj separatora danych");
    QTest::newRow("other without a character") << "rb5" << QString() << true
                                                << QStringLiteral("Nie wpisano znaku separacji");
    QTest::newRow("no file") << "rb3" << QString() << false
                             << QStringLiteral("Plik o podanej nazwie nie istnieje!");
    QTest::newRow("other, no character, no file") << "rb5" << QString() << false
                                                  << QStringLiteral("Nie wpisano znaku separacji");
}

void TFImportSepTest::checksStopBeforeImporting() {
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(bool, fileExists);
    QFETCH(QString, message);
    SepRig rig;
    const QString file = fileExists ? rig.writeFile(line("NOWAK", "JAN", ';'))
                                    : rig.dir.filePath(QStringLiteral("brak.txt"));
    rig.dialog.show();
    rig.control<QLineEdit>("eFilename")->setText(file);
    if (!button.isEmpty())
        rig.control<QRadioButton>(button.toLatin1().constData())->setChecked(true);
    rig.control<QLineEdit>("eChar")->setText(typed);

    rig.control<QPushButton>("btnImport")->click();

    QCOMPARE(int(rig.ui.calls.size()), 1);
    QCOMPARE(rig.ui.last().text, message);
    QCOMPARE(rig.ui.last().title, QStringLiteral("Błąd"));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Warning);
    QVERIFY(rig.dialog.isVisible());
    QVERIFY(rig.workspace.taxpayers.empty());
    QVERIFY(rig.view.modes.empty());
}

void TFImportSepTest::nothingImportedIsReportedAfterClosing() {
    SepRig rig;
    // A line without a separator after the first name loses it and is refused.
    const QString file = rig.writeFile("NOWAK;JAN\r\n\r\n");
    rig.dialog.show();
    bool openWhenReported = true;
    QObject::connect(&rig.dialog, &QDialog::finished, [&] { openWhenReported = false; });

    rig.importFile(file, "rb3");

    QCOMPARE(int(rig.ui.calls.size()), 1);
    QCOMPARE(rig.ui.last().text,
             QStringLiteral("Ze wskazanego pliku nie udało się niczego zaimportować"));
    QVERIFY(!openWhenReported);
    QVERIFY(!rig.dialog.isVisible());
    QVERIFY(rig.workspace.taxpayersSaved);
    QVERIFY(rig.view.modes.empty());  // the register is still empty
}

void TFImportSepTest::badFlagKeepsTheDialogAndShowsWhatWasRead() {
    SepRig rig;
    rig.workspace.taxpayersSaved = true;
    const QString file =
        rig.writeFile(line("NOWAK", "JAN", ';') + line("ADAMSKA", "EWA", ';', "tak"));
    rig.dialog.show();

    rig.importFile(file, "rb3");

    QCOMPARE(int(rig.ui.calls.size()), 1);
    QVERIFY2(rig.ui.last().text.contains(QStringLiteral("tak")), qPrintable(rig.ui.transcript()));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Error);
    QVERIFY(rig.dialog.isVisible());
    // The line before the bad one stays and the table shows it.
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
    QCOMPARE(rig.view.rowsShown, 1);
    QVERIFY(!rig.workspace.taxpayersSaved);
}

void TFImportSepTest::otherSeparatorBoxTakesOneCodePageCharacter() {
    SepRig rig;
    rig.dialog.show();
    auto* eChar = rig.control<QLineEdit>("eChar");
    typeText(eChar, QStringLiteral("#!"));
    QCOMPARE(eChar->text(), QStringLiteral("#"));
    eChar->clear();
    typeText(eChar, QStringLiteral("€"));  // code page 1250 has the euro sign
    QCOMPARE(eChar->text(), QStringLiteral("€"));
    eChar->clear();
    typeText(eChar, QStringLiteral("ñ"));  // it has no ñ: that could never match
    QVERIFY(eChar->text().isEmpty());
}

void TFImportSepTest::browsingFillsTheFileName() {
    SepRig rig;
    rig.ui.fileNames.push_back(QStringLiteral("/dane/pracownicy.txt"));
    rig.control<QToolButton>("btnSelect")->click();
    const UiCall& dialog = rig.ui.last();
    QCOMPARE(dialog.title, QStringLiteral("Wskaż plik do otwarcia"));
    QCOMPARE(dialog.filter, QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"));
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("*.txt"));
    QCOMPARE(rig.control<QLineEdit>("eFilename")->text(), QStringLiteral("/dane/pracownicy.txt"));

    rig.ui.fileNames.push_back(std::nullopt);
    rig.control<QToolButton>("btnSelect")->click();
    QCOMPARE(rig.control<QLineEdit>("eFilename")->text(), QStringLiteral("/dane/pracownicy.txt"));
}

void TFImportSepTest::keepsItsChoicesBetweenShowings() {
    SepRig rig;
    for (const char* button : {"rb1", "rb2", "rb3", "rb4", "rb5"})
        QVERIFY(!rig.control<QRadioButton>(button)->isChecked());
    const QString file = rig.writeFile(line("NOWAK", "JAN", '|'));
    QTimer::singleShot(0, &rig.dialog, [&] { rig.importFile(file, "rb2"); });
    rig.dialog.exec();
    QCOMPARE(rig.workspace.taxpayers.count(), 1);

    QTimer::singleShot(0, &rig.dialog, [&] { rig.control<QPushButton>("Button1")->click(); });
    rig.dialog.exec();

    QCOMPARE(rig.control<QLineEdit>("eFilename")->text(), file);
    QVERIFY(rig.control<QRadioButton>("rb2")->isChecked());
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
}

QTEST_MAIN(TFImportSepTest)
#include "TFImportSep_test.moc"
