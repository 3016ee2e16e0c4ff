// The show-form dialog and the form controller against our real forms program, started by the
// link through the Linux window system as the program does it: the dialog's "Pokaż" opens a form
// window and returns once it is closed; three taxpayers printed one after another give three
// PDF documents, each with its taxpayer's surname.

#include "edit/widgets/TFCalendar.h"
#include "forms/TSterFormVEL.h"
#include "forms/widgets/TFPrint.h"
#include "forms/widgets/TFVEL.h"
#include "platform/LinuxWindowSystem.h"
#include "store/Workspace.h"
#include "support/RealFormsProgram.h"
#include "support/ScriptedUserInterface.h"
#include "ui/MainView.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

#ifdef FORMVEL_DIR

namespace {

constexpr std::uint32_t kCloseMessage = 0x0010;  // WM_CLOSE

class NoView : public MainView {
public:
    void RefreshView(ViewMode) override {}
    ViewMode viewMode() const override { return ViewMode::vmTabela; }
    std::vector<int> selectedRows() const override { return {}; }
};

TaxpayerRecord taxpayer(const char* surname, const char* firstName, const char* income) {
    TaxpayerRecord record;
    record.nazwisko = surname;
    record.imie1 = firstName;
    record.dataUr = "1980-05-17";
    record.us = "Urz\xB9" "d Skarbowy w Krakowie";
    record.pit11_od = "01-01-2006";
    record.pit11_do = "31-12-2006";
    record.p11Box(34) = income;
    return record;
}

}  // namespace

class FormsEndToEndTest : public QObject {
    Q_OBJECT

    NoView view;
    RealFormsProgramRig rig;
    Workspace& workspace = rig.workspace;
    ScriptedUserInterface& ui = rig.ui;
    std::unique_ptr<LinuxWindowSystem>& system = rig.system;
    std::unique_ptr<TFVEL>& vel = rig.vel;
    std::unique_ptr<TFPrint>& print = rig.print;

private slots:
    void initTestCase() {
        // A window folder, a profile naming the built forms program and a home of this test's own.
        QVERIFY(rig.start(QStringLiteral(FORMVEL_DIR), view));
        workspace.payer.NIP = "677-120-03-49";
        workspace.payer.rodzaj = 1;
        workspace.payer.nazwa = "FIRMA TESTOWA";
        workspace.taxpayers.Add(taxpayer("ADAMSKI", "JAN", "1000,00"));
        workspace.taxpayers.Add(taxpayer("BORUCKA", "EWA", "2000,00"));
        workspace.taxpayers.Add(taxpayer("CEGLARZ", "OLA", "3000,00"));
    }

    void cleanupTestCase() { rig.stop(); }

    void showOpensTheFormAndReturnsWhenItIsClosed() {
        workspace.taxpayers.SelectByIndex(1);
        vel->show();
        int closes = 0;
        QTimer closer;
        closer.setInterval(50);
        connect(&closer, &QTimer::timeout, this, [&] {
            if (const WindowHandle form = system->findWindow("TFormWindow_VEL")) {
                QVERIFY(!vel->isEnabled());  // the dialog waits, disabled, while the form is shown
                system->sendMessage(form, kCloseMessage, 0, 0);
                ++closes;
            }
        });
        closer.start();
        vel->findChild<QPushButton*>(QStringLiteral("btnShow"))->click();
        closer.stop();
        QVERIFY2(ui.calls.empty(), qPrintable(ui.transcript()));
        QVERIFY(closes >= 1);
        QVERIFY(vel->isEnabled());
        // The form's own field list came back, converted: the amounts as Fiskon keeps them.
        const QByteArrayList fields = vel->VEL().Fields();
        QVERIFY2(fields.contains("p20=BORUCKA"), fields.join('|').constData());
        QVERIFY(fields.contains("p34=2000,00"));
        vel->hide();
    }

    void threeTaxpayersPrintedGiveThreeDocuments() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) QSKIP("no pdftotext");
        // What a batch does after its first document, for all three: no print dialog is needed,
        // and with no printer the forms program writes each document into a PDF file.
        QVERIFY(PrintSilently(print->VEL(), *vel, *print->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")),
                              workspace.taxpayers, 3));
        const QDir documents(rig.home.filePath(QStringLiteral("Documents")));
        const QStringList files = documents.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 3);
        QStringList surnames;
        for (const QString& name : files) {
            const QString text = PdfFileText(documents.filePath(name));
            for (const char* surname : {"ADAMSKI", "BORUCKA", "CEGLARZ"})
                if (text.contains(QString::fromLatin1(surname))) surnames << QString::fromLatin1(surname);
        }
        surnames.sort();
        QCOMPARE(surnames, (QStringList{"ADAMSKI", "BORUCKA", "CEGLARZ"}));
    }
};

QTEST_MAIN(FormsEndToEndTest)
#include "FormsEndToEnd_test.moc"

#else

int main() { return 0; }  // built without our forms program

#endif
