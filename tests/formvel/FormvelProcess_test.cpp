#if defined(FORMVEL_HAS_APP) && defined(FORMVEL_PATH)

#include "FormSamples.h"
#include "ProtocolClient.h"

#include "formvel/FieldListFile.h"

#include "formvel/app/FormIdCounter.h"
#include "forms/lform.h"
#include "platform/LinuxWindowSystem.h"
#include "platform/WindowRegistry.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include <vector>

#include <signal.h>
#include <sys/stat.h>

namespace {

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The forms program as Fiskon starts it, its windows in `runtime`, its home in `home`.
void StartServer(QProcess& formvel, const QTemporaryDir& runtime, const QTemporaryDir& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("FISKON_WINDOWS_DIR", runtime.path());
    environment.insert("HOME", home.path());
    formvel.setProcessEnvironment(environment);
    formvel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    formvel.start(QStringLiteral(FORMVEL_PATH), {QStringLiteral("/SERWER")});
}

constexpr std::uint32_t kCloseMessage = 0x0010;  // WM_CLOSE

// A "win.ini" in `home` naming the folder of the built forms program.
bool WriteWinIni(const QTemporaryDir& home) {
    QFile ini(home.filePath("win.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return false;
    ini.write("[formularze]\r\nkatalog=" + QFile::encodeName(QFileInfo(QStringLiteral(FORMVEL_PATH)).absolutePath()) + "\r\n");
    return true;
}

// The form windows shown now, of any process.
std::vector<WindowHandle> FormWindows(const QTemporaryDir& runtime) {
    std::vector<WindowHandle> windows;
    for (const WindowRegistry::Entry& entry : WindowRegistry(runtime.path()).entries())
        if (entry.className == "TFormWindow_VEL" && WindowRegistry::ownerAlive(entry)) windows.push_back(entry.handle);
    return windows;
}

qint64 WindowOwner(const QTemporaryDir& runtime, WindowHandle window) {
    const auto entry = WindowRegistry(runtime.path()).read(window);
    return entry ? entry->owner : 0;
}

// A session of Fiskons: a window folder and a home whose "win.ini" names the built forms program,
// in force for this process (and the processes it starts) while it lives. A forms program the
// session's links started and a failed test left behind (a form window open) ends with it.
struct Session {
    QTemporaryDir runtime;
    QTemporaryDir home;
    Session() { qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path())); }
    ~Session() {
        for (const WindowRegistry::Entry& entry : WindowRegistry(runtime.path()).entries())
            if (entry.className == "Tformularze_VEL" && WindowRegistry::ownerAlive(entry))
                ::kill(static_cast<pid_t>(entry.owner), SIGTERM);
        qunsetenv("FISKON_WINDOWS_DIR");
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// A Fiskon's link in a process of its own (see LinkClient.cpp): it finds the forms program
// through the session's "win.ini" and starts it, with a short quiet spell.
class LinkClient {
public:
    explicit LinkClient(const Session& session) {
        const QTemporaryDir& runtime = session.runtime;
        const QTemporaryDir& home = session.home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("FISKON_WINDOWS_DIR", runtime.path());
        environment.insert("HOME", home.path());
        environment.insert("FISKON_WININI", home.filePath("win.ini"));
        environment.insert("FISKON_FORMS_QUIET_MS", "300");
        environment.remove("XDG_DOCUMENTS_DIR");
        environment.remove("XDG_CONFIG_HOME");
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(FORMVEL_LINK_CLIENT), {});
        process_.waitForStarted();
    }
    ~LinkClient() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished();
    }
    void send(const QByteArray& command) {
        process_.write(command + '\n');
        process_.waitForBytesWritten();
    }
    // The next answer line; empty when none comes in time.
    QByteArray answer() {
        QDeadlineTimer deadline(30000);
        while (!process_.canReadLine() && !deadline.hasExpired() && process_.state() == QProcess::Running)
            process_.waitForReadyRead(100);
        return process_.readLine().trimmed();
    }
    QByteArray ask(const QByteArray& command) {
        send(command);
        return answer();
    }
    bool finished() { return process_.waitForFinished(10000) && process_.exitCode() == 0; }

private:
    QProcess process_;
};

}  // namespace

