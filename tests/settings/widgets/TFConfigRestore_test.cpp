// "Konfiguracja programu" minimised and restored on a real X server (Xvfb, started here), the
// window manager's part played by the test the way a window manager does it: the window unmapped
// with WM_STATE Iconic, then mapped again with WM_STATE Normal. The ticks the user changed stay.

#include "settings/DatabasePathHolder.h"
#include "settings/widgets/TFConfig.h"
#include "support/ScriptedUserInterface.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QCheckBox>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class MemoryPath : public DatabasePathHolder {
public:
    QString dbPath() const override { return {}; }
    void SetDbPath(const QString&) override {}
};

// Counts the show events the window system sends (restores).
class SpontaneousShows : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && event->spontaneous()) ++count;
        return false;
    }
};

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

// What a window manager does to iconify a window and to bring it back (ICCCM 4.1.3.1, 4.1.4).
void setWmState(xcb_connection_t* connection, xcb_window_t window, bool iconic) {
    const xcb_atom_t wmState = internAtom(connection, "WM_STATE");
    const uint32_t state[2] = {iconic ? 3u : 1u, XCB_NONE};
    if (iconic) xcb_unmap_window(connection, window);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, state);
    if (!iconic) xcb_map_window(connection, window);
    xcb_flush(connection);
}

}  // namespace

class TFConfigRestoreTest : public QObject {
    Q_OBJECT

private slots:
    void restoringTheMinimisedWindowKeepsTheChangedTicks() {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY(x11);
        QTemporaryDir dir;
        qputenv("FISKON_SETTINGS", dir.filePath("fiskon.ini").toLocal8Bit());
        MemoryPath path;
        ScriptedUserInterface ui;
        TFConfig config(path, ui);
        config.Wczytaj();
        SpontaneousShows shows;
        config.installEventFilter(&shows);
        config.show();
        QVERIFY(QTest::qWaitForWindowExposed(&config));
        auto* cbDelete = config.findChild<QCheckBox*>(QStringLiteral("cbDelete"));
        QVERIFY(cbDelete->isChecked());
        cbDelete->click();
        const int showsBefore = shows.count;

        const auto window = static_cast<xcb_window_t>(config.windowHandle()->winId());
        setWmState(x11->connection(), window, true);
        QTRY_VERIFY(config.isMinimized());
        setWmState(x11->connection(), window, false);
        QTRY_VERIFY(!config.isMinimized());
        QTRY_VERIFY(shows.count > showsBefore);  // the window system showed it again

        QVERIFY(!cbDelete->isChecked());
        QVERIFY(!config.AskBeforeDelete());
        // Opened again, it shows the settings afresh.
        config.hide();
        config.show();
        QVERIFY(cbDelete->isChecked());
        config.hide();
    }
};

// An X server of its own for this test: Xvfb on a free display (it names the display on a pipe).
int main(int argc, char** argv) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return 1;
    const pid_t server = ::fork();
    if (server == 0) {
        ::close(pipeEnds[0]);
        const std::string fd = std::to_string(pipeEnds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string display;
    char c = 0;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n') display += c;
    ::close(pipeEnds[0]);
    if (server < 0 || display.empty()) {
        std::fprintf(stderr, "Xvfb did not start: the test cannot run here\n");
        return 1;
    }
    qputenv("DISPLAY", QByteArray(":") + display.c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 1;
    {
        QApplication application(argc, argv);
        TFConfigRestoreTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    return result;
}

#include "TFConfigRestore_test.moc"
