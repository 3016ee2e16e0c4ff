// Printing on real printer queues. The test runs a CUPS server of its own (configuration, socket,
// spool and logs in a temporary folder) with two PDF queues whose backend keeps every job in a file
// of its own; clients reach it through CUPS_SERVER. Fiskon's print dialog then prints three
// taxpayers through our real forms program: once through the forms program's print dialog, in
// which the second queue is chosen, and once silently, which goes to the default queue. Every job
// must reach its queue, and its text must hold the taxpayer's name and amounts.
//
// Where cupsd is not installed the test is skipped and says so; a cupsd that will not start fails it.

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
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <csignal>
#include <memory>
#include <sys/prctl.h>

namespace {

// The default queue sorts first, so the printer index 0 that Fiskon sends names it too.
constexpr const char* kDefaultQueue = "Fiskon_PDF";
constexpr const char* kChosenQueue = "Kadry_PDF";
constexpr const char* kBackend = "fiskonspool";

// Every job into a file of its own, "job-N.pdf", in the folder the device URI names.
constexpr const char* kBackendScript = R"sh(#!/bin/sh
if [ $# -eq 0 ]; then echo 'file fiskonspool "Fiskon" "Fiskon spool"'; exit 0; fi
dir=${DEVICE_URI#fiskonspool:}
if [ $# -ge 6 ]; then cat "$6"; else cat; fi > "$dir/job-$1.part" || exit 1
mv "$dir/job-$1.part" "$dir/job-$1.pdf"
)sh";

// A PDF printer: PDF goes to the backend as it is.
constexpr const char* kPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "FISKON.PPD"
*Manufacturer: "Fiskon"
*Product: "(Fiskon PDF)"
*ModelName: "Fiskon PDF"
*ShortNickName: "Fiskon PDF"
*NickName: "Fiskon PDF"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";

bool WriteFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.setPermissions(permissions);
}

// Runs a CUPS client program; its output, or an error naming it.
bool RunClient(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(20000);
    *output = QString::fromLocal8Bit(process.readAll());
    if (!finished) process.kill();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A cupsd of its own in a temporary folder; it ends with this object, and with the test program
// should that die first.
class PrivateCupsServer {
public:
    ~PrivateCupsServer() { stop(); }

    // The folder of the programs cupsd runs (filters, backends, cups-exec), empty when none.
    static QString SystemServerBin() {
        for (const char* folder : {"/usr/lib/cups", "/usr/libexec/cups"})
            if (QFileInfo::exists(QString::fromLatin1(folder) + QStringLiteral("/daemon/cups-exec"))) return QString::fromLatin1(folder);
        return {};
    }

    static QString Cupsd() {
        return QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    }

    // Writes the configuration, starts cupsd, adds the queues and sets CUPS_SERVER for this
    // program and its children. False with `error` saying why.
    bool start(const QStringList& queues, QString* error) {
        if (!folder_.isValid()) return fail(error, QStringLiteral("no temporary folder"));
        QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const QDir root(folder_.path());
        for (const char* sub : {"conf", "spool/tmp", "cache", "state", "log", "bin/backend"})
            if (!root.mkpath(QString::fromLatin1(sub))) return fail(error, QStringLiteral("cannot make %1").arg(sub));
        const QString serverBin = SystemServerBin();
        for (const char* sub : {"filter", "daemon", "cgi-bin", "notifier", "monitor", "driver"}) {
            const QString target = serverBin + u'/' + QString::fromLatin1(sub);
            if (QFileInfo::exists(target)) QFile::link(target, path("bin/") + QString::fromLatin1(sub));
        }
        // Mode 0700: cupsd runs such a backend as the user it runs as itself.
        if (!WriteFile(path("bin/backend/") + QString::fromLatin1(kBackend), kBackendScript,
                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return fail(error, QStringLiteral("cannot write the backend"));
        const QByteArray group = PrimaryGroup();  // whoever runs the test administers its server
        const QByteArray files = "ServerRoot " + path("conf").toLocal8Bit() + "\nRequestRoot " + path("spool").toLocal8Bit() +
                                 "\nTempDir " + path("spool/tmp").toLocal8Bit() + "\nCacheDir " + path("cache").toLocal8Bit() +
                                 "\nStateDir " + path("state").toLocal8Bit() + "\nServerBin " + path("bin").toLocal8Bit() +
                                 "\nAccessLog " + path("log/access_log").toLocal8Bit() + "\nErrorLog " +
                                 path("log/error_log").toLocal8Bit() + "\nPageLog " + path("log/page_log").toLocal8Bit() +
                                 "\nSystemGroup " + group + "\nFileDevice No\n";
        const QByteArray server = "Listen " + socket().toLocal8Bit() +
                                  "\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n";
        const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (!WriteFile(path("conf/cups-files.conf"), files, readable) || !WriteFile(path("conf/cupsd.conf"), server, readable) ||
            !WriteFile(path("fiskon.ppd"), kPpd, readable))
            return fail(error, QStringLiteral("cannot write the configuration"));

        // A copy of cupsd runs: where AppArmor is enforced, the system's profile for /usr/sbin/cupsd
        // keeps that one to the system's own folders and backends.
        const QString program = path(QStringLiteral("cupsd"));
        if (!QFile::copy(Cupsd(), program) ||
            !QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther))
            return fail(error, QStringLiteral("cannot copy %1").arg(Cupsd()));
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start(program, {QStringLiteral("-f"), QStringLiteral("-c"), path("conf/cupsd.conf"), QStringLiteral("-s"),
                               path("conf/cups-files.conf")});
        if (!cupsd_.waitForStarted(10000)) return fail(error, QStringLiteral("cupsd did not start: ") + cupsd_.errorString());
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        QString output;
        bool running = false;
        for (int attempt = 0; attempt < 100 && !running; ++attempt) {
            if (cupsd_.state() != QProcess::Running) break;
            running = RunClient(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &output) &&
                      output.contains(QStringLiteral("scheduler is running"));
            if (!running) QTest::qWait(100);
        }
        if (!running) return fail(error, QStringLiteral("cupsd does not answer on %1.\n%2").arg(socket(), log()));
        for (const QString& queue : queues) {
            if (!QDir().mkpath(outputFolder(queue))) return fail(error, QStringLiteral("cannot make %1").arg(outputFolder(queue)));
            if (!RunClient(QStringLiteral("lpadmin"),
                           {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                            QString::fromLatin1(kBackend) + u':' + outputFolder(queue), QStringLiteral("-P"), path("fiskon.ppd")},
                           &output))
                return fail(error, QStringLiteral("lpadmin could not add %1: %2\n%3").arg(queue, output, log()));
        }
        if (!RunClient(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queues.front()}, &output))
            return fail(error, QStringLiteral("lpadmin could not set the default: %1").arg(output));
        return true;
    }

    void stop() {
        if (cupsd_.state() == QProcess::NotRunning) return;
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }

    QString outputFolder(const QString& queue) const { return path(QStringLiteral("out-") + queue); }

    // The files of the jobs that went out of a queue, in the order they came.
    QStringList jobFiles(const QString& queue) const {
        QStringList files = QDir(outputFolder(queue)).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
        const auto number = [](const QString& name) { return name.mid(4).section(u'.', 0, 0).toInt(); };
        std::sort(files.begin(), files.end(), [&](const QString& a, const QString& b) { return number(a) < number(b); });
        for (QString& file : files) file = QDir(outputFolder(queue)).filePath(file);
        return files;
    }

    QString log() const {
        QFile file(path(QStringLiteral("log/error_log")));
        const QString errorLog = file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().right(4000)) : QString();
        return QStringLiteral("cupsd said: %1\nerror_log: %2").arg(QString::fromLocal8Bit(cupsd_.readAll()), errorLog);
    }

private:
    static QByteArray PrimaryGroup() {
        QProcess id;
        id.start(QStringLiteral("id"), {QStringLiteral("-gn")});
        id.waitForFinished(5000);
        return id.readAllStandardOutput().trimmed();
    }
    QString path(const QString& relative) const { return QDir(folder_.path()).filePath(relative); }
    QString socket() const { return path(QStringLiteral("cups.sock")); }
    static bool fail(QString* error, const QString& text) {
        *error = text;
        return false;
    }

    QTemporaryDir folder_{QDir::tempPath() + QStringLiteral("/fiskon-cups-XXXXXX")};
    mutable QProcess cupsd_;  // its output is read for the messages
};

class SelectedRows : public MainView {
public:
    void RefreshView(ViewMode) override {}
    ViewMode viewMode() const override { return ViewMode::vmTabela; }
    std::vector<int> selectedRows() const override { return {0, 1, 2}; }
};

struct Taxpayer {
    const char* surname;
    const char* firstName;
    const char* revenue;  // box 34 as stored
    const char* cost;     // box 35
    const char* income;   // box 36 as the form shows it
    const char* revenueShown;
};

const Taxpayer kTaxpayers[] = {
    {"ADAMSKI", "JAN", "1234,56", "111,11", "1 123,45", "1 234,56"},
    {"BORUCKA", "EWA", "23456,78", "2222,22", "21 234,56", "23 456,78"},
    {"CEGLARZ", "OLA", "345678,90", "33333,33", "312 345,57", "345 678,90"},
};

QString PdfText(const QString& path) {
    return PdfFileText(path).replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

}  // namespace

class CupsPrintingTest : public QObject {
    Q_OBJECT

    PrivateCupsServer cups;
    SelectedRows view;
    RealFormsProgramRig rig;

    // Waits for `count` jobs out of the queue and checks that the n-th holds the n-th taxpayer.
    void expectJobs(const char* queue, const QString& form) {
        const QString name = QString::fromLatin1(queue);
        QTRY_COMPARE_WITH_TIMEOUT(cups.jobFiles(name).size(), 3, 30000);
        QTest::qWait(300);  // nothing more comes
        const QStringList files = cups.jobFiles(name);
        QCOMPARE(files.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const Taxpayer& taxpayer = kTaxpayers[i];
            const QString text = PdfText(files[i]);
            QVERIFY2(text.contains(form), qPrintable(files[i] + u'\n' + text));
            for (const char* expected : {taxpayer.surname, taxpayer.firstName, taxpayer.revenueShown, taxpayer.income, "KOWALSKA"})
                QVERIFY2(text.contains(QString::fromUtf8(expected)),
                         qPrintable(QStringLiteral("%1 lacks %2:\n%3").arg(files[i], QString::fromUtf8(expected), text)));
        }
    }

private slots:
    void initTestCase() {
        if (PrivateCupsServer::Cupsd().isEmpty() || PrivateCupsServer::SystemServerBin().isEmpty())
            QSKIP("CUPS is not installed (no cupsd, or no /usr/lib/cups/daemon/cups-exec): tools/setup-debian installs it");
        if (QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("lpadmin (cups-client) or pdftotext (poppler-utils) is not installed: tools/setup-debian installs them");
        // Nothing of the user's own printing setup may choose the printer.
        QVERIFY(rig.start(QStringLiteral(FORMVEL_DIR), view));
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        QString error;
        QVERIFY2(cups.start({QString::fromLatin1(kDefaultQueue), QString::fromLatin1(kChosenQueue)}, &error),
                 qPrintable(QStringLiteral("The test's own CUPS server could not be set up: ") + error));
        // Our forms program, started by the link, gets the plugin that answers its print dialog.
        qputenv("QT_PLUGIN_PATH", PRINT_DIALOG_PLUGIN_DIR);
        qputenv("QT_QPA_GENERIC_PLUGINS", QByteArray("fiskonprintdialoganswer:") + kChosenQueue);

        rig.workspace.payer.NIP = "677-120-03-49";
        rig.workspace.payer.rodzaj = 1;
        rig.workspace.payer.nazwa = "FIRMA TESTOWA";
        for (const Taxpayer& taxpayer : kTaxpayers) {
            TaxpayerRecord record;
            record.nazwisko = taxpayer.surname;
            record.imie1 = taxpayer.firstName;
            record.dataUr = "1980-05-17";
            record.pit11_od = "01-01-2006";
            record.pit11_do = "31-12-2006";
            record.p11Box(34) = taxpayer.revenue;
            record.p11Box(35) = taxpayer.cost;
            rig.workspace.taxpayers.Add(record);
        }
    }

    void cleanupTestCase() {
        rig.stop();
        cups.stop();
    }

    // "Drukuj" for three taxpayers: the forms program's print dialog, answered by choosing the
    // second queue, serves the whole batch, and the user learns that all three were printed.
    void printDialogSendsTheBatchToTheChosenQueue() {
        rig.print->findChild<QLineEdit*>(QStringLiteral("eNazwisko"))->setText(QStringLiteral("KOWALSKA"));
        rig.print->findChild<QLineEdit*>(QStringLiteral("eImie"))->setText(QStringLiteral("ANNA"));
        rig.print->findChild<QPushButton*>(QStringLiteral("btnPrint"))->click();
        QVERIFY2(rig.ui.calls.size() == 1, qPrintable(rig.ui.transcript()));
        QCOMPARE(rig.ui.last().text, QStringLiteral("Wydrukowano 3 z 3 dokumentów."));
        expectJobs(kChosenQueue, QStringLiteral("PIT-11"));
        QVERIFY2(cups.jobFiles(QString::fromLatin1(kDefaultQueue)).isEmpty(), qPrintable(cups.log()));
    }

    // The same three printed silently, as a batch prints after its first document when no dialog
    // was chosen: the default queue.
    void silentPrintGoesToTheDefaultQueue() {
        QVERIFY(PrintSilently(rig.print->VEL(), *rig.vel, *rig.print->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")),
                              rig.workspace.taxpayers, 3));
        expectJobs(kDefaultQueue, QStringLiteral("PIT-11"));
        QCOMPARE(cups.jobFiles(QString::fromLatin1(kChosenQueue)).size(), 3);
    }
};

QTEST_MAIN(CupsPrintingTest)
#include "CupsPrinting_test.moc"