// The real program in its own process, through the real window-system layer: Fiskon's requests
// create a form, fill it and show it; the form window closes like a window does; the fields come
// back as the form shows them; release ends the program.
TEST(FormvelProcess, CreateFillShowCloseReadBackRelease) {
    QTemporaryDir runtime;
    QTemporaryDir home;
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
    LinuxWindowSystem system;
    ASSERT_EQ(system.findWindow("Tformularze_VEL"), 0u);

    QProcess formvel;
    StartServer(formvel, runtime, home);
    ASSERT_TRUE(formvel.waitForStarted());

    WindowHandle server = 0;
    ASSERT_TRUE(WaitFor([&] { return (server = system.findWindow("Tformularze_VEL")) != 0; }));
    ProtocolClient client(system, server);
    EXPECT_EQ(client.send(0, 0), 5);
    const int id = client.create("PIT118B_14");
    ASSERT_GT(id, 0);
    ASSERT_EQ(client.sendChain(5, id, FullPit11Fields(), 1), 1);
    const std::int32_t window = client.sendText(3, id, "Formularz PIT-11\r\n0\r\n0\r\n");
    ASSERT_NE(window, 0);
    EXPECT_TRUE(system.isWindow(static_cast<WindowHandle>(window)));

    system.sendMessage(static_cast<WindowHandle>(window), 0x0010, 0, 0);  // WM_CLOSE: the user closes it
    EXPECT_TRUE(WaitFor([&] { return !system.isWindow(static_cast<WindowHandle>(window)); }));

    const QByteArray shown = client.readReply(client.send(6, makeLong(static_cast<std::uint16_t>(id), 0), 0));
    EXPECT_TRUE(shown.contains("p34=2 258,44\r\n")) << shown.constData();
    EXPECT_TRUE(shown.contains("p78=3 886,88\r\n"));
    const QByteArray converted = client.readReply(client.send(6, makeLong(static_cast<std::uint16_t>(id), 0), 1));
    EXPECT_TRUE(converted.contains("p34=2258,44\r\n"));
    EXPECT_EQ(client.send(10, id), 1);

    client.send(4, 0);
    EXPECT_TRUE(formvel.waitForFinished(10000));
    EXPECT_EQ(formvel.exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return system.findWindow("Tformularze_VEL") == 0; }, 5000));
    qunsetenv("FISKON_WINDOWS_DIR");
}

// Two Fiskons share one forms program: the first one's quitting (its release) leaves the second
// one's form, its window and its print dialog alone; the program ends with the last release.
TEST(FormvelProcess, ReleaseEndsTheProgramOnlyWhenNoOtherClientHoldsAForm) {
    Session session;
    ASSERT_TRUE(WriteWinIni(session.home));
    LinuxWindowSystem second;  // this test is the second Fiskon
    LinkClient first(session);
    ASSERT_TRUE(first.ask("print PIT40_14").startsWith("printed "));  // it starts the program
    const WindowHandle server = second.findWindow("Tformularze_VEL");
    ASSERT_NE(server, 0u);
    ProtocolClient two(second, server);
    const int twos = two.create("PIT118B_14");
    ASSERT_GT(twos, 0);
    const auto window = static_cast<WindowHandle>(two.sendText(3, twos, "Formularz PIT-11\r\n0\r\n0\r\n"));
    ASSERT_NE(window, 0u);
    ASSERT_EQ(two.sendText(13, twos, "0\r\n\r\n\r\nPIT-11\r\n"), 1);  // its print dialog is open

    // The first Fiskon quits: its forms go, then the release.
    EXPECT_EQ(first.ask("quit"), "bye");
    EXPECT_TRUE(first.finished());
    QThread::msleep(1000);
    EXPECT_EQ(second.findWindow("Tformularze_VEL"), server);
    EXPECT_TRUE(second.isWindow(window));
    EXPECT_EQ(two.send(12, twos), 0);  // the dialog still open
    EXPECT_EQ(two.sendChain(5, twos, "p19=NOWAK\r\n", 0), 1);

    // The last one goes, its form and dialog still open: its release takes them with it and
    // the program ends.
    two.send(4, 0);
    EXPECT_TRUE(WaitFor([&] { return second.findWindow("Tformularze_VEL") == 0; }, 10000));
}

