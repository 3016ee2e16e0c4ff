// "Wyślij PIT-y e-mailem…" against a real SMTP server on the loopback (tests/mail/smtp_test_server.py,
// STARTTLS and AUTH with a test CA made here): the test message to the sender, the batch that
// leaves out a taxpayer without an address and names the one the server refuses, its record, and
// the batch resumed on that record, which sends nobody a second message. No secret store answers
// here, so the password is asked for each batch and never kept.

#include "edit/widgets/EditRig.h"
#include "forms/widgets/TFVEL.h"
#include "mail/DeliveryRecord.h"
#include "mail/widgets/TFMail.h"
#include "settings/ProgramSettings.h"
#include "signing/CertificateDatabase.h"

#include <QComboBox>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

const QByteArray kSmtpPassword = QStringLiteral("tajne-hasło").toUtf8();
const QString kRefused = QStringLiteral("nowak.anna@example.pl");

bool run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

// A CA and the server's certificate for 127.0.0.1 signed by it.
bool makePki(const QString& folder) {
    const QString openssl = QStringLiteral("openssl");
    QFile ext(QDir(folder).filePath(QStringLiteral("san.ext")));
    if (!ext.open(QIODevice::WriteOnly)) return false;
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    return run(openssl, QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=FiskonTestCA -keyout ca.key -out ca.pem").split(u' '), folder) &&
           run(openssl, QStringLiteral("req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout server.key -out server.csr").split(u' '), folder) &&
           run(openssl, QStringLiteral("x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.pem").split(u' '), folder);
}

// The PDF attached to a message the server saved.
QByteArray attachment(const QString& file) {
    QFile eml(file);
    if (!eml.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = eml.readAll();
    const qsizetype part = text.indexOf("Content-Type: application/pdf");
    const qsizetype begin = text.indexOf("\r\n\r\n", part);
    const qsizetype end = text.indexOf("\r\n--", begin);
    if (part < 0 || begin < 0 || end < 0) return {};
    return QByteArray::fromBase64(text.mid(begin, end - begin));
}

// Whom the server took a message for, in order.
QStringList recipients(const QString& folder) {
    QFile log(QDir(folder).filePath(QStringLiteral("received.jsonl")));
    QStringList to;
    if (!log.open(QIODevice::ReadOnly)) return to;
    while (!log.atEnd()) {
        const QJsonArray list = QJsonDocument::fromJson(log.readLine()).object().value(QStringLiteral("to")).toArray();
        for (const QJsonValue& address : list) to << address.toString();
    }
    return to;
}

}  // namespace

class TFMailTest : public QObject {
    Q_OBJECT

    // The test server on the CA made in server_, its messages in `folder`; its port, 0 when it
    // did not start.
    int startServer(QProcess& smtp, const QString& folder, const QStringList& faults) {
        const QDir pki(server_.path());
        smtp.start(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(FISKON_TEST_FIXTURES "/../mail/smtp_test_server.py"), QStringLiteral("--dir"),
                               folder, QStringLiteral("--cert"), pki.filePath(QStringLiteral("server.pem")),
                               QStringLiteral("--key"), pki.filePath(QStringLiteral("server.key"))} +
                       faults);
        const QString port = QDir(folder).filePath(QStringLiteral("port"));
        if (!smtp.waitForStarted() || !QTest::qWaitFor([&port] { return QFile::exists(port); }, 20000)) return 0;
        QFile file(port);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toInt() : 0;
    }

    QTemporaryDir server_;
    QTemporaryDir pki_;  // the signing certificates, when their tools are there
    bool signing_ = false;
    QProcess smtp_;
    int port_ = 0;

    struct Rig : EditRig {
        Rig() {
            const auto add = [this](const char* surname, const char* name, const char* pesel, const char* email) {
                TaxpayerRecord person = Person(QString::fromUtf8(surname), QString::fromUtf8(name), pesel);
                person.email = email;
                workspace.taxpayers.Add(person);
            };
            add("ŻAK", "EWA", "85031212367", "ewa.zak@example.pl");
            add("MAZUR", "ZOFIA", "92071504819", "");
            add("NOWAK", "ANNA", "88122401239", "nowak.anna@example.pl");
            add("KOWALCZYK", "PIOTR", "78110239579", "p.kowalczyk@example.pl");
            ui.onUnexpected = [](const QString& message) { QFAIL(qPrintable(message)); };
        }
        template <typename T = QLineEdit>
        T* control(const char* name) {
            T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
            if (!widget) qFatal("no control %s", name);
            return widget;
        }
        void click(const char* name) { control<QPushButton>(name)->click(); }
        void chooseServer(int port, const QString& caFile) {
            control("eSerwer")->setText(QStringLiteral("127.0.0.1"));
            control("ePort")->setText(QString::number(port));
            control("eUzytkownik")->setText(QStringLiteral("kadry"));
            control("eNadawca")->setText(QStringLiteral("kadry@biuro-zuraw.example.pl"));
            control("eNazwaNadawcy")->setText(QStringLiteral("Biuro Rachunkowe „Żuraw”"));
            control("eCaFile")->setText(caFile);
            control("eZapis")->setText(record);
        }

        ProgramSettings settings{dir.filePath(QStringLiteral("fiskon.ini"))};
        TFVEL showForm{workspace, ui, calendar};
        TFMail dialog{workspace, view, showForm, settings, ui, calendar, MailPasswordStore(5s)};
        QString record = dir.filePath(QStringLiteral("wysyłka.csv"));
    };

private slots:
    void initTestCase() {
        // No secret store and no certificate database of the user's: the test's own, with a card.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/fiskon-test-bus");
        qputenv("FISKON_NSS_DB", QFile::encodeName(server_.filePath(QStringLiteral("nssdb"))));
        signing_ = true;
        for (const char* tool : {"softhsm2-util", "certutil", "pk12util", "modutil", "pdfsig"})
            signing_ = signing_ && !QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty();
        if (signing_) {
            QVERIFY(run(QStringLiteral(FISKON_TEST_FIXTURES "/../signing/make-test-pki"), {pki_.path()}, pki_.path()));
            qputenv("SOFTHSM2_CONF", QFile::encodeName(pki_.filePath(QStringLiteral("softhsm2.conf"))));
            qputenv("FISKON_NSS_DB", QFile::encodeName(pki_.filePath(QStringLiteral("nssdb"))));
        }
        for (const char* tool : {"openssl", "/usr/bin/python3"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty() && !QFile::exists(QString::fromLatin1(tool)))
                QSKIP(qPrintable(QStringLiteral("no %1").arg(QString::fromLatin1(tool))));
        if (!run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")}, server_.path()))
            QSKIP("no python3-aiosmtpd");
        QVERIFY(makePki(server_.path()));
        port_ = startServer(smtp_, server_.path(), {QStringLiteral("--reject"), kRefused});
        QVERIFY(port_ > 0);
    }

    void cleanupTestCase() {
        smtp_.terminate();
        smtp_.waitForFinished(10000);
        FinishCertificateDatabase();
    }

    // Signed with the card's key on the batch's thread, the PIN asked once, before the password:
    // each received attachment is signed and opens with its recipient's PESEL.
    void eachMessageCarriesItsTaxpayersSignedFile() {
        if (!signing_) QSKIP("no signing tools");
        const int before = recipients(server_.path()).size();
        Rig rig;
        rig.dialog.FormShow();
        rig.chooseServer(port_, server_.filePath(QStringLiteral("ca.pem")));
        auto* certificates = rig.control<QComboBox>("cbCertyfikat");
        certificates->setCurrentIndex(certificates->findData(QStringLiteral("fiskon-karta:Karta Testowa")));
        QVERIFY(certificates->currentIndex() > 0);
        rig.ui.answers.push_back(true);  // without the one with no address
        rig.ui.secrets.push_back(QByteArray("1234"));
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        const std::vector<UiCall> secrets = rig.ui.callsOf(UiCall::Secret);
        QCOMPARE(secrets.size(), std::size_t{2});
        QCOMPARE(secrets.front().text, QStringLiteral("PIN karty „fiskon-karta” (certyfikat „Karta Testowa”):"));
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Wysłano 2 z 3 wiadomości.")), qPrintable(rig.ui.transcript()));
        const QStringList to = recipients(server_.path()).mid(before);
        QCOMPARE(to, (QStringList{QStringLiteral("ewa.zak@example.pl"), QStringLiteral("p.kowalczyk@example.pl")}));
        const QStringList pesels{QStringLiteral("85031212367"), QStringLiteral("78110239579")};
        for (int n = 0; n < 2; ++n) {
            const QString pdf = rig.dir.filePath(QStringLiteral("odebrany.pdf"));
            QFile out(pdf);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(attachment(QDir(server_.path()).filePath(QStringLiteral("%1.eml").arg(before + n + 1, 4, 10, QLatin1Char('0')))));
            out.close();
            QProcess pdfsig;
            pdfsig.start(QStringLiteral("pdfsig"), {QStringLiteral("-nssdir"), QStringLiteral("sql:") + pki_.filePath(QStringLiteral("verifydb")),
                                                    QStringLiteral("-upw"), pesels[n], pdf});
            QVERIFY(pdfsig.waitForFinished(60000));
            const QString report = QString::fromUtf8(pdfsig.readAllStandardOutput() + pdfsig.readAllStandardError());
            QVERIFY2(report.contains(QStringLiteral("Signature is Valid")) && report.contains(QStringLiteral("Karta Testowa")),
                     qPrintable(to[n] + QStringLiteral(":\n") + report));
        }
    }

    void testMessageThenBatchThenResumedBatchSendNobodyTwice() {
        const int before = recipients(server_.path()).size();
        Rig rig;
        const QString screenshot = qEnvironmentVariable("FISKON_SCREENSHOT");
        if (screenshot.isEmpty())
            rig.dialog.FormShow();
        else
            rig.dialog.show();  // shown, it fills itself
        QCOMPARE(rig.control<QComboBox>("cbSzyfrowanie")->currentIndex(), 0);  // STARTTLS
        rig.chooseServer(port_, server_.filePath(QStringLiteral("ca.pem")));
        rig.control("eTemat")->setText(QStringLiteral("{formularz} za {rok} dla {imie} {nazwisko}"));
        if (!screenshot.isEmpty()) {
            QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
            QVERIFY(rig.dialog.grab().save(screenshot));
        }

        // The test message: the first taxpayer's form to the sender's own address.
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnProba");
        QVERIFY2(rig.ui.count(UiCall::Secret) == 1, qPrintable(rig.ui.transcript()));
        QVERIFY2(rig.ui.callsOf(UiCall::Secret).front().text.contains(QStringLiteral("Hasła nie można zapamiętać")),
                 qPrintable(rig.ui.transcript()));
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Wysłano próbną wiadomość (formularz podatnika 1 ŻAK EWA)")),
                 qPrintable(rig.ui.transcript()));
        QCOMPARE(recipients(server_.path()).mid(before), QStringList{QStringLiteral("kadry@biuro-zuraw.example.pl")});
        QVERIFY(!QFile::exists(rig.record));

        // The batch: the taxpayer without an address named and left out, the refused one named.
        rig.ui.clearCalls();
        rig.ui.answers.push_back(true);  // send to the others
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        const UiCall question = rig.ui.callsOf(UiCall::Ask).front();
        QVERIFY2(question.text.startsWith(QStringLiteral("Brak poprawnego adresu e-mail u 1 podatnika:\n2 MAZUR ZOFIA")),
                 qPrintable(question.text));
        QVERIFY2(question.text.endsWith(QStringLiteral("Wysłać PIT-y pozostałym podatnikom (3)?")), qPrintable(question.text));
        const QString done = rig.ui.last().text;
        QVERIFY2(done.startsWith(QStringLiteral("Wysłano 2 z 3 wiadomości.")), qPrintable(rig.ui.transcript()));
        QVERIFY2(done.contains(QStringLiteral("Zapis wysyłki: „%1”.").arg(QDir::toNativeSeparators(rig.record))), qPrintable(done));
        QVERIFY2(done.contains(QStringLiteral("Odrzucone przez serwer:\n3 NOWAK ANNA <nowak.anna@example.pl>: 550")), qPrintable(done));
        QCOMPARE(rig.ui.last().icon, MessageIcon::Warning);
        const std::vector<DeliveryRow> rows = ReadDeliveryRecord(rig.record);
        QCOMPARE(rows.size(), std::size_t{3});
        QCOMPARE(rows[0].state, DeliveryState::Sent);
        QCOMPARE(rows[1].state, DeliveryState::Refused);
        QCOMPARE(rows[2].state, DeliveryState::Sent);
        QCOMPARE(rows[2].file, QStringLiteral("KOWALCZYK_PIOTR.pdf"));

        // Started again on the same record: resumed when the user says so, only the refused one tried.
        rig.ui.clearCalls();
        rig.ui.answers.push_back(true);  // again without the one with no address
        rig.ui.choices.push_back(0);     // "Wznów"
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        const UiCall resume = rig.ui.callsOf(UiCall::Choose).front();
        QVERIFY2(resume.text.contains(QStringLiteral("według niego wysłano 2 z 3 wiadomości")), qPrintable(resume.text));
        QCOMPARE(resume.buttons, (QStringList{QStringLiteral("Wznów"), QStringLiteral("Anuluj")}));
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Wysłano 0 z 1 wiadomości.")), qPrintable(rig.ui.transcript()));
        QCOMPARE(recipients(server_.path()).mid(before),
                 (QStringList{QStringLiteral("kadry@biuro-zuraw.example.pl"), QStringLiteral("ewa.zak@example.pl"),
                              QStringLiteral("p.kowalczyk@example.pl")}));
        QVERIFY(rig.ui.allAnswersUsed());

        // The server's settings and the template are remembered, the password is not.
        TFMail again{rig.workspace, rig.view, rig.showForm, rig.settings, rig.ui, rig.calendar, MailPasswordStore(5s)};
        again.FormShow();
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("ePort"))->text(), QString::number(port_));
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("eTemat"))->text(),
                 QStringLiteral("{formularz} za {rok} dla {imie} {nazwisko}"));
        QFile settings(rig.settings.fileName());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray stored = settings.readAll();
        QVERIFY(stored.contains("MailServer=127.0.0.1"));
        QVERIFY(!stored.contains(kSmtpPassword) && !stored.contains(kSmtpPassword.toPercentEncoding()));
    }

    // The server drops the connection after the first message's data: that one is "niepewne",
    // named at the end, and sent again only when the user asks on resuming. Przerwij, pressed
    // while the batch runs on its thread, stops it.
    void anUncertainMessageIsSentAgainOnlyWhenAskedAndPrzerwijStops() {
        QTemporaryDir folder;
        QProcess smtp;
        const int port = startServer(smtp, folder.path(), {QStringLiteral("--drop-data"), QStringLiteral("1")});
        QVERIFY(port > 0);
        const auto stop = qScopeGuard([&smtp] {
            smtp.terminate();
            smtp.waitForFinished(10000);
        });
        Rig rig;
        rig.dialog.FormShow();
        rig.chooseServer(port, server_.filePath(QStringLiteral("ca.pem")));
        rig.ui.answers.push_back(true);  // without the one with no address
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        QString done = rig.ui.last().text;
        QVERIFY2(done.startsWith(QStringLiteral("Wysłano 2 z 3 wiadomości.")), qPrintable(rig.ui.transcript()));
        QVERIFY2(done.contains(QStringLiteral("Niepewne (serwer mógł je przyjąć; wyślij je ponownie tylko po sprawdzeniu):\n"
                                              "1 ŻAK EWA <ewa.zak@example.pl>")),
                 qPrintable(done));

        rig.ui.clearCalls();
        rig.ui.choices.push_back(1);  // "Wznów i wyślij ponownie niepewne"
        rig.ui.answers.push_back(true);
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        QCOMPARE(rig.ui.callsOf(UiCall::Choose).front().buttons,
                 (QStringList{QStringLiteral("Wznów"), QStringLiteral("Wznów i wyślij ponownie niepewne"), QStringLiteral("Anuluj")}));
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Wysłano 1 z 1 wiadomości.")), qPrintable(rig.ui.transcript()));
        QCOMPARE(recipients(folder.path()), (QStringList{QStringLiteral("nowak.anna@example.pl"), QStringLiteral("p.kowalczyk@example.pl"),
                                                         QStringLiteral("ewa.zak@example.pl")}));

        // On a record of its own, Przerwij as soon as the progress line shows: the window's
        // events go on while the batch runs.
        rig.record = rig.dir.filePath(QStringLiteral("druga.csv"));
        rig.control("eZapis")->setText(rig.record);
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, &rig.dialog, [&rig, &press] {
            if (!rig.control<QWidget>("pnlPostep")->isVisibleTo(&rig.dialog)) return;
            rig.click("btnPrzerwij");
            press.stop();
        });
        press.start(1);
        rig.ui.clearCalls();
        rig.ui.answers.push_back(true);
        rig.ui.secrets.push_back(kSmtpPassword);
        rig.click("btnWyslij");
        QVERIFY(!press.isActive());
        done = rig.ui.last().text;
        QVERIFY2(done.contains(QStringLiteral("Przerwano")), qPrintable(rig.ui.transcript()));
        QVERIFY(recipients(folder.path()).size() < 6);
        QVERIFY(rig.control<QPushButton>("btnWyslij")->isEnabled());
        QVERIFY(rig.ui.allAnswersUsed());
    }
};

QTEST_MAIN(TFMailTest)
#include "TFMail_test.moc"
