// The show-form and print dialogs driven through their controls against the fake forms program:
// layouts, the shared person and tax year, "Czyść pola", the show, the print batch and its errors,
// checked by the requests the forms program received.

#include "edit/widgets/TFCalendar.h"
#include "forms/TSterFormVEL.h"
#include "forms/widgets/TFPrint.h"
#include "forms/widgets/TFVEL.h"
#include "store/Workspace.h"
#include "support/FakeFormsProgram.h"
#include "support/ScriptedUserInterface.h"
#include "ui/MainView.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <algorithm>
#include <memory>

namespace {

class SelectionView : public MainView {
public:
    void RefreshView(ViewMode) override {}
    ViewMode viewMode() const override { return ViewMode::vmTabela; }
    std::vector<int> selectedRows() const override { return selection; }
    std::vector<int> selection;
};

TaxpayerRecord person(const char* surname, const char* firstName) {
    TaxpayerRecord record;
    record.nazwisko = surname;
    record.imie1 = firstName;
    record.dataUr = "1980-05-17";
    record.p11Box(34) = "100,00";
    return record;
}

template <typename T>
T* control(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control %s", name);
    return widget;
}

// The surname in each field list sent (code 5), in order.
QList<QByteArray> surnamesSent(const FakeFormsProgram& forms, const char* box) {
    QList<QByteArray> surnames;
    for (const FakeRequest& request : forms.requests) {
        if (request.code != 5) continue;
        for (const QByteArray& line : request.lines)
            if (line.startsWith(box)) surnames << line.mid(qsizetype(qstrlen(box)));
    }
    return surnames;
}

int count(const FakeFormsProgram& forms, int code) {
    const std::vector<int> codes = forms.codes();
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

}  // namespace

class FormDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeFormsProgram> forms;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<SelectionView> view;
    std::unique_ptr<ScriptedUserInterface> ui;
    std::unique_ptr<TFCalendar> calendar;
    std::unique_ptr<TFVEL> vel;
    std::unique_ptr<TFPrint> print;

    QLineEdit* field(QWidget& dialog, const char* name) { return control<QLineEdit>(dialog, name); }
    void click(QWidget& dialog, const char* name) { control<QAbstractButton>(dialog, name)->click(); }

private slots:
    void init() {
        lform::LinkShutdown();
        forms = std::make_unique<FakeFormsProgram>();
        forms->formState = 0;
        lform::setWindowSystem(forms.get());
        workspace = std::make_unique<Workspace>();
        for (const auto& [surname, name] : {std::pair{"ADAMSKI", "JAN"}, {"BORUCKA", "EWA"}, {"CEGLARZ", "OLA"},
                                            {"DUDA", "IGA"}})
            workspace->taxpayers.Add(person(surname, name));
        workspace->payer.NIP = "677-120-03-49";
        view = std::make_unique<SelectionView>();
        ui = std::make_unique<ScriptedUserInterface>();
        calendar = std::make_unique<TFCalendar>();
        vel = std::make_unique<TFVEL>(*workspace, *ui, *calendar);
        print = std::make_unique<TFPrint>(*workspace, *view, *vel, *ui, *calendar);
    }

    void cleanup() {
        print.reset();
        vel.reset();
        lform::LinkShutdown();
        lform::setWindowSystem(nullptr);
        forms.reset();
    }

