// The payer form driven through its controls, with the scripted user interface answering.

#include "app/TFMain.h"
#include "edit/widgets/TFPlatnik.h"
#include "store/Cp1250.h"
#include "store/PayerRecord.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

PayerRecord samplePayer() {
    PayerRecord payer;
    payer.rodzaj = 1;
    payer.NIP = "123-456-78-90";
    payer.regon = "123456789";
    payer.nazwa = cp1250::fromUnicode(u"ZAKŁAD USŁUG ŻÓŁW SP. Z O.O.");
    payer.kraj = "POLSKA";
    payer.wojewodztwo = cp1250::fromUnicode(u"ŁÓDZKIE");
    payer.powiat = "ZGIERSKI";
    payer.gmina = "ZGIERZ";
    payer.ulica = cp1250::fromUnicode(u"DŁUGA");
    payer.nrDomu = "12A";
    payer.nrLok = "3";
    payer.miejscowosc = "ZGIERZ";
    payer.kodPoczt = "95-100";
    payer.poczta = "ZGIERZ";
    return payer;
}

bool samePayer(const PayerRecord& a, const PayerRecord& b) {
    return a.rodzaj == b.rodzaj && a.NIP == b.NIP && a.nazwa == b.nazwa && a.kraj == b.kraj &&
           a.wojewodztwo == b.wojewodztwo && a.powiat == b.powiat && a.gmina == b.gmina && a.ulica == b.ulica &&
           a.nrDomu == b.nrDomu && a.nrLok == b.nrLok && a.miejscowosc == b.miejscowosc &&
           a.kodPoczt == b.kodPoczt && a.poczta == b.poczta;
}

}  // namespace

