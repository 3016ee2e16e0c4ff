// "Zapisz PDF dla każdego podatnika…" signing with certificates of a test certificate database:
// each locked file is signed with the card's key, the PIN asked once a batch; a wrong PIN writes
// nothing; a certificate that cannot sign is not to be chosen and, forced, signs nothing; a
// certificate file is added with its password and chosen. NSS has one database per process: this
// program opens the test one once, and finishes it at its end.

#include "forms/widgets/EachPdfRig.h"

#include "settings/SigningChoice.h"
#include "signing/CertificateDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kCard = QStringLiteral("fiskon-karta:Karta Testowa");

// pdfsig's report of a file opened with its password, through a database holding the CA alone.
QString verify(const QString& pki, const QString& file, const QString& password) {
    QProcess pdfsig;
    pdfsig.start(QStringLiteral("pdfsig"), {QStringLiteral("-nssdir"), QStringLiteral("sql:") + pki + QStringLiteral("/verifydb"),
                                            QStringLiteral("-upw"), password, file});
    pdfsig.waitForFinished(60000);
    return QString::fromUtf8(pdfsig.readAllStandardOutput() + pdfsig.readAllStandardError());
}

}  // namespace

class TFEachPdfSigningTest : public QObject {
    Q_OBJECT

    // Three taxpayers whose files can be locked with their PESEL: rows 1, 4 and 5.
    struct Rig : EachPdfRig {
        Rig() {
            workspace.taxpayers.Add(Person(QStringLiteral("MAZUR"), QStringLiteral("ZOFIA"), "92071504819"));
            workspace.taxpayers.Add(Person(QStringLiteral("KOWALCZYK"), QStringLiteral("PIOTR"), "78110239579"));
            view.selection = {0, 3, 4};
            dialog.FormShow();
            control<QLineEdit>("eKatalog")->setText(folder);
        }
        QComboBox* certificates() { return control<QComboBox>("cbCertyfikat"); }
        void choose(const QString& nickname) {
            const int row = certificates()->findData(nickname);
            QVERIFY2(row > 0, qPrintable(nickname));
            certificates()->setCurrentIndex(row);
        }
        void save() { control<QPushButton>("btnSave")->click(); }
    };

    QTemporaryDir pki_;

private slots:
    void initTestCase() {
        for (const char* tool : {"softhsm2-util", "certutil", "pk12util", "modutil", "openssl", "pdfsig"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("no %1").arg(QString::fromLatin1(tool))));
        QProcess make;
        make.start(QStringLiteral(FISKON_TEST_FIXTURES "/../signing/make-test-pki"), {pki_.path()});
        QVERIFY(make.waitForFinished(120000));
        QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
        qputenv("SOFTHSM2_CONF", QFile::encodeName(pki_.filePath(QStringLiteral("softhsm2.conf"))));
        qputenv("FISKON_NSS_DB", QFile::encodeName(pki_.filePath(QStringLiteral("nssdb"))));
    }

    void cleanupTestCase() { FinishCertificateDatabase(); }

    void aCertificateThatCannotSignIsNotToBeChosen() {
        Rig rig;
        QComboBox* box = rig.certificates();
        QCOMPARE(box->itemText(0), QStringLiteral("bez podpisu"));
        QVERIFY(!rig.control<QLabel>("lblCertyfikaty")->isVisibleTo(&rig.dialog));
        const int expired = box->findData(QStringLiteral("Wygasły Testowy"));
        QVERIFY(expired > 0);
        QCOMPARE(box->itemText(expired),
                 QStringLiteral("Wygasły Testowy – nie można podpisywać: certyfikat wygasł 2021-01-01; w bazie "
                                "certyfikatów, ważny do 2021-01-01, wystawca: Testowe CA Fiskon"));
        const auto* model = qobject_cast<QStandardItemModel*>(box->model());
        for (const QString& unusable : {QStringLiteral("Wygasły Testowy"), QStringLiteral("Szyfrowanie Testowe")})
            QVERIFY(!model->item(box->findData(unusable))->isEnabled());
        QVERIFY(model->item(box->findData(kCard))->isEnabled());
        const QString validTo = QDateTime::currentDateTimeUtc().date().addDays(300).toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(box->itemText(box->findData(kCard)),
                 QStringLiteral("Karta Testowa, na karcie „fiskon-karta”, ważny do %1, wystawca: Testowe CA Fiskon").arg(validTo));

        // The keyboard passes over them: End stops at the last one that can sign.
        box->setFocus();
        QTest::keyClick(box, Qt::Key_End);
        QVERIFY(model->item(box->currentIndex())->isEnabled());
        QVERIFY(box->currentIndex() > 0);

        // Forced on the dialog, it signs nothing and asks for no PIN.
        box->setCurrentIndex(expired);
        rig.save();
        QCOMPARE(rig.ui.last().kind, UiCall::Message);
        QCOMPARE(rig.ui.last().text,
                 QStringLiteral("Certyfikatem „Wygasły Testowy” nie można podpisywać: certyfikat wygasł 2021-01-01."));
        QCOMPARE(rig.ui.count(UiCall::Secret), 0);
        QVERIFY(rig.files().isEmpty());
    }