    void showFormDialogLayoutFollowsTheFormChoice() {
        QCOMPARE(vel->windowTitle(), QStringLiteral("Ustawienia podglądu formularzy"));
        QCOMPARE(control<QComboBox>(*vel, "cbRok")->currentText(), QStringLiteral("2006"));
        QCOMPARE(control<QPushButton>(*vel, "btnShow")->isDefault(), true);
        QCOMPARE(field(*vel, "eRok")->displayText(), QStringLiteral("    "));
        vel->show();
        auto* strike = control<QGroupBox>(*vel, "rgSkreslenie");
        auto* year = control<QGroupBox>(*vel, "GroupBox2");
        QVERIFY(control<QRadioButton>(*vel, "rbPIT11")->isChecked());
        QVERIFY(strike->isVisible() && !year->isVisible());
        click(*vel, "rbPIT40");
        QVERIFY(!strike->isVisible() && year->isVisible());
        vel->hide();
        vel->show();  // each opening selects PIT-11/8B again
        QVERIFY(control<QRadioButton>(*vel, "rbPIT11")->isChecked());
        QVERIFY(strike->isVisible() && !year->isVisible());
        QVERIFY(!control<QWidget>(*vel, "Memo1")->isVisible());
        vel->hide();
    }

    void printDialogCaptionAndLayout() {
        for (const auto& [selection, caption] :
             {std::pair{std::vector<int>{0, 1, 3}, "Drukowanie 3 dokumentów.."}, {std::vector<int>{2}, "Drukowanie 1 dokumentu.."}}) {
            view->selection = selection;
            print->show();
            QCOMPARE(print->windowTitle(), QString::fromUtf8(caption));
            click(*print, "rbPIT40");
            QVERIFY(field(*print, "eRok")->isVisible() && !field(*print, "eOd")->isVisible());
            QVERIFY(!control<QWidget>(*print, "rgSkreslenie")->isVisible());
            print->hide();
            print->show();  // PIT-40 last time: PIT-11/8B and its period again
            QVERIFY(control<QRadioButton>(*print, "rbPIT11")->isChecked());
            QVERIFY(field(*print, "eOd")->isVisible() && field(*print, "eDo")->isVisible());
            QVERIFY(!field(*print, "eRok")->isVisible() && !control<QWidget>(*print, "btn3")->isVisible());
            QVERIFY(control<QWidget>(*print, "rgSkreslenie")->isVisible());
            QCOMPARE(field(*print, "eOd")->displayText(), QStringLiteral("  -  -    "));
            print->hide();
        }
    }

    void theDialogsShareThePersonAndTheTaxYear() {
        view->selection = {0};
        field(*vel, "eNazwisko")->setText(QStringLiteral("KOWALSKA"));
        field(*vel, "eImie")->setText(QStringLiteral("EWA"));
        field(*vel, "eRok")->setText(QStringLiteral("2006"));
        print->show();  // empty here: taken from the show-form dialog
        QCOMPARE(field(*print, "eNazwisko")->text(), QStringLiteral("KOWALSKA"));
        QCOMPARE(field(*print, "eImie")->text(), QStringLiteral("EWA"));
        QCOMPARE(field(*print, "eRok")->text(), QStringLiteral("2006"));
        print->hide();

        field(*print, "eNazwisko")->setText(QStringLiteral("NOWAK"));
        vel->show();  // filled in both: each keeps its own
        QCOMPARE(field(*vel, "eNazwisko")->text(), QStringLiteral("KOWALSKA"));
        vel->hide();
        print->btnPrintClick();  // printing hands the print dialog's person to the forms
        QCOMPARE(field(*vel, "eNazwisko")->text(), QStringLiteral("NOWAK"));
        QCOMPARE(surnamesSent(*forms, "p81="), QList<QByteArray>{"NOWAK"});

        // Typing turns letters to capitals.
        QTest::keyClicks(field(*vel, "eImie"), QStringLiteral("ab"));
        QCOMPARE(field(*vel, "eImie")->text(), QStringLiteral("EWAAB"));
    }