namespace {

// Two Fiskons, A and B, in processes of their own, and the forms program their links start: A
// prints one document and closes the print dialog (its form stays, without a window); a while
// passes (or the program ends with it, and B's link starts another); B shows a form; A shows a
// form, the user closes it, and A quits. B's form window stays, and so does the program, until B
// closes its form and quits.
void TwoFiskonsShareTheFormsProgram(bool programEndsAfterThePrint) {
    Session session;
    const QTemporaryDir& runtime = session.runtime;
    ASSERT_TRUE(WriteWinIni(session.home));
    LinuxWindowSystem user;  // the user closes the form windows
    LinkClient a(session);
    LinkClient b(session);

    const QList<QByteArray> printed = a.ask("print PIT40_14").split(' ');
    ASSERT_EQ(printed.value(0), "printed");
    EXPECT_EQ(printed.value(2), "1");
    const int printedId = printed.value(1).toInt();
    ASSERT_GT(printedId, 0);
    WindowHandle server = user.findWindow("Tformularze_VEL");
    ASSERT_NE(server, 0u);
    if (programEndsAfterThePrint) {
        const qint64 program = WindowOwner(runtime, server);
        ASSERT_GT(program, 0);
        ::kill(static_cast<pid_t>(program), SIGKILL);
        ASSERT_TRUE(WaitFor([&] { return user.findWindow("Tformularze_VEL") == 0; }));
    } else {
        QThread::msleep(1500);  // many quiet spells of the program (300 ms here)
        EXPECT_EQ(user.findWindow("Tformularze_VEL"), server) << "the program ended while A holds a form";
    }

    b.send("show PIT118B_14");
    WindowHandle bWindow = 0;
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<WindowHandle> windows = FormWindows(runtime);
        bWindow = windows.size() == 1 ? windows[0] : 0;
        return bWindow != 0;
    }));
    server = user.findWindow("Tformularze_VEL");

    a.send("show PIT40_14");
    WindowHandle aWindow = 0;
    ASSERT_TRUE(WaitFor([&] {
        for (WindowHandle window : FormWindows(runtime))
            if (window != bWindow) aWindow = window;
        return aWindow != 0;
    }));
    user.sendMessage(aWindow, kCloseMessage, 0, 0);
    const QList<QByteArray> aShown = a.answer().split(' ');
    ASSERT_EQ(aShown.value(0), "shown");
    EXPECT_NE(aShown.value(2), "0");
    EXPECT_EQ(a.ask("quit"), "bye");
    EXPECT_TRUE(a.finished());

    QThread::msleep(1000);
    EXPECT_TRUE(user.isWindow(bWindow)) << "B's form window vanished";
    EXPECT_EQ(user.findWindow("Tformularze_VEL"), server) << "the program ended under B's form";
    // A third client reaches B's form by no id.
    ProtocolClient stranger(user, server);
    for (int id = 1; id <= 2 * FormIdCounter::kBlock + 8; ++id) {
        EXPECT_EQ(stranger.send(2, id), 0);
        EXPECT_EQ(stranger.sendChain(5, id, "p19=OBCY\r\n", 0), 0);
    }
    EXPECT_TRUE(user.isWindow(bWindow));

    user.sendMessage(bWindow, kCloseMessage, 0, 0);
    const QList<QByteArray> bShown = b.answer().split(' ');
    ASSERT_EQ(bShown.value(0), "shown");
    const int bId = bShown.value(1).toInt();
    EXPECT_NE(bId, printedId) << "an id given again";
    EXPECT_NE(bId, aShown.value(1).toInt());
    EXPECT_EQ(b.ask("quit"), "bye");
    EXPECT_TRUE(WaitFor([&] { return user.findWindow("Tformularze_VEL") == 0; }, 10000));
}

}  // namespace

TEST(FormvelProcess, TwoFiskonsNeverCloseEachOthersForms) { TwoFiskonsShareTheFormsProgram(false); }

