#pragma once

#include "platform/AtomTable.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <map>
#include <vector>

// The window system inside one process: windows are procedures in a map, a message is a call, atoms
// live in a table with counts. Enough to drive the forms program's request handler.
class FakeWindowSystem : public WindowSystem {
public:
    WindowHandle findWindow(const QByteArray& className) override {
        for (const auto& [handle, window] : windows_)
            if (window.className == className) return handle;
        return 0;
    }
    bool isWindow(WindowHandle window) override { return windows_.count(window) != 0; }
    std::int32_t sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) override {
        const auto it = windows_.find(window);
        if (it == windows_.end() || !it->second.procedure) return 0;
        const WindowProcedure procedure = it->second.procedure;
        return procedure(message, wParam, lParam);
    }
    bool enableWindow(WindowHandle window, bool enable) override {
        const auto it = windows_.find(window);
        if (it == windows_.end()) return false;
        if (it->second.enable) it->second.enable(enable);
        return true;
    }
    bool setForegroundWindow(WindowHandle window) override {
        const auto it = windows_.find(window);
        if (it != windows_.end() && it->second.bringToFront) it->second.bringToFront();
        return it != windows_.end();
    }
    WindowHandle registerWindow(const LocalWindow& window) override {
        windows_[++lastHandle_] = window;
        return lastHandle_;
    }
    void unregisterWindow(WindowHandle window) override { windows_.erase(window); }
    MessageSender messageSender() const override { return sender; }
    bool senderRunning(const MessageSender& client) const override {
        return std::find(ended.begin(), ended.end(), client) == ended.end();
    }

    Atom addAtom(const QByteArray& name) override { return atoms_.table().add(name); }
    QByteArray atomName(Atom atom, int bufferSize) override { return atoms_.table().name(atom, bufferSize); }
    Atom deleteAtom(Atom atom) override { return atoms_.table().remove(atom); }
    int startProcess(const QString&, int) override { return 2; }
    QString profileString(const QString&, const QString&, const QString& fallback) override { return fallback; }
    void pumpMessages() override {}
    void waitMessage() override {}
    bool handleOneMessage() override { return false; }
    void sleep(int) override {}

    std::size_t atomCount() { return static_cast<std::size_t>(atoms_.table().count()); }

    MessageSender sender;                // whose messages are sent now (all 0: this process)
    std::vector<MessageSender> ended;    // clients that no longer run

private:
    std::map<WindowHandle, LocalWindow> windows_;
    LocalAtomTable atoms_;
    WindowHandle lastHandle_ = 0x100;
};
