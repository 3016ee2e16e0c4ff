#pragma once

#include <QtGlobal>

// A process of this machine named so that the name is never another process's: its id and the
// time it started (clock ticks after boot, from /proc), since an id is given again to a new
// process once the old one has ended.
struct ProcessIdentity {
    qint64 id = 0;
    quint64 started = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// The process of that id as it runs now; `started` is 0 when it does not run or cannot be read.
ProcessIdentity IdentifyProcess(qint64 id);

// Whether the process of that id runs and has not ended (a process that has ended but is not yet
// reaped, a zombie, does not run). True when /proc cannot tell.
bool ProcessIdRunning(qint64 id);

// Whether that very process still runs: its id is in use, by a process started at that time.
bool ProcessRunning(const ProcessIdentity& process);
