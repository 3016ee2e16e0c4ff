// "Zapisz PDF dla każdego podatnika…": nothing is written while a taxpayer lacks the number that
// should lock the file; the files locked with one password typed twice open with it, the password
// is gone from the dialog afterwards, and the folder opens when the user asks.

#include "forms/widgets/EachPdfRig.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TFEachPdfTest : public QObject {
    Q_OBJECT

    using Rig = EachPdfRig;

    QTemporaryDir noDatabase_;

private slots:
    // The user's own certificate database is never touched here.
    void initTestCase() { qputenv("FISKON_NSS_DB", QFile::encodeName(noDatabase_.filePath(QStringLiteral("nssdb")))); }

    void nothingIsWrittenWhileATaxpayerLacksAUsablePesel() {
        Rig rig;
        rig.dialog.FormShow();
        QVERIFY(rig.control<QRadioButton>("rbPesel")->isChecked());  // the default
        // No certificate database: the files can only go unsigned, and the dialog says why.
        QCOMPARE(rig.control<QComboBox>("cbCertyfikat")->count(), 1);
        QCOMPARE(rig.control<QComboBox>("cbCertyfikat")->currentText(), QStringLiteral("bez podpisu"));
        QVERIFY2(rig.control<QLabel>("lblCertyfikaty")->text().startsWith(
                     QStringLiteral("Nie można podpisywać plików: Nie ma bazy certyfikatów „")),
                 qPrintable(rig.control<QLabel>("lblCertyfikaty")->text()));
        QVERIFY(!rig.control<QPushButton>("btnDodajCertyfikat")->isEnabled());
        QVERIFY(!QFileInfo::exists(noDatabase_.filePath(QStringLiteral("nssdb"))));  // not made in passing
        rig.ui.fileNames.push_back(rig.folder);
        rig.control<QToolButton>("btnKatalog")->click();
        QCOMPARE(rig.ui.last().kind, UiCall::ChooseFolder);
        rig.control<QPushButton>("btnSave")->click();
        const QString message = rig.ui.last().text;
        QVERIFY2(message.startsWith(QStringLiteral("Nie można zabezpieczyć hasłem plików 2 podatników")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("rekord nr 2 NOWAK ANNA: PESEL „8503121236”")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("rekord nr 3 ADAMCZYK JAN: brak numeru PESEL")), qPrintable(message));
        QVERIFY(!message.contains(QStringLiteral("ŻAK")));
        QVERIFY(!QFileInfo::exists(rig.folder));
    }

    void onePasswordTypedTwiceLocksEveryFileAndIsForgotten() {
        Rig rig;
        rig.view.selection = {0, 2};
        rig.dialog.FormShow();
        QVERIFY(rig.control<QRadioButton>("rbZaznaczeni")->isChecked());
        rig.control<QRadioButton>("rbPIT40")->setChecked(true);
        rig.control<QLineEdit>("eKatalog")->setText(rig.folder);
        rig.control<QRadioButton>("rbJednoHaslo")->setChecked(true);
        rig.control<QLineEdit>("eHaslo1")->setText(QStringLiteral("Tajne-Hasło 1"));
        rig.control<QLineEdit>("eHaslo2")->setText(QStringLiteral("Tajne-Haslo 1"));
        rig.control<QPushButton>("btnSave")->click();
        QCOMPARE(rig.ui.last().text, QStringLiteral("Wpisane hasła się różnią. Wpisz hasło dwa razy tak samo."));
        QVERIFY(rig.files().isEmpty());

        rig.control<QLineEdit>("eHaslo1")->setText(QStringLiteral("Tajne-Hasło 1"));
        rig.control<QLineEdit>("eHaslo2")->setText(QStringLiteral("Tajne-Hasło 1"));
        rig.ui.answers.push_back(true);  // open the folder
        rig.control<QPushButton>("btnSave")->click();
        const UiCall question = rig.ui.callsOf(UiCall::Ask).back();
        QVERIFY2(question.text.startsWith(QStringLiteral("Zapisano 2 pliki PDF w katalogu „%1”.")
                                              .arg(QDir::toNativeSeparators(rig.folder))),
                 qPrintable(question.text));
        QCOMPARE(rig.ui.last().kind, UiCall::Url);
        QCOMPARE(rig.ui.last().url, QUrl::fromLocalFile(rig.folder));
        QCOMPARE(rig.files(), (QStringList{"ADAMCZYK_JAN.pdf", "ŻAK_EWA.pdf"}));
        QVERIFY(rig.control<QLineEdit>("eHaslo1")->text().isEmpty() && rig.control<QLineEdit>("eHaslo2")->text().isEmpty());

        if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) QSKIP("no qpdf");
        const QString file = QDir(rig.folder).filePath(QStringLiteral("ADAMCZYK_JAN.pdf"));
        for (const auto& [password, opens] : {std::pair{QStringLiteral("Tajne-Hasło 1"), true},
                                              std::pair{QStringLiteral("85031212367"), false}}) {
            QProcess qpdf;
            qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--password=") + password, QStringLiteral("--check"), file});
            QVERIFY(qpdf.waitForFinished(60000));
            QCOMPARE(qpdf.exitCode() == 0, opens);
        }
    }

    void przerwijStopsAfterTheFilesBeingWrittenAndSaysHowMany() {
        Rig rig;
        for (int n = 4; n <= 20; ++n)
            rig.workspace.taxpayers.Add(Person(QStringLiteral("OSOBA%1").arg(n), QStringLiteral("JAN"), "85031212367"));
        rig.dialog.FormShow();
        rig.control<QLineEdit>("eKatalog")->setText(rig.folder);
        rig.control<QRadioButton>("rbBezHasla")->setChecked(true);
        // Pressed as soon as the batch lets events through: the first part (8 files) is finished.
        QTimer::singleShot(0, rig.control<QPushButton>("btnPrzerwij"), &QPushButton::click);
        rig.ui.answers.push_back(false);
        rig.control<QPushButton>("btnSave")->click();
        const QString text = rig.ui.callsOf(UiCall::Ask).back().text;
        QVERIFY2(text.startsWith(QStringLiteral("Przerwano. Zapisano 8 z 20 plików PDF w katalogu")), qPrintable(text));
        QCOMPARE(rig.files().size(), 8);
        QCOMPARE(rig.ui.count(UiCall::Url), 0);
        QVERIFY(rig.control<QPushButton>("btnSave")->isEnabled());
    }
};

QTEST_MAIN(TFEachPdfTest)
#include "TFEachPdf_test.moc"
