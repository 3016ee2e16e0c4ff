#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// The link to the forms program: finds or starts it and drives it with synchronous requests
// (message kFormsMessage, texts as global atoms). One link per process; every operation runs on
// the user-interface thread and reports failure as 0 / false, never with a message.
//
// Texts are code page 1250 bytes, as they travel.

using FormId = std::int32_t;

namespace lform {

// The window system the link talks through. The program installs the real one at start; tests
// install a fake forms program. Must be set before the first operation.
void setWindowSystem(WindowSystem* system);
WindowSystem* windowSystem();

// Shows or hides the hourglass (installed by the widgets layer; empty: nothing is shown).
void setBusyCursorHook(std::function<void(bool busy)> hook);

// Called by every form controller's constructor; acts the first time only. When an application
// object exists, LinkShutdown is arranged to run as its event loop ends (aboutToQuit), while the
// window system and the windows still exist.
void LinkInit();
// Destroys the open forms (last created first) and releases the forms program. Tests may call it
// to start afresh (it resets the link's state; LinkInit then acts again).
void LinkShutdown();

bool ConnectFormsProgram(bool server);
bool ConnectFormsServer(bool server, const QString& directory);
std::int32_t GetFormsVersion();
FormId CreateForm(const QByteArray& symbol, const QByteArray& identifier);
bool DestroyForm(FormId id);
// Returns after the form window has closed (unless flag 32); the 16-bit handle of that window,
// 0 when not shown. `parent` is 0 for none.
std::uint16_t ShowForm(FormId id, const QByteArray& caption, WindowHandle parent, int flags);
// Number of characters handed over (0 when not sent).
int SendFields(FormId id, const QByteArray& text, int options);
int SendTaxScale(FormId id, const QByteArray& text);
// Read a reply chain into `buffer` (cleared first), never more than `capacity` bytes: a longer
// reply is refused (the buffer is left empty and 0 returned). Returns the length placed.
int GetFields(FormId id, QByteArray* buffer, int capacity, bool convert);
int GetErrors(FormId id, QByteArray* buffer, int capacity);
bool RunPrintDialog(FormId id, const QByteArray& caption, WindowHandle parent, std::uint16_t& firstPage,
                    std::uint16_t& lastPage);
bool PrintForm(FormId id, const QByteArray& caption, WindowHandle parent, std::uint16_t firstPage,
               std::uint16_t lastPage, bool silent, std::int32_t printerIndex);
bool GetPrintRange(FormId id, std::uint16_t& firstPage, std::uint16_t& lastPage);
std::uint16_t GetFormState(FormId id);
std::int32_t EndDocument(FormId id);
void ReleaseFormsProgram();

}  // namespace lform
