#include "support/FakeFormsProgram.h"

namespace {

constexpr int kPiece = 240;
constexpr int kNameBuffer = 256;

QList<QByteArray> splitLines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}

}  // namespace

FakeFormsProgram::FakeFormsProgram(QByteArray formsClass) : formsClass(std::move(formsClass)) {}

void FakeFormsProgram::die() {
    running = false;
    pendingSeeks_ = -1;
    formWindows_.clear();
}

void FakeFormsProgram::closeFormWindows() { formWindows_.clear(); }

std::vector<int> FakeFormsProgram::codes() const {
    std::vector<int> result;
    for (const FakeRequest& request : requests) result.push_back(request.code);
    return result;
}

WindowHandle FakeFormsProgram::findWindow(const QByteArray& className) {
    ++findWindowCalls;
    if (!running && pendingSeeks_ >= 0) {
        if (pendingSeeks_ == 0) {
            running = true;
            pendingSeeks_ = -1;
        } else {
            --pendingSeeks_;
        }
    }
    if (running && className == formsClass) return formsWindow;
    for (const auto& [handle, window] : localWindows_)
        if (window.className == className) return handle;
    return 0;
}

bool FakeFormsProgram::isWindow(WindowHandle window) {
    if (window == 0) return false;
    if (running && window == formsWindow) return true;
    return formWindows_.count(window) != 0 || localWindows_.count(window) != 0;
}

std::int32_t FakeFormsProgram::sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                                           std::int32_t lParam) {
    if (auto local = localWindows_.find(window); local != localWindows_.end())
        return local->second.procedure ? local->second.procedure(message, wParam, lParam) : 0;
    if (!running || window != formsWindow || message != kFormsMessage) return 0;
    FakeRequest request;
    request.code = static_cast<std::uint8_t>(wParam & 0xFF);
    request.options = static_cast<std::uint8_t>((wParam >> 8) & 0xFF);
    request.lParam = lParam;
    request.window = window;
    const bool carriesText = request.code == 1 || request.code == 3 || request.code == 5 || request.code == 8 ||
                             request.code == 9 || request.code == 13;
    if (carriesText && request.high() != 0) {
        request.text = readChain(request.high(), &request.chainAtoms);
        request.lines = splitLines(request.text);
    }
    requests.push_back(request);
    if (onRequest) onRequest(requests.back());
    return answer(requests.back());
}

std::int32_t FakeFormsProgram::answer(const FakeRequest& request) {
    if (auto fixed = replies.find(request.code); fixed != replies.end()) return fixed->second;
    switch (request.code) {
    case 0: return version;
    case 1: return nextFormId == 0 ? 0 : nextFormId++;
    case 2: return destroyReply;
    case 3: {
        if (showRefused) return 0;
        const WindowHandle form = nextFormWindow_++;
        if (formWindowWaits != 0) formWindows_[form] = formWindowWaits;
        return static_cast<std::int32_t>(form);
    }
    case 5: return fieldsAccepted;
    case 6: return replyChain(fieldsReply);
    case 8: return printReply;
    case 9: return oldPrintDialogReply;  // the print dialog of version 3; ignored after a tax scale
    case 10: return formState;
    case 11: return printRange;
    case 12: return ++polls_ >= printDialogPolls ? (polls_ = 0, 1) : 0;
    case 13: return printDialogOpened;
    case 15: return endDocumentReply;
    case 17: return replyChain(errorsReply);
    default: return 0;
    }
}

// The reply chain as the forms program makes it: pieces of 240 bytes, each but the last
// followed by the byte 1 and the next piece's atom.
Atom FakeFormsProgram::replyChain(const QByteArray& text) {
    if (text.isEmpty()) return 0;
    Atom next = 0;
    for (qsizetype start = ((text.size() - 1) / kPiece) * kPiece; start >= 0; start -= kPiece) {
        QByteArray name = text.mid(start, kPiece);
        if (next != 0) name += '\x01' + QByteArray::number(next);
        next = atoms_.table().add(name);
    }
    return next;
}

QByteArray FakeFormsProgram::readChain(Atom head, int* atomsRead) {
    QByteArray text;
    *atomsRead = 0;
    for (Atom atom = head; atom != 0 && *atomsRead < AtomTable::kSlots;) {
        const QByteArray name = atoms_.table().name(atom, kNameBuffer);
        if (name.isEmpty()) break;
        ++*atomsRead;
        const qsizetype mark = name.lastIndexOf('\x01');
        bool numeric = false;
        const uint next = mark < 0 ? 0 : name.mid(mark + 1).toUInt(&numeric);
        if (!numeric || next > 0xFFFF) {
            text += name;
            break;
        }
        text += name.left(mark);
        atom = static_cast<Atom>(next);
    }
    return text;
}

bool FakeFormsProgram::enableWindow(WindowHandle window, bool enable) {
    windowCalls << QStringLiteral("%1 %2").arg(enable ? "enable" : "disable").arg(window);
    if (auto local = localWindows_.find(window); local != localWindows_.end() && local->second.enable)
        local->second.enable(enable);
    return true;
}

bool FakeFormsProgram::setForegroundWindow(WindowHandle window) {
    windowCalls << QStringLiteral("foreground %1").arg(window);
    if (auto local = localWindows_.find(window); local != localWindows_.end() && local->second.bringToFront)
        local->second.bringToFront();
    return window != 0;
}

WindowHandle FakeFormsProgram::registerWindow(const LocalWindow& window) {
    const WindowHandle handle = nextLocal_++;
    localWindows_[handle] = window;
    return handle;
}

void FakeFormsProgram::unregisterWindow(WindowHandle window) { localWindows_.erase(window); }

Atom FakeFormsProgram::addAtom(const QByteArray& name) {
    if (atomsLeft == 0) return 0;  // the table is full
    if (atomsLeft > 0) --atomsLeft;
    return atoms_.table().add(name);
}

QByteArray FakeFormsProgram::atomName(Atom atom, int bufferSize) { return atoms_.table().name(atom, bufferSize); }

Atom FakeFormsProgram::deleteAtom(Atom atom) { return atoms_.table().remove(atom); }

int FakeFormsProgram::startProcess(const QString& commandLine, int showCommand) {
    startedCommands << commandLine;
    startShowCommands.push_back(showCommand);
    int result = 33;
    if (!startResults.empty()) {
        result = startResults.front();
        startResults.pop_front();
    }
    if (result >= 32 && appearsOnStart && !running) pendingSeeks_ = seeksBeforeAppearing;
    return result;
}

QString FakeFormsProgram::profileString(const QString& section, const QString& key, const QString& fallback) {
    const QString name = section + QLatin1Char('/') + key;
    profileReads << name;
    return profile.value(name, fallback);
}

void FakeFormsProgram::pumpMessages() {
    ++pumps;
    if (onUserInput) onUserInput();
}

void FakeFormsProgram::pumpRequests() { ++pumps; }

void FakeFormsProgram::ageFormWindows() {
    for (auto it = formWindows_.begin(); it != formWindows_.end();) {
        if (it->second > 0 && --it->second == 0)
            it = formWindows_.erase(it);
        else
            ++it;
    }
}

void FakeFormsProgram::waitMessage() {
    ++waits;
    if (onWait) onWait();
    ageFormWindows();
}

bool FakeFormsProgram::handleOneMessage() {
    ++waits;
    if (onWait) onWait();
    ageFormWindows();
    return false;
}

void FakeFormsProgram::sleep(int milliseconds) { sleptMilliseconds += milliseconds; }