class TFPlatnikTest : public QObject {
    Q_OBJECT

private:
    QLineEdit* field(TFPlatnik& form, const char* name) {
        return form.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;

private slots:
    void everyControlCarriesItsName() {
        Workspace workspace;
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        QCOMPARE(form.windowTitle(), QStringLiteral("Dane Płatnika Składek"));
        for (const char* name : {"eNIP", "eNazwa", "eKraj", "ePowiat", "eGmina", "eUlica", "eNrDomu", "eNrLokalu",
                                 "eMiejscowosc", "eKodPocztowy", "ePoczta"})
            QVERIFY2(field(form, name), name);
        const std::pair<const char*, const char*> buttons[] = {
            {"btnZapisz", "Zapi&sz"}, {"btnWczytaj", "&Wczytaj"}, {"btnCancel", "&Anuluj"}, {"btnOK", "&Zatwierdź"}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(form.findChild<QPushButton*>(QString::fromLatin1(name))->text(), QString::fromUtf8(caption));
        QVERIFY(form.findChild<QPushButton*>(QStringLiteral("btnOK"))->isDefault());
        auto* eWoj = form.findChild<QComboBox*>(QStringLiteral("eWoj"));
        QCOMPARE(eWoj->count(), 16);
        QCOMPARE(eWoj->itemText(4), QStringLiteral("ŁÓDZKIE"));
        QCOMPARE(form.findChild<QRadioButton*>(QStringLiteral("RB2"))->text(), QStringLiteral("Osoba fizyczna"));
    }

    void typedLettersBecomeCapitalsAndFieldsKeepTheirWidth() {
        Workspace workspace;
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        QTest::keyClicks(field(form, "eMiejscowosc"), QStringLiteral("lodz"));
        field(form, "eMiejscowosc")->insert(QStringLiteral("ół"));
        QCOMPARE(field(form, "eMiejscowosc")->text(), QStringLiteral("LODZÓŁ"));
        // "µ" has a capital that code page 1250 lacks: it stays as typed and is stored as such.
        QTest::keyClicks(field(form, "eNazwa"), QStringLiteral("µg"));
        QCOMPARE(field(form, "eNazwa")->text(), QStringLiteral("µG"));
        form.btnOKClick();
        QCOMPARE(workspace.payer.nazwa.str(), std::string("\xB5G"));
        QCOMPARE(field(form, "eNazwa")->maxLength(), 255);
        QCOMPARE(field(form, "eNrLokalu")->maxLength(), 15);
    }

    void confirmingUntouchedStoresTheRecordAsItWas() {
        Workspace workspace;
        workspace.payer = samplePayer();
        workspace.payer.kodPoczt.clear();  // comes back through the mask
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.FormShow();
        form.btnOKClick();
        PayerRecord expected = samplePayer();
        expected.kodPoczt = "  -   ";
        QVERIFY(samePayer(workspace.payer, expected));
        QCOMPARE(workspace.payer.regon.str(), std::string("123456789"));  // not shown, not changed
    }

    void storingFollowsTheMasksAndTheList() {
        Workspace workspace;
        workspace.payer.wojewodztwo = "mazowieckie";  // found without regard to case
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.FormShow();
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("eWoj"))->currentText(), QStringLiteral("MAZOWIECKIE"));
        form.btnOKClick();
        QCOMPARE(workspace.payer.wojewodztwo.str(), std::string("MAZOWIECKIE"));
        QVERIFY(workspace.payer.NIP.empty());  // a blank NIP stores nothing
        QCOMPARE(workspace.payer.rodzaj, std::uint8_t{0});

        workspace.payer.wojewodztwo = "BAWARIA";
        form.FormShow();
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("eWoj"))->currentIndex(), -1);
        field(form, "eNIP")->setCursorPosition(0);
        QTest::keyClicks(field(form, "eNIP"), QStringLiteral("12345"));
        form.findChild<QRadioButton*>(QStringLiteral("RB2"))->setChecked(true);
        form.btnOKClick();
        QVERIFY(workspace.payer.wojewodztwo.empty());
        QCOMPARE(workspace.payer.NIP.str(), std::string("123-45 -  -  "));  // partly typed: as it stands
        QCOMPARE(workspace.payer.rodzaj, std::uint8_t{2});
    }

    void modifiedFlagDecidesPayerSaved() {
        Workspace workspace;
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.FormShow();
        QVERIFY(!form.modified());
        form.btnOKClick();
        QVERIFY(workspace.payerSaved);

        QTest::keyClicks(field(form, "eGmina"), QStringLiteral("x"));
        QVERIFY(form.modified());
        form.btnOKClick();
        QVERIFY(!workspace.payerSaved);

        // Choosing only the payer's kind is a change too: the close procedure then asks about it.
        Workspace kindOnly;
        TFPlatnik kindForm(kindOnly, ui);
        kindForm.FormShow();
        QTest::mouseClick(kindForm.findChild<QRadioButton*>(QStringLiteral("RB2")), Qt::LeftButton);
        QVERIFY(kindForm.modified());
        kindForm.btnOKClick();
        QVERIFY(!kindOnly.payerSaved);
        QCOMPARE(kindOnly.payer.rodzaj, std::uint8_t{2});

        // A record changed elsewhere (an import) changes the fields when shown: that counts too.
        Workspace imported;
        TFPlatnik other(imported, ui);
        imported.payer = samplePayer();
        other.FormShow();
        QVERIFY(other.modified());
        other.findChild<QComboBox*>(QStringLiteral("eWoj"))->setCurrentIndex(2);
        other.btnOKClick();
        QVERIFY(!imported.payerSaved);
        QCOMPARE(imported.payer.wojewodztwo.str(), std::string("LUBELSKIE"));
    }

    void restoringTheMinimisedFormKeepsTheTypedEdits() {
        Workspace workspace;
        workspace.payer = samplePayer();
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        field(form, "eNazwa")->setText(QStringLiteral("NOWA NAZWA"));
        QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("RB2")), Qt::LeftButton);
        form.showMinimized();
        form.showNormal();
        QCOMPARE(field(form, "eNazwa")->text(), QStringLiteral("NOWA NAZWA"));
        QVERIFY(form.findChild<QRadioButton*>(QStringLiteral("RB2"))->isChecked());
        form.btnOKClick();
        QCOMPARE(workspace.payer.nazwa.str(), std::string("NOWA NAZWA"));
        QCOMPARE(workspace.payer.rodzaj, std::uint8_t{2});
        // Opened again, the form shows the record afresh.
        workspace.payer.nazwa = "INNA";
        form.show();
        QCOMPARE(field(form, "eNazwa")->text(), QStringLiteral("INNA"));
        form.hide();
    }

    void cancelRestoresTheControlsAndKeepsTheRecord() {
        Workspace workspace;
        workspace.payer = samplePayer();
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.FormShow();
        field(form, "eNazwa")->setText(QStringLiteral("INNA"));
        form.btnCancelClick();
        QVERIFY(samePayer(workspace.payer, samplePayer()));
        QCOMPARE(field(form, "eNazwa")->text(), QStringLiteral("ZAKŁAD USŁUG ŻÓŁW SP. Z O.O."));
    }

    void saveAndLoadRoundTrip() {
        Workspace workspace;
        workspace.payer = samplePayer();
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.show();  // saving from the open dialog stores its controls
        field(form, "eUlica")->setText(QStringLiteral("KRÓTKA"));
        ui.fileNames.push_back(path("platnik.txt"));
        QVERIFY(form.btnZapiszClick());
        const UiCall save = ui.last();
        QCOMPARE(save.kind, UiCall::SaveFile);
        QCOMPARE(save.title, QStringLiteral("Zapisywanie danych Płatnika składek..."));
        QCOMPARE(save.filter, QStringLiteral("Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"));
        QCOMPARE(save.defaultSuffix, QStringLiteral("*.txt"));
        QVERIFY(!form.modified());
        QVERIFY(workspace.payerSaved);
        const QByteArray file = readFile(path("platnik.txt"));
        QVERIFY(file.startsWith("[Platnik]\r\nrodzaj=1\r\nnazwa=ZAK\xA3" "AD US\xA3UG \xAF\xD3\xA3W SP. Z O.O.\r\n"));
        QVERIFY(file.contains("ulica=KR\xD3TKA\r\n"));

        // Cancelled afterwards: the record keeps what was saved.
        form.btnCancelClick();
        QCOMPARE(workspace.payer.ulica.str(), std::string("KR\xD3TKA"));

        workspace.payer = PayerRecord();
        workspace.payer.regon = "999";
        form.FormShow();
        ui.fileNames.push_back(path("platnik.txt"));
        form.btnWczytajClick();
        const UiCall open = ui.last();
        QCOMPARE(open.kind, UiCall::OpenFile);
        QVERIFY(open.title.isEmpty());
        QCOMPARE(open.filter, QStringLiteral("Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*"));
        QCOMPARE(open.defaultSuffix, QStringLiteral("*.txt"));
        PayerRecord expected = samplePayer();
        expected.ulica = "KR\xD3TKA";
        QVERIFY(samePayer(workspace.payer, expected));
        QCOMPARE(workspace.payer.regon.str(), std::string("999"));
        QCOMPARE(field(form, "eUlica")->text(), QStringLiteral("KRÓTKA"));
        QVERIFY(!form.modified());  // what was just read is in that file
        form.btnCancelClick();       // the loaded record stays
        QVERIFY(samePayer(workspace.payer, expected));
        QVERIFY(workspace.payerSaved);
        QVERIFY(ui.allAnswersUsed());
    }

    void cancelledFileChoicesChangeNothingButTheStoredEdits() {
        Workspace workspace;
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.show();  // saving from the open dialog stores its controls
        field(form, "eNazwa")->setText(QStringLiteral("NOWA"));
        ui.fileNames.push_back(std::nullopt);
        QVERIFY(!form.btnZapiszClick());
        QCOMPARE(workspace.payer.nazwa.str(), std::string("NOWA"));  // stored before the file choice
        QVERIFY(form.modified());
        QVERIFY(!workspace.payerSaved);  // so the close procedure still asks about it
        ui.fileNames.push_back(std::nullopt);
        form.btnWczytajClick();
        QCOMPARE(workspace.payer.nazwa.str(), std::string("NOWA"));
    }

    void failuresAreReportedAndLoseNothing() {
        Workspace workspace;
        workspace.payer = samplePayer();
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.show();  // saving from the open dialog stores its controls
        writeFile(path("bad.txt"), "[Platnik]\r\nRodzaj=osoba\r\nnazwa=X\r\n");
        ui.fileNames.push_back(path("bad.txt"));
        form.btnWczytajClick();
        QCOMPARE(ui.count(UiCall::Message), 1);
        QCOMPARE(ui.last().icon, MessageIcon::Error);
        QVERIFY(samePayer(workspace.payer, samplePayer()));
        // A file without the payer's data is said to be one; it does not empty the payer.
        writeFile(path("bez.txt"), "[Parametry]\r\nLiczbaRekordow=0\r\n");
        ui.fileNames.push_back(path("bez.txt"));
        form.btnWczytajClick();
        QCOMPARE(ui.count(UiCall::Message), 2);
        QCOMPARE(ui.last().text, QStringLiteral("Plik „%1” nie zawiera danych płatnika (brak sekcji [Platnik]).").arg(path("bez.txt")));
        QVERIFY(samePayer(workspace.payer, samplePayer()));

        field(form, "ePoczta")->setText(QStringLiteral("GDZIEŚ"));
        ui.fileNames.push_back(path("no/such/folder/p.txt"));
        QVERIFY(!form.btnZapiszClick());
        QCOMPARE(ui.count(UiCall::Message), 3);
        QVERIFY(form.modified());
        QVERIFY(!workspace.payerSaved);
        QCOMPARE(field(form, "ePoczta")->text(), QStringLiteral("GDZIEŚ"));
    }

    // Another program (or another Fiskon) writes the payer file after it was loaded: the form's
    // save asks; "Anuluj" writes nothing and keeps the edits unsaved, "Zastąp" writes.
    void aPayerFileChangedSinceItWasLoadedIsAskedAbout() {
        writeFile(path("zmieniany.txt"), "[Platnik]\r\nrodzaj=2\r\nnazwa=KOWALSKA EWA 1985-01-01\r\nNIP=111-222-33-44\r\n\r\n");
        Workspace workspace;
        ScriptedUserInterface ui;
        TFPlatnik form(workspace, ui);
        form.show();
        ui.fileNames.push_back(path("zmieniany.txt"));
        form.btnWczytajClick();
        QCOMPARE(workspace.payer.NIP.str(), std::string("111-222-33-44"));
        QCOMPARE(workspace.payerFileName, path("zmieniany.txt"));
        const QByteArray others = "[Platnik]\r\nrodzaj=2\r\nnazwa=KOWALSKA EWA 1985-01-02\r\nNIP=111-222-33-44\r\n\r\n";
        writeFile(path("zmieniany.txt"), others);  // the same length, one digit other

        field(form, "eUlica")->setText(QStringLiteral("SZEROKA"));
        ui.fileNames.push_back(path("zmieniany.txt"));
        ui.choices = {2};
        QVERIFY(!form.btnZapiszClick());
        QCOMPARE(ui.callsOf(UiCall::SaveFile).back().initialPath, path("zmieniany.txt"));
        const UiCall asked = ui.callsOf(UiCall::Choose).back();
        QCOMPARE(asked.title, QStringLiteral("Uwaga!"));
        QCOMPARE(asked.text, QStringLiteral("Plik „%1” został zmieniony przez inny program po otwarciu go w programie "
                                            "Fiskon.").arg(path("zmieniany.txt")));
        QCOMPARE(asked.buttons, QStringList({QStringLiteral("Zastąp"), QStringLiteral("Zapisz pod inną nazwą…"),
                                             QStringLiteral("Anuluj")}));
        QCOMPARE(readFile(path("zmieniany.txt")), others);
        QVERIFY(form.modified());
        QVERIFY(!workspace.payerSaved);

        ui.fileNames.push_back(path("zmieniany.txt"));
        ui.choices = {0};
        QVERIFY(form.btnZapiszClick());
        QVERIFY(readFile(path("zmieniany.txt")).contains("ulica=SZEROKA\r\n"));
        QVERIFY(workspace.payerSaved);
        // What the form wrote is what it compares with next: no question.
        ui.fileNames.push_back(path("zmieniany.txt"));
        QVERIFY(form.btnZapiszClick());
        QCOMPARE(ui.count(UiCall::Choose), 2);
        QVERIFY(ui.allAnswersUsed());
    }

    void closeProcedureSavesThePayerThroughTheForm() {
        ScriptedUserInterface ui;
        TFMain main(ui);
        TFPlatnik form(main.workspace(), ui, &main);
        main.windows().platnik = &form;
        main.windows().savePayer = [&form] { form.btnZapiszClick(); };
        // The payer is filled (as by an import) while the form is closed and shows nothing.
        main.workspace().payer = samplePayer();
        main.workspace().payerSaved = false;

        ui.answers = {true, false};  // save the payer: Yes; quit: No
        ui.fileNames.push_back(path("exit.txt"));
        QVERIFY(!main.CloseQuery());
        QCOMPARE(ui.count(UiCall::Ask, QStringLiteral("Dane Płatnika nie zostały zapisane. Czy chcesz je zapisać?")), 1);
        QCOMPARE(ui.count(UiCall::SaveFile), 1);
        QVERIFY(readFile(path("exit.txt")).contains("NIP=123-456-78-90\r\n"));
        QVERIFY(main.workspace().payerSaved);

        // Saved now: the next close asks only whether to quit.
        ui.clearCalls();
        ui.answers = {true};
        QVERIFY(main.CloseQuery());
        QCOMPARE(ui.count(UiCall::Ask), 1);
        QVERIFY(ui.allAnswersUsed());
    }
};

QTEST_MAIN(TFPlatnikTest)
#include "TFPlatnik_test.moc"
