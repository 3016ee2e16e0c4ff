#pragma once

#include <QtGlobal>

// True when the process at the other end of a local socket runs as this user (SO_PEERCRED).
bool peerIsThisUser(qintptr socketDescriptor);
