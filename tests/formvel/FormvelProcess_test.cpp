#if defined(FORMVEL_HAS_APP) && defined(FORMVEL_PATH)

#include "FormSamples.h"
#include "ProtocolClient.h"

#include "formvel/FieldListFile.h"

#include "forms/lform.h"
#include "platform/LinuxWindowSystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

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

// Two Fiskons share one forms program: the first one's release (it closes) leaves the second
// one's form, its window and its print dialog alone; the program ends with the last release.
TEST(FormvelProcess, ReleaseEndsTheProgramOnlyWhenNoOtherClientHoldsAForm) {
    QTemporaryDir runtime;
    QTemporaryDir home;
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
    LinuxWindowSystem first;   // two connections, as two processes have
    LinuxWindowSystem second;
    QProcess formvel;
    StartServer(formvel, runtime, home);
    ASSERT_TRUE(formvel.waitForStarted());
    WindowHandle server = 0;
    ASSERT_TRUE(WaitFor([&] { return (server = first.findWindow("Tformularze_VEL")) != 0; }));
    ProtocolClient one(first, server);
    ProtocolClient two(second, server);

    const int ones = one.create("PIT40_14");
    const int twos = two.create("PIT118B_14");
    ASSERT_GT(ones, 0);
    ASSERT_GT(twos, 0);
    const auto window = static_cast<WindowHandle>(two.sendText(3, twos, "Formularz PIT-11\r\n0\r\n0\r\n"));
    ASSERT_NE(window, 0u);
    ASSERT_EQ(two.sendText(13, twos, "0\r\n\r\n\r\nPIT-11\r\n"), 1);  // its print dialog is open

    // The first Fiskon closes: its form goes, then the release.
    EXPECT_EQ(one.send(2, ones), 0);
    one.send(4, 0);
    EXPECT_FALSE(formvel.waitForFinished(1500));
    EXPECT_TRUE(second.isWindow(window));
    EXPECT_EQ(two.send(12, twos), 0);  // the dialog still open
    EXPECT_EQ(two.sendChain(5, twos, "p19=NOWAK\r\n", 0), 1);

    // The last one goes, its form and dialog still open: its release takes them with it and
    // the program ends.
    two.send(4, 0);
    EXPECT_TRUE(formvel.waitForFinished(10000));
    EXPECT_EQ(formvel.exitCode(), 0);
    qunsetenv("FISKON_WINDOWS_DIR");
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
    const QString winIni = home.filePath("win.ini");
    QFile ini(winIni);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[formularze]\r\nkatalog=" + QFile::encodeName(QFileInfo(QStringLiteral(FORMVEL_PATH)).absolutePath()) + "\r\n");
    ini.close();
    qputenv("FISKON_WININI", QFile::encodeName(winIni));

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
        {{"--pdf", "PIT40_14", "/dev/zero", pdf}, 1, false, QStringLiteral("„/dev/zero”: to nie jest zwykły plik.")},
        {{"--pdf", "PIT40_14", pipe, pdf}, 1, false, QStringLiteral("to nie jest zwykły plik.")},
        {{"--formularz", "PIT40_14", pipe}, 1, false, QStringLiteral("to nie jest zwykły plik.")},
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