    void clearEmptiesTheFieldsAndSelectsPit11() {
        for (QWidget* dialog : {static_cast<QWidget*>(vel.get()), static_cast<QWidget*>(print.get())}) {
            for (const char* name : {"eNazwisko", "eImie", "eRok"}) field(*dialog, name)->setText(QStringLiteral("1999"));
            if (dialog == print.get())
                for (const char* name : {"eOd", "eDo"}) field(*dialog, name)->setText(QStringLiteral("01-02-2006"));
            click(*dialog, "rbPIT40");
            click(*dialog, "btnClear");
            QVERIFY(control<QRadioButton>(*dialog, "rbPIT11")->isChecked());
            for (const char* name : {"eNazwisko", "eImie"}) QCOMPARE(field(*dialog, name)->text(), QString());
            QCOMPARE(field(*dialog, "eRok")->displayText(), QStringLiteral("    "));
            if (dialog == print.get())
                for (const char* name : {"eOd", "eDo"})
                    QCOMPARE(field(*dialog, name)->displayText(), QStringLiteral("  -  -    "));
        }
    }

    void datePickersWriteTheChosenDate() {
        const QDate today = QDate::currentDate();
        auto pickToday = [&](QWidget& dialog, const char* button) {
            QTimer::singleShot(0, calendar.get(), [&] { calendar->reject(); });  // closed without choosing
            click(dialog, button);
        };
        vel->show();
        click(*vel, "rbPIT40");
        pickToday(*vel, "btn3");
        QCOMPARE(field(*vel, "eRok")->text(), today.toString(QStringLiteral("yyyy")));
        vel->hide();
        pickToday(*print, "btn1");
        pickToday(*print, "btn2");
        QCOMPARE(field(*print, "eOd")->text(), today.toString(QStringLiteral("dd-MM-yyyy")));
        QCOMPARE(field(*print, "eDo")->text(), today.toString(QStringLiteral("dd-MM-yyyy")));
    }

    void showSendsTheCurrentTaxpayersFormReadOnly() {
        workspace->taxpayers.SelectByIndex(1);
        field(*vel, "eNazwisko")->setText(QStringLiteral("KOWALSKA"));
        click(*vel, "rbPIT40");
        control<QComboBox>(*vel, "cbRok")->setCurrentIndex(0);
        forms->fieldsReply = "p1=677-120-03-49\r\n";
        click(*vel, "btnShow");
        QCOMPARE(ui->calls.size(), size_t(0));
        const std::vector<int> expected{1, 5, 10, 3, 10, 11, 6, 17};
        QCOMPARE(forms->codes(), expected);
        QCOMPARE(forms->requests[0].lines, (QList<QByteArray>{"PIT40_13", "PIT40_13", "3"}));
        const FakeRequest& fields = forms->requests[1];
        QCOMPARE(fields.options, std::uint8_t(1));  // formatted, not calculated
        QCOMPARE(fields.lines.value(0), QByteArray("p1=677-120-03-49"));
        QVERIFY(fields.lines.contains("p19=BORUCKA"));
        QVERIFY(fields.lines.contains("p4=    "));
        QVERIFY(fields.lines.contains("p78=KOWALSKA"));
        QCOMPARE(forms->requests[3].lines.value(2), QByteArray("64"));  // read-only
        const QByteArray parent = forms->requests[3].lines.value(1);
        QVERIFY(parent != "0");
        QVERIFY(forms->windowCalls.contains(QStringLiteral("disable %1").arg(QString::fromLatin1(parent))));
        QVERIFY(vel->isEnabled());  // enabled again once the form closed
        QCOMPARE(vel->VEL().Fields(), QByteArrayList{"p1=677-120-03-49"});

        // The next show replaces the form; the 2006 edition of PIT-11/8B with PIT-8B struck out.
        forms->requests.clear();
        control<QComboBox>(*vel, "cbRok")->setCurrentIndex(1);
        click(*vel, "rbPIT11");
        click(*vel, "rgSkreslenie_1");
        click(*vel, "btnShow");
        QCOMPARE(forms->codes().front(), 2);
        QCOMPARE(forms->requests[1].lines.value(0), QByteArray("PIT118B_14"));
        QCOMPARE(forms->requests[2].lines.mid(1, 2), (QList<QByteArray>{"pSKR.01=00", "pSKR.02=01"}));
    }