TEST(FormvelProcess, AnIdKeptFromAnEndedProgramNeverReachesAnotherFiskonsForm) {
    TwoFiskonsShareTheFormsProgram(true);
}

// Fiskon's own link finds the program through "win.ini", starts it and drives it: create, fields
// with options, state, show (the call waits until the window closes), read-back, errors, print,
// range, end of document, destroy, release.
TEST(FormvelProcess, FiskonsLinkDrivesTheProgram) {
    QTemporaryDir runtime;
    QTemporaryDir home;
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    ASSERT_TRUE(WriteWinIni(home));
    qputenv("FISKON_WININI", QFile::encodeName(home.filePath("win.ini")));

    LinuxWindowSystem system;
    lform::setWindowSystem(&system);
    lform::LinkInit();
    ASSERT_TRUE(lform::ConnectFormsProgram(false));
    EXPECT_EQ(lform::GetFormsVersion(), 5);
    const FormId id = lform::CreateForm("PIT40_14", "PIT40_14_fiskon");
    ASSERT_GT(id, 0);
    const QByteArray fields =
        "p1=526-025-09-95\r\np4=2006\r\np5=US\r\np7=FIRMA\r\np18=123-456-32-18\r\np19=NOWAK\r\np20=ANNA\r\n"
        "p35=40000,00\r\np36=1335,00\r\np38=5000,00\r\np66=5000,00\r\np72=2600,00\r\np73=2500,00\r\n";
    EXPECT_EQ(lform::SendFields(id, fields, 3), fields.size());
    EXPECT_NE(lform::GetFormState(id), 0);

    // The user looks at the form and closes it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&system] {
        if (const WindowHandle window = system.findWindow("TFormWindow_VEL")) system.sendMessage(window, 0x0010, 0, 0);
    });
    closer.start(200);
    EXPECT_NE(lform::ShowForm(id, "Podgląd", 0, 64), 0);
    closer.stop();

    QByteArray buffer;
    ASSERT_GT(lform::GetFields(id, &buffer, 65300, true), 0);
    EXPECT_TRUE(buffer.contains("p64=38665,00\r\n"));
    EXPECT_TRUE(buffer.contains("p74=3366\r\n"));
    ASSERT_GT(lform::GetFields(id, &buffer, 65300, false), 0);
    EXPECT_TRUE(buffer.contains("p76=1 634,00\r\n"));
    EXPECT_EQ(lform::GetErrors(id, &buffer, 65300), 0);

    // No printer here: the silent print goes into a PDF in the documents folder.
    EXPECT_TRUE(lform::PrintForm(id, "PIT-40", 0, 2, 2, true, 0));
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    EXPECT_TRUE(lform::GetPrintRange(id, first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 2);
    EXPECT_NE(lform::EndDocument(id), 0);
    EXPECT_TRUE(lform::DestroyForm(id));

    lform::LinkShutdown();
    EXPECT_TRUE(WaitFor([&] { return system.findWindow("Tformularze_VEL") == 0; }, 10000));
    qunsetenv("FISKON_WININI");
    qunsetenv("FISKON_WINDOWS_DIR");
    qputenv("HOME", oldHome);
}

