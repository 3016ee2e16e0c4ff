#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The windows of every process of the user: one small file per window in the user's private
// runtime folder, named after the window's handle and holding its owner's process id, the local
// socket on which the owner takes messages, and the window's class.
//
// Handles are 1 to hex FFFF: the forms program hands a window back in 16 bits.
class WindowRegistry {
public:
    struct Entry {
        WindowHandle handle = 0;
        QByteArray className;
        qint64 owner = 0;
        QString socketPath;
        // The entry file as it was read (device and inode): which file a clean-up may remove.
        quint64 device = 0;
        quint64 inode = 0;
    };

    // The runtime folder of the user's windows, made when missing: $FISKON_WINDOWS_DIR, else
    // $XDG_RUNTIME_DIR/fiskon-windows, else a folder of this user under the temporary folder.
    // Empty when it cannot be made private (mode 0700, owned by this user).
    static QString openFolder();

    explicit WindowRegistry(QString folder);
    const QString& folder() const { return folder_; }

    // Claims a free handle for a window of this process; 0 when none can be claimed.
    WindowHandle add(const QByteArray& className, const QString& socketPath);
    void remove(WindowHandle handle);
    std::optional<Entry> read(WindowHandle handle) const;
    // Every readable entry, in no particular order.
    std::vector<Entry> entries() const;

    // True while the owner process lives and takes connections on its socket.
    static bool ownerAlive(const Entry& entry);
    // Removes the entry of a dead owner and its socket file: that very entry only. When another
    // process has cleaned it up and claimed the handle anew meanwhile, the new entry stays.
    void removeStale(const Entry& entry);

private:
    QString entryPath(WindowHandle handle) const;
    QString folder_;
};
