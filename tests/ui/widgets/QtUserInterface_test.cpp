// The program's real message boxes and dialogs, the print dialog too: Polish button texts and the
// exact titles, with no translation of Qt's own texts loaded (as on a system without them).

#include "ui/PolishDialogTexts.h"
#include "ui/QtUserInterface.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs `inspect` on the modal dialog once it is open.
void WhenModalOpens(std::function<void(QWidget&)> inspect) {
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        inspect(*dialog);
    });
}

QStringList ButtonTexts(QWidget& dialog) {
    QStringList texts;
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
        for (QAbstractButton* button : box->buttons()) texts << button->text().remove(QLatin1Char('&'));
    texts.sort();
    return texts;
}

}  // namespace

class QtUserInterfaceTest : public QObject {
    Q_OBJECT

private slots:
    void questionBoxReadsTakNieWithItsTitle() {
        QtUserInterface ui;
        QString title;
        QStringList buttons;
        WhenModalOpens([&](QWidget& dialog) {
            title = dialog.windowTitle();
            buttons = ButtonTexts(dialog);
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!ui.ask(QStringLiteral("Pytanie"), QStringLiteral("Czy na pewno usunąć?"), MessageIcon::Question));
        QCOMPARE(title, QStringLiteral("Pytanie"));
        QCOMPARE(buttons, (QStringList{QStringLiteral("Nie"), QStringLiteral("Tak")}));

        WhenModalOpens([](QWidget& dialog) { qobject_cast<QMessageBox*>(&dialog)->button(QMessageBox::Yes)->click(); });
        QVERIFY(ui.ask(QStringLiteral("Wychodzisz?"), QStringLiteral("Czy na pewno chcesz opuścić program?"),
                       MessageIcon::Question));
    }

    void aQuestionOfSeveralAnswersOffersThemInOrder() {
        QtUserInterface ui;
        const QStringList choices = {QStringLiteral("Zastąp"), QStringLiteral("Zapisz pod inną nazwą…"),
                                     QStringLiteral("Anuluj")};
        QStringList offered;
        WhenModalOpens([&](QWidget& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons()) offered << button->text();
            QCOMPARE(box->defaultButton()->text(), choices.front());
            box->buttons().at(1)->click();
        });
        QCOMPARE(ui.askChoices(QStringLiteral("Uwaga!"), QStringLiteral("Plik"), MessageIcon::Warning, choices), 1);
        QCOMPARE(offered, choices);
        // Escape is the last answer.
        WhenModalOpens([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(ui.askChoices(QStringLiteral("Uwaga!"), QStringLiteral("Plik"), MessageIcon::Warning, choices), 2);
    }

    void messageBoxReadsOk() {
        QtUserInterface ui;
        QStringList buttons;
        WhenModalOpens([&](QWidget& dialog) {
            buttons = ButtonTexts(dialog);
            qobject_cast<QMessageBox*>(&dialog)->button(QMessageBox::Ok)->click();
        });
        ui.message(QStringLiteral("Informacja"), QStringLiteral("Tekst"), MessageIcon::Information);
        QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    }

    void aSecretIsTypedMaskedAndCancelGivesNone() {
        QtUserInterface ui;
        QStringList buttons;
        QPointer<QLineEdit> field;
        WhenModalOpens([&](QWidget& dialog) {
            buttons = ButtonTexts(dialog);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Podpis plików PDF"));
            field = dialog.findChild<QLineEdit*>();
            QVERIFY(field);
            QCOMPARE(field->echoMode(), QLineEdit::Password);
            field->insert(QStringLiteral("Żółw-12"));
            QTest::keyClick(field, Qt::Key_Return);
        });
        QCOMPARE(ui.askSecret(QStringLiteral("Podpis plików PDF"), QStringLiteral("PIN karty „fiskon-karta”:")),
                 std::optional<QByteArray>(QStringLiteral("Żółw-12").toUtf8()));
        QCOMPARE(buttons, (QStringList{QStringLiteral("Anuluj"), QStringLiteral("OK")}));

        // Cancel gives nothing back, whatever was typed.
        WhenModalOpens([&](QWidget& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>(), QStringLiteral("4321"));
            qobject_cast<QDialog*>(&dialog)->reject();
        });
        QCOMPARE(ui.askSecret(QStringLiteral("Podpis plików PDF"), QStringLiteral("Hasło pliku certyfikatu:")),
                 std::optional<QByteArray>());
        QVERIFY(!field);  // the dialog is gone with its field
    }

    void colourDialogReadsOkAnuluj() {
        QtUserInterface ui;
        QStringList buttons;
        WhenModalOpens([&](QWidget& dialog) {
            buttons = ButtonTexts(dialog);
            qobject_cast<QDialog*>(&dialog)->reject();
        });
        QVERIFY(!ui.chooseColor(Qt::white));
        QCOMPARE(buttons, (QStringList{QStringLiteral("Anuluj"), QStringLiteral("OK")}));
    }

    void printDialogReadsOkAnulujWithItsTitle() {
        QtUserInterface ui;
        QString title;
        QStringList buttons;
        WhenModalOpens([&](QWidget& dialog) {
            QVERIFY(qobject_cast<QPrintDialog*>(&dialog));
            title = dialog.windowTitle();
            buttons = ButtonTexts(dialog);
            qobject_cast<QDialog*>(&dialog)->reject();
        });
        QPrinter printer;
        QVERIFY(!ui.choosePrinter(printer, QStringLiteral("Drukowanie zestawienia kwot")));
        QCOMPARE(title, QStringLiteral("Drukowanie zestawienia kwot"));
        QVERIFY2(buttons.contains(QStringLiteral("OK")) && buttons.contains(QStringLiteral("Anuluj")),
                 qPrintable(buttons.join(u'|')));
    }

    void fileDialogReadsPolish() {
        QtUserInterface ui;
        QString cancel;
        QString accept;
        WhenModalOpens([&](QWidget& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            cancel = files->labelText(QFileDialog::Reject);
            accept = files->labelText(QFileDialog::Accept);
            files->reject();
        });
        FileDialogRequest request;
        request.title = QStringLiteral("Zapisywanie danych podatników...");
        request.filter = QStringLiteral("Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
        QVERIFY(!ui.saveFile(request));
        // Without Qt's own Polish texts (none are loaded here) ours stand in, with no "&" that a
        // desktop's dialog would show as it stands.
        QVERIFY(!QtSpeaksPolish());
        QCOMPARE(cancel, QStringLiteral("Anuluj"));
        QCOMPARE(accept, QStringLiteral("Zapisz"));
    }
};

QTEST_MAIN(QtUserInterfaceTest)
#include "QtUserInterface_test.moc"
