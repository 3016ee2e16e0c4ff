#include "platform/PeerCredentials.h"

#include <sys/socket.h>
#include <unistd.h>

namespace {

bool ReadCredentials(qintptr socketDescriptor, ucred* credentials) {
    if (socketDescriptor < 0) return false;
    socklen_t size = sizeof *credentials;
    return ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, credentials, &size) == 0 &&
           size == sizeof *credentials;
}

}  // namespace

bool peerIsThisUser(qintptr socketDescriptor) {
    ucred credentials {};
    return ReadCredentials(socketDescriptor, &credentials) && credentials.uid == ::getuid();
}

qint64 peerProcessId(qintptr socketDescriptor) {
    ucred credentials {};
    return ReadCredentials(socketDescriptor, &credentials) ? credentials.pid : 0;
}
