// The form window's "Zapisz jako PDF…" signing the one file it saves, with a test certificate
// database: a key of the database (no PIN) signs a file that pdfsig finds whole and valid, its
// reason naming the form and the tax year typed on it; the choice is offered again in the next
// dialog; a card's wrong PIN writes nothing. NSS has one database per process: this program opens
// the test one once and finishes it at its end.

#include "FormSamples.h"

#include "formvel/FormDocument.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "formvel/app/SignFormDialog.h"
#include "signing/CertificateDatabase.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>

namespace {

const QString kDatabaseKey = QStringLiteral("Podpis Testowy");
const QString kCard = QStringLiteral("fiskon-karta:Karta Testowa");

// Answers the modal dialogs the window opens, in order: each step waits for a shown dialog it
// takes (returns true for) and is then done. A dialog nobody takes within a minute is rejected,
// so that a broken script fails instead of hanging.
class DialogScript : public QObject {
public:
    using Step = std::function<bool(QWidget& dialog)>;
    explicit DialogScript(std::deque<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.start(20);
    }
    bool finished() const { return steps_.empty(); }

private:
    void tick() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) return;
        if (!steps_.empty() && steps_.front()(*dialog)) {
            steps_.pop_front();
            waited_ = 0;
        } else if (++waited_ > 3000) {
            if (auto* stuck = qobject_cast<QDialog*>(dialog)) stuck->reject();
        }
    }
    std::deque<Step> steps_;
    QTimer timer_;
    int waited_ = 0;
};

DialogScript::Step SaveAs(const QString& path) {
    return [path](QWidget& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return false;
        // The name typed, as the user would: the dialog may still be filling in its proposal.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) return false;
        name->setText(path);
        static_cast<QDialog*>(files)->accept();  // QFileDialog::accept, which checks the name
        return true;
    };
}

// Chooses `nickname` in the signing dialog and saves; `offered` gets what the dialog chose first.
DialogScript::Step SignWith(const QString& nickname, QString* offered) {
    return [nickname, offered](QWidget& dialog) {
        auto* signing = qobject_cast<SignFormDialog*>(&dialog);
        if (!signing) return false;
        auto* box = signing->findChild<QComboBox*>(QStringLiteral("cbCertyfikat"));
        *offered = box->currentData().toString();
        box->setCurrentIndex(box->findData(nickname));
        signing->findChild<QPushButton*>(QStringLiteral("btnZapisz"))->click();
        return true;
    };
}

DialogScript::Step TypeSecret(const QString& secret, QString* question) {
    return [secret, question](QWidget& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("eSekret"));
        if (!edit) return false;
        *question = dialog.findChild<QLabel*>()->text();
        edit->setText(secret);
        qobject_cast<QDialog*>(&dialog)->accept();
        return true;
    };
}

DialogScript::Step ReadMessage(QString* text) {
    return [text](QWidget& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (!box) return false;
        *text = box->text();
        box->accept();
        return true;
    };
}

QString Pdfsig(const QString& pki, const QString& file) {
    QProcess pdfsig;
    pdfsig.start(QStringLiteral("pdfsig"), {QStringLiteral("-nssdir"), QStringLiteral("sql:") + pki + QStringLiteral("/verifydb"), file});
    pdfsig.waitForFinished(60000);
    return QString::fromUtf8(pdfsig.readAllStandardOutput() + pdfsig.readAllStandardError());
}

// The file with its objects written out plainly, to find the signature's reason in it.
QByteArray PlainPdf(const QString& file) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), file, QStringLiteral("-")});
    qpdf.waitForFinished(60000);
    return qpdf.readAllStandardOutput();
}

}  // namespace

class FormWindowSigningTest : public QObject {
    Q_OBJECT

    QTemporaryDir pki_;
    QTemporaryDir out_;

    void save(FormWindow& window, std::deque<DialogScript::Step> steps) {
        DialogScript script(std::move(steps));
        window.findChild<QAction*>(QStringLiteral("btnZapiszPdf"))->trigger();
        QVERIFY2(script.finished(), "a dialog of the script never came");
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"softhsm2-util", "certutil", "pk12util", "modutil", "openssl", "pdfsig", "qpdf"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("no %1").arg(QString::fromLatin1(tool))));
        QProcess make;
        make.start(QStringLiteral(FISKON_MAKE_TEST_PKI), {pki_.path()});
        QVERIFY(make.waitForFinished(120000));
        QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
        qputenv("SOFTHSM2_CONF", QFile::encodeName(pki_.filePath(QStringLiteral("softhsm2.conf"))));
        qputenv("FISKON_NSS_DB", QFile::encodeName(pki_.filePath(QStringLiteral("nssdb"))));
    }

    void cleanupTestCase() { FinishCertificateDatabase(); }

    void theSavedFormIsSignedAndAWrongPinWritesNothing() {
        auto document = FormDocument::create("PIT40_14");
        QVERIFY(document);
        // A tax year other than the edition's: the reason must take the one typed on the form.
        QByteArray fields = FullPit40Fields();
        fields.replace("p4=2006", "p4=2005");
        QVERIFY(document->setFields(fields, FormDocument::AutoFormat | FormDocument::Calculate));
        QVERIFY(!document->calculationError());
        FormPrintJobs printJobs;
        FormWindow window(*document, printJobs);
        window.present({});

        const QString signedPath = out_.filePath(QStringLiteral("pit40-nowak.pdf"));
        QString offered = QStringLiteral("none yet");
        save(window, {SaveAs(signedPath), SignWith(kDatabaseKey, &offered)});
        QCOMPARE(offered, QString());  // "bez podpisu" at first
        const QString report = Pdfsig(pki_.path(), signedPath);
        for (const char* expected : {"Signature is Valid", "Total document signed", "Signer Certificate Common Name: Podpis Testowy"})
            QVERIFY2(report.contains(QLatin1String(expected)), qPrintable(report));
        QByteArray expectedReason = "/Reason <feff";
        for (const QChar c : QStringLiteral("PIT-40 za rok 2005"))
            expectedReason += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        QVERIFY2(PlainPdf(signedPath).contains(expectedReason + '>'), "the reason names the form and the typed year");
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("Formularz podpisany certyfikatem „Podpis Testowy” zapisano w pliku %1.")
                     .arg(QDir::toNativeSeparators(signedPath)));

        // The card's wrong PIN, tried once: a message, no file. The dialog offered the last choice.
        const QString cardPath = out_.filePath(QStringLiteral("pit40-karta.pdf"));
        QString question;
        QString message;
        save(window, {SaveAs(cardPath), SignWith(kCard, &offered), TypeSecret(QStringLiteral("4321"), &question),
                      ReadMessage(&message)});
        QCOMPARE(offered, kDatabaseKey);
        QCOMPARE(question, QStringLiteral("PIN karty „fiskon-karta” (certyfikat „Karta Testowa”):"));
        QVERIFY2(message.contains(QStringLiteral("PIN")), qPrintable(message));
        QVERIFY(!QFile::exists(cardPath));
        QCOMPARE(QDir(out_.path()).entryList(QDir::Files), QStringList{QStringLiteral("pit40-nowak.pdf")});
    }
};

QTEST_MAIN(FormWindowSigningTest)
#include "FormWindowSigning_test.moc"
