#pragma once

#include <QtGlobal>

// True when the process at the other end of a local socket runs as this user (SO_PEERCRED).
bool peerIsThisUser(qintptr socketDescriptor);
// The id of the process at the other end (as it connected); 0 when it cannot be seen from here.
qint64 peerProcessId(qintptr socketDescriptor);
