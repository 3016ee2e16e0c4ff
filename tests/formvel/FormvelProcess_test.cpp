#if defined(FORMVEL_HAS_APP) && defined(FORMVEL_PATH)

#include "FormSamples.h"
#include "ProtocolClient.h"

#include "platform/LinuxWindowSystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("FISKON_WINDOWS_DIR", runtime.path());
    environment.insert("HOME", home.path());
    formvel.setProcessEnvironment(environment);
    formvel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    formvel.start(QStringLiteral(FORMVEL_PATH), {QStringLiteral("/SERWER")});
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

#endif
