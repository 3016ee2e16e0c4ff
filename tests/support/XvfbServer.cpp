#include "support/XvfbServer.h"

#include <QByteArray>

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

XvfbServer::~XvfbServer() {
    if (server_ > 0) {
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
    }
}

bool XvfbServer::start(const char* screen) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return false;
    server_ = ::fork();
    if (server_ == 0) {
        ::close(pipeEnds[0]);
        const std::string fd = std::to_string(pipeEnds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string display;
    char c = 0;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n') display += c;
    ::close(pipeEnds[0]);
    if (server_ < 0 || display.empty()) {
        std::fprintf(stderr, "Xvfb did not start: the test cannot run here\n");
        return false;
    }
    qputenv("DISPLAY", QByteArray(":") + display.c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}
