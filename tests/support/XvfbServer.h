#pragma once

#include <sys/types.h>

// An X server of a test's own: Xvfb on a free display (it names the display on a pipe). start()
// sets DISPLAY and QT_QPA_PLATFORM=xcb for the test and the processes it starts; the server ends
// with the object.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False (with a line on stderr) when Xvfb cannot be started here.
    bool start(const char* screen = "800x600x24");

private:
    pid_t server_ = -1;
};
