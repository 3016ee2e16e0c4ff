#pragma once

#include "forms/TListaCreateFormul.h"
#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// The link's process-wide state, shared by its discovery and its requests (one link per process,
// used on the user-interface thread only).
namespace lform::detail {

inline constexpr const char* kFormsClass = "Tformularze_VEL";
inline constexpr const char* kServerClass = "Tvelsrv_VEL";
// The forms program and its server variant (no ".exe" on Linux).
inline constexpr const char* kFormsExecutable = "formvel";
inline constexpr const char* kServerExecutable = "velsrv";
inline constexpr const char* kServerMarker = "velsrv.ok";
inline constexpr char kDirectorySeparator = '/';

struct LinkState {
    WindowSystem* system = nullptr;
    WindowHandle formsWindow = 0;
    QByteArray windowClass = kFormsClass;
    bool serverMode = false;
    int startResult = 2;
    QList<std::int32_t> openForms;
    TListaCreateFormul registry;
    bool initialised = false;
};

LinkState& state();

// The hourglass while an operation works, nested; the hook shows and hides it.
void BeginBusy();
void EndBusy();
struct BusyScope {
    BusyScope() { BeginBusy(); }
    ~BusyScope() { end(); }
    void end() {
        if (active) EndBusy();
        active = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool active = true;
};

// Finds or starts the forms program; the low 16 bits of its window, 0 when none.
std::uint16_t FindFormsProgram();
std::uint16_t StartFormsServer(const QString& directory);
bool CheckServerMarker();

// The remembered window when it still is one, else the window of the current class found anew
// (remembered; 0 when none).
WindowHandle refreshFormsWindow();

}  // namespace lform::detail