    void eachFileIsSignedWithTheCardItsPinAskedOnceABatch() {
        Rig rig;
        rig.choose(kCard);
        rig.control<QCheckBox>("cbWidoczny")->setChecked(true);
        rig.ui.secrets.push_back(QByteArray("1234"));
        rig.ui.answers.push_back(false);  // the folder is not opened
        rig.save();
        QCOMPARE(rig.ui.count(UiCall::Secret), 1);
        QCOMPARE(rig.ui.callsOf(UiCall::Secret).front().text,
                 QStringLiteral("PIN karty „fiskon-karta” (certyfikat „Karta Testowa”):"));
        const QString done = rig.ui.last().text;
        QVERIFY2(done.startsWith(QStringLiteral("Zapisano 3 pliki PDF podpisane certyfikatem „Karta Testowa” w katalogu „%1”.")
                                     .arg(QDir::toNativeSeparators(rig.folder))),
                 qPrintable(rig.ui.transcript()));
        const QStringList files{"KOWALCZYK_PIOTR.pdf", "MAZUR_ZOFIA.pdf", "ŻAK_EWA.pdf"};
        QCOMPARE(rig.files(), files);
        const QStringList pesels{"78110239579", "92071504819", "85031212367"};
        for (int n = 0; n < files.size(); ++n) {
            const QString report = verify(pki_.path(), QDir(rig.folder).filePath(files[n]), pesels[n]);
            for (const char* expected : {"Signature is Valid", "Total document signed", "Karta Testowa"})
                QVERIFY2(report.contains(QLatin1String(expected)), qPrintable(files[n] + QStringLiteral(":\n") + report));
        }

        // The certificate, not the PIN, is remembered, and chosen again by a dialog made afresh.
        QCOMPARE(RememberedSigningCertificate(rig.settings), kCard);
        QFile settings(rig.settings.fileName());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("1234"));
        TFEachPdf again{rig.workspace, rig.view, rig.showForm, rig.settings, rig.ui, rig.calendar};
        again.FormShow();
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("cbCertyfikat"))->currentData().toString(), kCard);

        // The card was locked again after its batch: the next one asks anew, and a wrong PIN,
        // tried once, writes nothing.
        rig.ui.clearCalls();
        rig.folder = rig.dir.filePath(QStringLiteral("pity-2"));
        rig.control<QLineEdit>("eKatalog")->setText(rig.folder);
        rig.ui.secrets.push_back(QByteArray("4321"));
        rig.save();
        QCOMPARE(rig.ui.count(UiCall::Secret), 1);
        QCOMPARE(rig.ui.last().kind, UiCall::Message);
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Nieprawidłowy PIN karty „fiskon-karta”.")),
                 qPrintable(rig.ui.transcript()));
        QVERIFY(QFileInfo(rig.folder).isDir());
        QVERIFY(rig.files().isEmpty());
        QVERIFY(rig.ui.allAnswersUsed());
    }

    void aCertificateFileIsAddedWithItsPasswordAndChosen() {
        Rig rig;
        const QString file = pki_.filePath(QStringLiteral("dodatkowy.p12"));
        rig.ui.fileNames.push_back(file);
        rig.ui.secrets.push_back(QByteArray("tajne13"));
        rig.control<QPushButton>("btnDodajCertyfikat")->click();
        QCOMPARE(rig.ui.callsOf(UiCall::OpenFile).front().filter.contains(QStringLiteral("*.p12;*.pfx")), true);
        QCOMPARE(rig.ui.callsOf(UiCall::Secret).front().text, QStringLiteral("Hasło pliku certyfikatu „dodatkowy.p12”:"));
        QCOMPARE(rig.ui.last().kind, UiCall::Message);
        QVERIFY2(rig.ui.last().text.contains(QStringLiteral("nieprawidłowe hasło")), qPrintable(rig.ui.last().text));
        QCOMPARE(rig.certificates()->currentIndex(), 0);

        rig.ui.fileNames.push_back(file);
        rig.ui.secrets.push_back(QByteArray("tajne12"));
        rig.control<QPushButton>("btnDodajCertyfikat")->click();
        QCOMPARE(rig.ui.count(UiCall::Secret), 2);
        QCOMPARE(rig.certificates()->currentData().toString(), QStringLiteral("Dodatkowy Testowy"));
        QVERIFY(rig.certificates()->currentText().startsWith(QStringLiteral("Dodatkowy Testowy, w bazie certyfikatów, ważny do ")));
        QVERIFY(rig.ui.allAnswersUsed());
    }
};

QTEST_MAIN(TFEachPdfSigningTest)
#include "TFEachPdfSigning_test.moc"