    // While the link waits for the forms program it has started, a second click on "Pokaż"
    // does not start a second program nor make a second form.
    void clicksWhileTheFormsProgramStartsWaitForTheStart() {
        forms->running = false;
        forms->seeksBeforeAppearing = 3;
        forms->profile[QStringLiteral("formularze/katalog")] = QStringLiteral("/opt/formularze");
        int clicks = 0;
        forms->onUserInput = [&] {
            if (clicks++ == 0) click(*vel, "btnShow");
        };
        click(*vel, "btnShow");
        forms->onUserInput = nullptr;
        QCOMPARE(forms->startedCommands, QStringList{"/opt/formularze/formvel /SERWER"});
        QCOMPARE(count(*forms, 1), 1);
        QCOMPARE(count(*forms, 3), 1);
    }

    void printBatchGoesInTableOrderWithOnePrintDialog() {
        view->selection = {0, 2, 3};  // MainView gives the rows ascending, whatever the clicking order
        print->show();
        control<QComboBox>(*print, "cbRok")->setCurrentIndex(0);
        click(*print, "btnPrint");
        QCOMPARE(ui->calls.size(), size_t(1));
        QCOMPARE(ui->last().title, QStringLiteral("Informacja"));
        QCOMPARE(ui->last().text, QStringLiteral("Wydrukowano 3 z 3 dokumentów."));
        QCOMPARE(count(*forms, 1), 1);   // one form serves the batch
        QCOMPARE(count(*forms, 13), 1);  // the print dialog once, for the first document
        QCOMPARE(count(*forms, 8), 2);
        QCOMPARE(count(*forms, 15), 3);
        // Each document's list goes out before it is printed; from the second on, the list read
        // back after the previous one goes once more before it.
        QCOMPARE(surnamesSent(*forms, "p20="),
                 (QList<QByteArray>{"ADAMSKI", "ADAMSKI", "CEGLARZ", "CEGLARZ", "DUDA"}));
        QCOMPARE(forms->requests[0].lines.value(0), QByteArray("PIT118B_C"));
        const auto printRequest = std::find_if(forms->requests.begin(), forms->requests.end(),
                                               [](const FakeRequest& r) { return r.code == 8; });
        QCOMPARE(printRequest->lines.mid(1, 2), (QList<QByteArray>{"2", "3"}));  // the dialog's range
        QCOMPARE(workspace->taxpayers.currentIndex(), 3);
        QVERIFY(print->VEL().GetActive());  // the last document's form stays until the next batch

        // The next batch destroys that form first; cancelling the print dialog ends the batch.
        forms->requests.clear();
        forms->printDialogOpened = 0;
        click(*print, "btnPrint");
        QCOMPARE(forms->codes().front(), 2);
        QCOMPARE(count(*forms, 13), 1);
        QCOMPARE(count(*forms, 8), 0);
        QCOMPARE(count(*forms, 15), 1);
        QCOMPARE(workspace->taxpayers.currentIndex(), 0);
        QCOMPARE(ui->last().text, QStringLiteral("Wydrukowano 0 z 3 dokumentów.\n"
                                                 "Nie potwierdzono okna drukowania programu formularzy."));

        // A document the forms program does not print stops the batch there.
        forms->requests.clear();
        forms->printDialogOpened = 1;
        forms->printReply = 0;
        click(*print, "btnPrint");
        QCOMPARE(count(*forms, 13), 1);
        QCOMPARE(count(*forms, 8), 1);
        QCOMPARE(count(*forms, 15), 2);
        QCOMPARE(workspace->taxpayers.currentIndex(), 2);
        QCOMPARE(ui->last().title, QStringLiteral("Błąd"));
        QCOMPARE(ui->last().icon, MessageIcon::Error);
        QCOMPARE(ui->last().text, QStringLiteral("Wydrukowano 1 z 3 dokumentów.\nProgram formularzy nie wydrukował "
                                                 "dokumentu 2 (CEGLARZ OLA), więc drukowanie przerwano."));
        QCOMPARE(ui->calls.size(), size_t(3));
        print->hide();
    }

