// The requests of the link to the forms program.
#include "forms/lform.h"

#include "forms/AtomChain.h"
#include "forms/LinkState.h"

#include <QCoreApplication>
#include <QObject>

#include <exception>

namespace lform {
namespace detail {
namespace {

std::function<void(bool)>& busyHook() {
    static std::function<void(bool)> hook;
    return hook;
}
int busyCount = 0;

}  // namespace

LinkState& state() {
    static LinkState link;
    return link;
}

void BeginBusy() {
    if (busyCount == 0 && busyHook()) busyHook()(true);
    ++busyCount;
}

void EndBusy() {
    if (busyCount == 0) return;
    if (--busyCount == 0 && busyHook()) busyHook()(false);
}

}  // namespace detail

namespace {

using detail::BusyScope;
using detail::state;

// Request codes (the low byte of wParam).
enum Code : std::uint32_t {
    Version = 0,
    Create = 1,
    Destroy = 2,
    Show = 3,
    Release = 4,
    SetFields = 5,
    GetFieldList = 6,
    Print = 8,
    TaxScaleOrOldPrintDialog = 9,
    FormState = 10,
    PrintRange = 11,
    PrintDialogFinished = 12,
    PrintDialog = 13,
    EndOfDocument = 15,
    GetErrorList = 17,
};

constexpr int kReturnAtOnce = 32;
// While the forms program's print dialog is open, the program's own events are handled every
// kDialogSliceMs and the forms program is asked whether the dialog is finished every kDialogPollMs:
// quick enough for the user, and no measurable load on either program.
constexpr int kDialogSliceMs = 10;
constexpr int kDialogPollMs = 50;

std::int32_t send(std::uint32_t wParam, std::int32_t lParam) {
    return state().system->sendMessage(state().formsWindow, kFormsMessage, wParam, lParam);
}

std::int32_t withAtom(FormId id, Atom atom) {
    return makeLong(loWord(static_cast<std::uint32_t>(id)), atom);
}

// The request text: every line followed by CR LF.
QByteArray requestText(std::initializer_list<QByteArray> lines) {
    QByteArray text;
    for (const QByteArray& line : lines) text += line + "\r\n";
    return text;
}

// The parent window as its decimal number, "0" for none or a handle above hex FFFF.
WindowHandle usableParent(WindowHandle parent) { return parent > 0xFFFF ? 0 : parent; }
QByteArray parentLine(WindowHandle parent) { return QByteArray::number(usableParent(parent)); }

bool haveSystem() { return state().system != nullptr; }
bool haveWindow() { return haveSystem() && state().formsWindow != 0; }

// The forms window, sought again or started when the remembered one has gone.
bool ensureFormsWindow() {
    if (!haveSystem()) return false;
    if (detail::refreshFormsWindow() == 0) detail::FindFormsProgram();
    return state().formsWindow != 0;
}

void setPages(std::int32_t reply, std::uint16_t& firstPage, std::uint16_t& lastPage) {
    firstPage = loWord(static_cast<std::uint32_t>(reply));
    lastPage = hiWord(static_cast<std::uint32_t>(reply));
}

// The text's length when the forms program took it whole; 0 when it was not sent (the atom table
// refused a piece) or the forms program refused it (reply 0), so that the caller sees the failure.
int sendChain(FormId id, const QByteArray& text, std::uint32_t wParam) {
    if (!haveWindow() || id == 0) return 0;
    WindowSystem& system = *state().system;
    const std::optional<QList<Atom>> chain = MakeAtomChain(system, text);
    if (!chain) return 0;
    std::int32_t reply = 0;
    try {
        reply = send(wParam, withAtom(id, chainHead(*chain)));
    } catch (...) {
        DeleteAtomChain(system, *chain);
        throw;
    }
    DeleteAtomChain(system, *chain);
    return reply != 0 ? static_cast<int>(text.size()) : 0;
}

int readReply(std::uint32_t wParam, FormId id, QByteArray* buffer, int capacity) {
    if (buffer == nullptr) return 0;
    buffer->clear();
    if (!haveSystem()) return 0;
    const Atom head = loWord(static_cast<std::uint32_t>(send(wParam, withAtom(id, 0))));
    if (head != 0) ReadAtomChain(*state().system, head, buffer, capacity);
    return static_cast<int>(buffer->size());
}

}  // namespace

void setWindowSystem(WindowSystem* system) { state().system = system; }
WindowSystem* windowSystem() { return state().system; }
void setBusyCursorHook(std::function<void(bool busy)> hook) { detail::busyHook() = std::move(hook); }

void LinkInit() {
    detail::LinkState& link = state();
    if (link.initialised) return;
    link.initialised = true;
    link.openForms.clear();
    link.registry.Clear();
    // The link is shut down when the program's event loop ends, while the window system and the
    // windows still exist.
    static QCoreApplication* connectedTo = nullptr;
    QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr && application != connectedTo) {
        QObject::connect(application, &QCoreApplication::aboutToQuit, application, [] { LinkShutdown(); });
        connectedTo = application;
    }
}

void LinkShutdown() {
    detail::LinkState& link = state();
    if (!link.initialised) return;
    link.registry.Clear();
    if (haveSystem()) {
        const QList<FormId> forms = link.openForms;
        for (qsizetype i = forms.size() - 1; i >= 0; --i) DestroyForm(forms[i]);
    }
    link.openForms.clear();
    ReleaseFormsProgram();
    WindowSystem* system = link.system;
    link = detail::LinkState{};
    link.system = system;
}

std::int32_t GetFormsVersion() {
    if (!ensureFormsWindow()) return 0;
    return send(Version, 0);
}