// Only no arguments or "/SERWER" start the server. Anything else is answered and the program ends
// at once, registering no window: help and version (exit 0), a bad command line (Polish usage,
// exit 2), a field list file that does not exist, has a bad line, is a device, a pipe or too
// large (exit 1, naming the cause; an endless device or a pipe nobody writes to never holds it).
TEST(FormvelProcess, CommandLineIsAnsweredWithoutStartingAServer) {
    QTemporaryDir runtime;
    QTemporaryDir files;
    const QString badList = files.filePath(QStringLiteral("lista.txt"));
    QFile list(badList);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("p19=NOWAK\r\nx20=ANNA\r\n");
    list.close();
    const QString pipe = files.filePath(QStringLiteral("potok"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString huge = files.filePath(QStringLiteral("duza.txt"));
    QFile hugeFile(huge);
    ASSERT_TRUE(hugeFile.open(QIODevice::WriteOnly) && hugeFile.resize(kMaxFieldListFileBytes + 1));
    hugeFile.close();
    const QString pdf = files.filePath(QStringLiteral("x.pdf"));
    struct Case {
        QStringList arguments;
        int exitCode;
        bool onStdout;  // the text goes to standard output, not to the error stream
        QString text;
    };
    const Case cases[] = {
        {{"--help"}, 0, true, QStringLiteral("Użycie:")},
        {{"-h"}, 0, true, QStringLiteral("formvel --pdf SYMBOL PLIK WYNIK.pdf")},
        {{"--version"}, 0, true, QStringLiteral("formvel ")},
        {{"--formularz"}, 2, false, QStringLiteral("--formularz – zła liczba argumentów.\nUżycie:")},
        {{"--pdf", "PIT40_14", badList}, 2, false, QStringLiteral("Użycie:")},
        {{"--nieznana"}, 2, false, QStringLiteral("nieznana opcja albo argument „--nieznana”")},
        {{"/SERWER", "--help"}, 2, false, QStringLiteral("Użycie:")},
        {{"--pdf", "PIT40_14", files.filePath(QStringLiteral("brak.txt")), pdf}, 1, false, QStringLiteral("nie istnieje")},
        {{"--pdf", "PIT40_14", badList, pdf}, 1, false, QStringLiteral("wiersz 2 pliku")},
        {{"--pdf", "PIT40_14", "/dev/zero", pdf}, 1, false, QStringLiteral("„/dev/zero”: to urządzenie, a nie zwykły plik.")},
        {{"--pdf", "PIT40_14", pipe, pdf}, 1, false, QStringLiteral("to potok nazwany (FIFO), a nie zwykły plik.")},
        {{"--formularz", "PIT40_14", pipe}, 1, false, QStringLiteral("to potok nazwany (FIFO), a nie zwykły plik.")},
        {{"--pdf", "PIT40_14", huge, pdf}, 1, false, QStringLiteral("plik jest za duży (więcej niż 1 MB).")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess formvel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("FISKON_WINDOWS_DIR", runtime.path());
        formvel.setProcessEnvironment(environment);
        formvel.start(QStringLiteral(FORMVEL_PATH), c.arguments);
        const bool ended = formvel.waitForFinished(8000);
        if (!ended) {
            formvel.kill();
            formvel.waitForFinished();
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(formvel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(formvel.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(formvel.readAllStandardOutput());
        const QString err = QString::fromUtf8(formvel.readAllStandardError());
        EXPECT_TRUE((c.onStdout ? out : err).contains(c.text)) << out.toStdString() << err.toStdString();
        EXPECT_EQ(QDir(runtime.path()).entryList({QStringLiteral("w????")}, QDir::Files | QDir::System), QStringList{});
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
}

// The server variant answers under both classes, in one process.
TEST(FormvelProcess, ServerVariantAnswersUnderBothClasses) {
    QTemporaryDir runtime;
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
    LinuxWindowSystem system;
    QProcess velsrv;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("FISKON_WINDOWS_DIR", runtime.path());
    velsrv.setProcessEnvironment(environment);
    velsrv.start(QFileInfo(QStringLiteral(FORMVEL_PATH)).dir().filePath("velsrv"), {QStringLiteral("/serwer")});
    ASSERT_TRUE(velsrv.waitForStarted());
    WindowHandle server = 0;
    WindowHandle forms = 0;
    ASSERT_TRUE(WaitFor([&] {
        server = system.findWindow("Tvelsrv_VEL");
        forms = system.findWindow("Tformularze_VEL");
        return server != 0 && forms != 0;
    }));
    ProtocolClient viaServer(system, server);
    ProtocolClient viaForms(system, forms);
    const int id = viaServer.create("PIT40_13");
    ASSERT_GT(id, 0);
    EXPECT_EQ(viaForms.sendChain(5, id, "p19=NOWAK\r\n", 0), 1);  // the same forms behind both
    EXPECT_EQ(viaServer.readReply(viaServer.send(6, makeLong(static_cast<std::uint16_t>(id), 0), 1)), "p19=NOWAK\r\n");
    viaForms.send(4, 0);
    EXPECT_TRUE(velsrv.waitForFinished(10000));
    qunsetenv("FISKON_WINDOWS_DIR");
}

#endif
