// "Konfiguracja programu" minimised and restored on a real X server (Xvfb, started here), the
// window manager's part played by the test the way a window manager does it: the window unmapped
// with WM_STATE Iconic, then mapped again with WM_STATE Normal. The ticks the user changed stay.

#include "settings/DatabasePathHolder.h"
#include "settings/widgets/TFConfig.h"
#include "support/ScriptedUserInterface.h"
#include "support/XvfbServer.h"

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

// An X server of its own for this test.
int main(int argc, char** argv) {
    XvfbServer server;
    if (!server.start()) return 1;
    QApplication application(argc, argv);
    TFConfigRestoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TFConfigRestore_test.moc"