FormId CreateForm(const QByteArray& symbol, const QByteArray& identifier) {
    if (!haveSystem()) return 0;
    BusyScope busy;
    if (!ensureFormsWindow()) return 0;
    WindowSystem& system = *state().system;
    const Atom atom = system.addAtom(requestText({symbol, identifier, "3"}));
    const FormId id = send(Create, makeLong(0, atom));
    system.deleteAtom(atom);
    if (id != 0) {
        state().openForms.append(id);
        state().registry.AddParam(id, symbol, identifier, "3");
    }
    return id;
}

bool DestroyForm(FormId id) {
    if (!haveSystem()) return false;
    if (send(Destroy, id) != 0) return false;
    state().openForms.removeOne(id);
    return true;
}

std::uint16_t ShowForm(FormId id, const QByteArray& caption, WindowHandle parent, int flags) {
    if (!haveWindow() || id == 0) return 0;
    WindowSystem& system = *state().system;
    std::uint16_t formWindow = 0;
    Atom atom = 0;
    BusyScope busy;
    try {
        parent = usableParent(parent);
        atom = system.addAtom(requestText({caption, parentLine(parent), QByteArray::number(flags)}));
        formWindow = loWord(static_cast<std::uint32_t>(send(Show, withAtom(id, atom))));
        busy.end();
        if (formWindow != 0) {
            if ((flags & kReturnAtOnce) == 0) {
                if (parent != 0) system.enableWindow(parent, false);
                // Ends when the form window closes, also when the forms program dies.
                while (system.isWindow(formWindow)) system.waitMessage();
                if (parent != 0) system.enableWindow(parent, true);
            }
            system.setForegroundWindow(parent);
        }
    } catch (...) {
    }
    system.deleteAtom(atom);
    return formWindow;
}

int SendFields(FormId id, const QByteArray& text, int options) {
    return sendChain(id, text, SetFields + 256u * static_cast<std::uint8_t>(options));
}

int SendTaxScale(FormId id, const QByteArray& text) {
    if (text.isEmpty()) return 0;
    return sendChain(id, text, TaxScaleOrOldPrintDialog);
}

int GetFields(FormId id, QByteArray* buffer, int capacity, bool convert) {
    return readReply(GetFieldList + (convert ? 256u : 0u), id, buffer, capacity);
}

int GetErrors(FormId id, QByteArray* buffer, int capacity) { return readReply(GetErrorList, id, buffer, capacity); }

bool RunPrintDialog(FormId id, const QByteArray& caption, WindowHandle parent, std::uint16_t& firstPage,
                    std::uint16_t& lastPage) {
    if (!haveWindow()) return false;
    WindowSystem& system = *state().system;
    bool accepted = false;
    Atom atom = 0;
    BusyScope busy;
    try {
        parent = usableParent(parent);
        const QByteArray first = firstPage == 0 ? QByteArray() : QByteArray::number(firstPage);
        const QByteArray last = lastPage == 0 ? QByteArray() : QByteArray::number(lastPage);
        atom = system.addAtom(requestText({parentLine(parent), first, last, caption}));
        busy.end();
        const std::uint32_t code = GetFormsVersion() > 3 ? PrintDialog : TaxScaleOrOldPrintDialog;
        std::int32_t reply = send(code, withAtom(id, atom));
        accepted = reply != 0;
        if (accepted && code == PrintDialog) {
            if (parent != 0) system.enableWindow(parent, false);
            // Polls until the dialog is finished; a forms program that dies ends the poll.
            do {
                for (int waited = 0; waited < kDialogPollMs; waited += kDialogSliceMs) {
                    system.sleep(kDialogSliceMs);
                    system.handleOneMessage();
                }
            } while (send(PrintDialogFinished, id) != 1 && system.isWindow(state().formsWindow));
            if (parent != 0) system.enableWindow(parent, true);
            reply = send(PrintRange, id);
            accepted = reply != 0;
            system.setForegroundWindow(parent);
        }
        if (accepted) setPages(reply, firstPage, lastPage);
    } catch (...) {
    }
    system.deleteAtom(atom);
    return accepted;
}

bool PrintForm(FormId id, const QByteArray& caption, WindowHandle parent, std::uint16_t firstPage,
               std::uint16_t lastPage, bool silent, std::int32_t printerIndex) {
    if (!haveWindow()) return false;
    WindowSystem& system = *state().system;
    BusyScope busy;
    QByteArray text = requestText({parentLine(parent), QByteArray::number(firstPage == 0 ? 1 : firstPage),
                                   QByteArray::number(lastPage == 0 ? 999 : lastPage), caption});
    if (GetFormsVersion() > 4) text += requestText({silent ? "1" : "0", QByteArray::number(printerIndex)});
    const Atom atom = system.addAtom(text);
    const bool printed = send(Print, withAtom(id, atom)) != 0;
    system.deleteAtom(atom);
    return printed;
}

bool GetPrintRange(FormId id, std::uint16_t& firstPage, std::uint16_t& lastPage) {
    if (!haveWindow()) return false;
    const std::int32_t reply = send(PrintRange, id);
    if (reply == 0) return false;
    setPages(reply, firstPage, lastPage);
    return true;
}

std::uint16_t GetFormState(FormId id) {
    if (!haveWindow()) return 0;
    return loWord(static_cast<std::uint32_t>(send(FormState, id)));
}

std::int32_t EndDocument(FormId id) {
    if (!haveWindow()) return -1;
    return send(EndOfDocument, id);
}

void ReleaseFormsProgram() {
    if (!haveSystem()) return;
    detail::refreshFormsWindow();
    if (state().formsWindow != 0) send(Release, 0);
}

}  // namespace lform