    // Both dialogs send the bytes the field list was built with (a no-break space, A0 in code
    // page 1250, stays one), and neither sends a person whose name holds a control character:
    // the user is told why and nothing reaches the forms program. A list the forms program
    // refuses reaches the standard error box, and nothing is shown or printed.
    void dialogsSendTheBuiltListAndRefuseControlCharactersInTheName() {
        workspace->taxpayers.at(0).ulica = "ALEJA\xA0" "3\xA0MAJA";
        view->selection = {0};
        enum Outcome { Sent, NameRefused, ListRefused };
        struct Case {
            FormsDialog* dialog;
            const char* button;
            QString surname;
            Outcome outcome;
        };
        const Case cases[] = {
            {vel.get(), "btnShow", QStringLiteral("NOWAK"), Sent},
            {print.get(), "btnPrint", QStringLiteral("NOWAK"), Sent},
            {vel.get(), "btnShow", QStringLiteral("NOWAK\nKOWALSKI"), NameRefused},
            {print.get(), "btnPrint", QStringLiteral("NOWAK\tKOWALSKI"), NameRefused},
            {vel.get(), "btnShow", QStringLiteral("NOWAK"), ListRefused},
            {print.get(), "btnPrint", QStringLiteral("NOWAK"), ListRefused},
        };
        for (const Case& c : cases) {
            forms->requests.clear();
            forms->fieldsAccepted = c.outcome == ListRefused ? 0 : 1;
            ui->clearCalls();
            c.dialog->show();
            workspace->taxpayers.SelectByIndex(0);
            QLineEdit* surname = field(*c.dialog, "eNazwisko");
            surname->clear();
            QGuiApplication::clipboard()->setText(c.surname);  // pasted, as a user brings a line break in
            surname->paste();
            QCOMPARE(surname->text(), c.surname);
            click(*c.dialog, c.button);
            c.dialog->hide();
            if (c.outcome == Sent) {
                QCOMPARE(ui->calls.size(), size_t(c.dialog == print.get() ? 1 : 0));
                if (c.dialog == print.get()) QCOMPARE(ui->last().text, QStringLiteral("Wydrukowano 1 z 1 dokumentu."));
                QCOMPARE(surnamesSent(*forms, "p27="), QList<QByteArray>{"ALEJA\xA0" "3\xA0MAJA"});
            } else if (c.outcome == ListRefused) {
                QCOMPARE(ui->calls.size(), size_t(1));
                // The show-form dialog reports in the standard error box, the print batch with its count.
                QCOMPARE(ui->last().title, QString::fromUtf8(c.dialog == print.get() ? "Błąd" : "Fiskon"));
                QCOMPARE(ui->last().text,
                         c.dialog == print.get()
                             ? QStringLiteral("Wydrukowano 0 z 1 dokumentu.\nDrukowanie przerwano przy dokumencie 1 "
                                              "(ADAMSKI JAN): Błąd transmisji danych do formularza.")
                             : QStringLiteral("Błąd transmisji danych do formularza."));
                for (int code : {3, 8, 13}) QCOMPARE(count(*forms, code), 0);
            } else {
                QCOMPARE(count(*forms, 5), 0);
                QCOMPARE(ui->calls.size(), size_t(1));
                QCOMPARE(ui->last().title, QStringLiteral("Błąd"));
                QCOMPARE(ui->last().text, QStringLiteral("Nazwisko osoby wypełniającej formularz zawiera znak sterujący "
                                                         "(np. koniec wiersza albo tabulację). Popraw je i spróbuj ponownie."));
            }
        }
    }

