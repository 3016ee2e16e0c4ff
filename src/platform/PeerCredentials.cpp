#include "platform/PeerCredentials.h"

#include <sys/socket.h>
#include <unistd.h>

bool peerIsThisUser(qintptr socketDescriptor) {
    if (socketDescriptor < 0) return false;
    ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return false;
    return credentials.uid == ::getuid();
}