    // A partly typed tax year keeps its blanks in place when it goes to the other dialog.
    void aPartlyTypedTaxYearCopiesAsItShows() {
        view->selection = {0};
        QLineEdit* year = field(*vel, "eRok");
        year->setCursorPosition(2);
        QTest::keyClicks(year, QStringLiteral("06"));
        QCOMPARE(year->displayText(), QStringLiteral("  06"));
        print->show();  // empty here: taken from the show-form dialog
        QCOMPARE(field(*print, "eRok")->displayText(), QStringLiteral("  06"));
        print->hide();

        year->clear();
        print->show();
        click(*print, "rbPIT40");
        field(*print, "eRok")->clear();
        field(*print, "eRok")->setCursorPosition(1);
        QTest::keyClicks(field(*print, "eRok"), QStringLiteral("7"));
        click(*print, "btnPrint");  // printing hands the print dialog's tax year to the forms
        print->hide();
        QCOMPARE(year->displayText(), QStringLiteral(" 7  "));
        QCOMPARE(surnamesSent(*forms, "p4="), QList<QByteArray>{" 7  "});
    }

    // "Przerwij" during the second of five documents: that one is finished, no other is begun,
    // and the user learns that two were printed.
    void przerwijStopsTheBatchAfterTheCurrentDocument() {
        workspace->taxpayers.Add(person("ELIASZ", "ADA"));
        view->selection = {0, 1, 2, 3, 4};
        print->show();
        QStringList progress;
        forms->onRequest = [&](const FakeRequest& request) {
            if (request.code != 8 && request.code != 13) return;
            progress << control<QLabel>(*print, "lblPostep")->text();
            QVERIFY(control<QWidget>(*print, "btnPrzerwij")->isVisible());
            QVERIFY(!control<QWidget>(*print, "btnPrint")->isEnabled());
            if (request.code == 8)  // the user clicks while the second document prints
                QTimer::singleShot(0, print.get(), [this] { click(*print, "btnPrzerwij"); });
        };
        click(*print, "btnPrint");
        forms->onRequest = nullptr;
        QCOMPARE(progress, (QStringList{"Drukowanie 1 z 5: ADAMSKI JAN", "Drukowanie 2 z 5: BORUCKA EWA"}));
        QCOMPARE(count(*forms, 13) + count(*forms, 8), 2);
        QCOMPARE(count(*forms, 15), 2);
        QCOMPARE(ui->calls.size(), size_t(1));
        QCOMPARE(ui->last().title, QStringLiteral("Informacja"));
        QCOMPARE(ui->last().text,
                 QStringLiteral("Wydrukowano 2 z 5 dokumentów.\nDrukowanie przerwano na żądanie użytkownika."));
        QCOMPARE(ui->last().icon, MessageIcon::Information);
        QVERIFY(!control<QWidget>(*print, "btnPrzerwij")->isVisible());
        QVERIFY(control<QWidget>(*print, "btnPrint")->isEnabled());
        print->hide();
    }

    void anErrorStopsTheBatchAndTheUserLearnsWhere() {
        forms->running = false;
        forms->appearsOnStart = false;
        view->selection = {0, 1};
        print->show();
        click(*print, "btnPrint");
        QCOMPARE(ui->calls.size(), size_t(1));
        QCOMPARE(ui->last().title, QStringLiteral("Błąd"));
        QCOMPARE(ui->last().text, QStringLiteral("Wydrukowano 0 z 2 dokumentów.\nDrukowanie przerwano przy dokumencie 1 "
                                                 "(ADAMSKI JAN): Operacja nie jest możliwa jeśli formularz nie jest aktywny"));
        QCOMPARE(ui->last().icon, MessageIcon::Error);
        QCOMPARE(forms->requests.size(), size_t(0));
        QCOMPARE(workspace->taxpayers.currentIndex(), 0);  // stopped at the first document
        QVERIFY(print->isVisible());
        print->hide();

        ui->clearCalls();
        click(*vel, "btnShow");
        QCOMPARE(ui->count(UiCall::Message, QStringLiteral("Operacja nie jest możliwa jeśli formularz nie jest aktywny")), 1);
    }
};

QTEST_MAIN(FormDialogsTest)
#include "FormDialogs_test.moc"
