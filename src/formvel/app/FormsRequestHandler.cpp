#include "formvel/app/FormsRequestHandler.h"

#include "formvel/AtomChain.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/FormWindow.h"
#include "store/Cp1250.h"

#include <QTimer>

namespace {

enum Code {
    kVersionCode = 0,
    kCreate = 1,
    kDestroy = 2,
    kShow = 3,
    kRelease = 4,
    kSetFields = 5,
    kGetFields = 6,
    kPrint = 8,
    kTaxScale = 9,
    kFormState = 10,
    kPrintRange = 11,
    kDialogFinished = 12,
    kPrintDialog = 13,
    kEndDocument = 15,
    kGetErrors = 17,
};

constexpr std::uint32_t kCloseMessage = 0x0010;  // WM_CLOSE

QString Decode(const QByteArray& bytes) {
    return cp1250::toUnicode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// A decimal number line; no value when it is not one.
std::optional<long> Number(const QByteArray& line) {
    bool ok = false;
    const long value = line.trimmed().toLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

// A page line: a number, or empty for 0.
std::optional<int> PageNumber(const QByteArray& line) {
    if (line.trimmed().isEmpty()) return 0;
    const auto value = Number(line);
    if (!value || *value < 0 || *value > 0xFFFF) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

FormsRequestHandler::FormsRequestHandler(WindowSystem& system, FormIdCounter ids, QObject* parent)
    : QObject(parent), system_(system), ids_(std::move(ids)), printJobs_(std::make_unique<FormPrintJobs>()) {}

FormsRequestHandler::~FormsRequestHandler() {
    for (auto& [id, form] : forms_) {
        printJobs_->forget(form.document.get());
        closeWindow(form);
    }
}

FormsRequestHandler::Form* FormsRequestHandler::find(int formId) const {
    const auto it = forms_.find(formId);
    return it == forms_.end() ? nullptr : const_cast<Form*>(&it->second);
}

FormsRequestHandler::Form* FormsRequestHandler::findOwn(int formId) const {
    Form* form = find(formId);
    return form && form->owner == system_.messageSender() ? form : nullptr;
}

FormDocument* FormsRequestHandler::document(int formId) const {
    const Form* form = find(formId);
    return form ? form->document.get() : nullptr;
}

FormWindow* FormsRequestHandler::window(int formId) const {
    const Form* form = find(formId);
    return form ? form->window.data() : nullptr;
}

int FormsRequestHandler::openWindowCount() const {
    int count = 0;
    for (const auto& [id, form] : forms_)
        if (form.window) ++count;
    return count;
}

std::int32_t FormsRequestHandler::handle(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
    if (message != kFormsMessage) return 0;
    emit requestArrived();
    struct InProgress {
        int& count;
        explicit InProgress(int& counter) : count(++counter) {}
        ~InProgress() { --count; }
    } inProgress(requestsInProgress_);
    const int code = static_cast<int>(wParam & 0xFF);
    const int options = static_cast<int>((wParam >> 8) & 0xFF);
    switch (code) {
    case kVersionCode:
        return kVersion;
    case kCreate:
        return create(lParam);
    case kDestroy:
        return destroy(lParam);
    case kShow:
        return show(lParam);
    case kRelease: {
        const MessageSender client = system_.messageSender();
        QTimer::singleShot(0, this, [this, client] { release(client); });
        return 1;
    }
    case kSetFields:
        return setFields(lParam, options);
    case kGetFields:
        return getFields(lParam, (options & 1) != 0);
    case kPrint:
        return print(lParam);
    case kTaxScale:
        return setTaxScale(lParam);
    case kFormState: {
        const Form* form = findOwn(lParam);
        return form && form->document->changedSinceReceived() ? 1 : 0;
    }
    case kPrintRange: {
        const Form* form = findOwn(lParam);
        if (!form) return 0;
        const auto range = printJobs_->range(form->document.get());
        return range ? makeLong(static_cast<std::uint16_t>(range->first), static_cast<std::uint16_t>(range->second)) : 0;
    }
    case kDialogFinished: {
        const Form* form = findOwn(lParam);
        return form && printJobs_->dialogFinished(form->document.get()) ? 1 : 0;
    }
    case kPrintDialog:
        return openPrintDialog(lParam);
    case kEndDocument: {
        const Form* form = findOwn(lParam);
        return form ? printJobs_->endDocument(form->document.get()) : 0;
    }
    case kGetErrors:
        return getErrors(lParam);
    default:
        return 0;
    }
}

std::int32_t FormsRequestHandler::create(std::int32_t lParam) {
    const auto text = ReadAtomText(system_, hiWord(static_cast<std::uint32_t>(lParam)));
    if (!text) return 0;
    const QList<QByteArray> lines = RequestLines(*text);
    if (lines.size() < 2) return 0;
    auto document = FormDocument::create(lines[0].trimmed());
    if (!document) return 0;
    const int id = ids_.next([this](int candidate) { return forms_.count(candidate) != 0; });
    if (id == 0) return 0;
    Form& form = forms_[id];
    form.document = std::move(document);
    form.identifier = lines[1];
    form.owner = system_.messageSender();
    return id;
}

std::int32_t FormsRequestHandler::destroy(std::int32_t lParam) {
    // No form of this client's with that id (never made, gone with an earlier program, or
    // another client's): nothing of the sender's is left to destroy, and nothing is touched.
    if (findOwn(lParam) == nullptr) return 0;
    erase(forms_.find(lParam));
    return 0;
}

void FormsRequestHandler::erase(std::map<int, Form>::iterator form) {
    printJobs_->forget(form->second.document.get());
    const bool hadWindow = form->second.window != nullptr;
    closeWindow(form->second);
    forms_.erase(form);
    if (hadWindow && openWindowCount() == 0) QTimer::singleShot(0, this, &FormsRequestHandler::lastWindowClosed);
}

void FormsRequestHandler::release(const MessageSender& client) {
    // The program is shared by every Fiskon of the user: one that goes takes its own forms (and
    // those of clients already gone) with it, and the program ends only when nobody else holds a
    // form here, windowless or not, or waits for an answer (a request still in progress).
    for (auto it = forms_.begin(); it != forms_.end();) {
        const auto next = std::next(it);
        if (it->second.owner == client) erase(it);
        it = next;
    }
    if (!dropFormsOfEndedClients() && requestsInProgress_ == 0) emit releaseRequested();
}

bool FormsRequestHandler::dropFormsOfEndedClients() {
    for (auto it = forms_.begin(); it != forms_.end();) {
        const auto next = std::next(it);
        // A window still shown stays for the user, who closes it.
        if (!it->second.window && !system_.senderRunning(it->second.owner)) erase(it);
        it = next;
    }
    return !forms_.empty();
}

void FormsRequestHandler::closeWindow(Form& form) {
    if (form.windowHandle) system_.unregisterWindow(form.windowHandle);
    form.windowHandle = 0;
    if (form.window) {
        FormWindow* window = form.window;
        form.window = nullptr;
        window->disconnect(this);
        window->closeWithoutQuestion();
        delete window;  // never from the window's own events: it shows the document going away
    }
}

std::int32_t FormsRequestHandler::show(std::int32_t lParam) {
    const int id = loWord(static_cast<std::uint32_t>(lParam));
    Form* form = findOwn(id);
    if (!form) return 0;
    const auto text = ReadAtomText(system_, hiWord(static_cast<std::uint32_t>(lParam)));
    if (!text) return 0;
    const QList<QByteArray> lines = RequestLines(*text);
    if (lines.size() < 3) return 0;
    const auto parent = Number(lines[1]);
    const auto flags = Number(lines[2]);
    if (!parent || !flags || *flags < 0 || *flags > 0xFFFF) return 0;

    FormWindow::Options windowOptions;
    windowOptions.caption = Decode(lines[0]);
    windowOptions.readOnly = (*flags & 64) != 0;
    windowOptions.hideSave = (*flags & 16) != 0;
    windowOptions.saveQuery = (*flags & 128) != 0;
    if (!form->window) {
        auto* window = new FormWindow(*form->document, *printJobs_);
        form->window = window;
        LocalWindow local;
        local.className = kFormWindowClass;
        QPointer<FormWindow> guard(window);
        // The form window answers the one message a window takes from anyone: WM_CLOSE.
        local.procedure = [guard](std::uint32_t message, std::uint32_t, std::int32_t) {
            if (message == kCloseMessage && guard) QTimer::singleShot(0, guard.data(), &QWidget::close);
            return 0;
        };
        local.enable = [guard](bool enabled) {
            if (guard) guard->setEnabled(enabled);
        };
        local.bringToFront = [guard] {
            if (guard) guard->bringToFront();
        };
        form->windowHandle = system_.registerWindow(local);
        if (form->windowHandle == 0) {
            form->window = nullptr;
            window->deleteLater();
            return 0;
        }
        connect(window, &FormWindow::closed, this, [this, id] {
            Form* closedForm = find(id);
            if (!closedForm) return;
            if (closedForm->windowHandle) system_.unregisterWindow(closedForm->windowHandle);
            closedForm->windowHandle = 0;
            if (closedForm->window) closedForm->window->deleteLater();
            closedForm->window = nullptr;
            if (openWindowCount() == 0) emit lastWindowClosed();
        });
    }
    form->window->present(windowOptions);
    return static_cast<std::int32_t>(form->windowHandle);
}

std::int32_t FormsRequestHandler::setFields(std::int32_t lParam, int options) {
    Form* form = findOwn(loWord(static_cast<std::uint32_t>(lParam)));
    if (!form || (options & ~7) != 0) return 0;
    const auto text = ReadRequestChain(system_, hiWord(static_cast<std::uint32_t>(lParam)));
    if (!text || !form->document->setFields(*text, options)) return 0;
    if (form->window) form->window->refresh();
    return 1;
}

std::int32_t FormsRequestHandler::getFields(std::int32_t lParam, bool convert) {
    const Form* form = findOwn(loWord(static_cast<std::uint32_t>(lParam)));
    if (!form) return 0;
    return MakeReplyChain(system_, form->document->fields(convert));
}

std::int32_t FormsRequestHandler::setTaxScale(std::int32_t lParam) {
    Form* form = findOwn(loWord(static_cast<std::uint32_t>(lParam)));
    if (!form) return 0;
    const auto text = ReadRequestChain(system_, hiWord(static_cast<std::uint32_t>(lParam)));
    if (!text || !form->document->setTaxScale(*text)) return 0;
    if (form->window) form->window->refresh();
    return 1;
}

std::int32_t FormsRequestHandler::getErrors(std::int32_t lParam) {
    const Form* form = findOwn(loWord(static_cast<std::uint32_t>(lParam)));
    if (!form) return 0;
    return MakeReplyChain(system_, form->document->errors());
}

std::optional<FormsRequestHandler::PrintText> FormsRequestHandler::readPrintText(std::int32_t lParam) const {
    Form* form = findOwn(loWord(static_cast<std::uint32_t>(lParam)));
    if (!form) return std::nullopt;
    const auto text = ReadAtomText(system_, hiWord(static_cast<std::uint32_t>(lParam)));
    if (!text) return std::nullopt;
    PrintText request;
    request.form = form;
    request.lines = RequestLines(*text);
    if (request.lines.size() < 4 || !Number(request.lines[0])) return std::nullopt;
    const auto first = PageNumber(request.lines[1]);
    const auto last = PageNumber(request.lines[2]);
    if (!first || !last) return std::nullopt;
    request.firstPage = *first;
    request.lastPage = *last;
    request.caption = Decode(request.lines[3]);
    return request;
}

std::int32_t FormsRequestHandler::print(std::int32_t lParam) {
    const auto text = readPrintText(lParam);
    if (!text) return 0;
    bool silent = false;
    int printerIndex = 0;
    if (text->lines.size() >= 6) {
        const auto silentLine = Number(text->lines[4]);
        const auto index = Number(text->lines[5]);
        if (!silentLine || !index || (*silentLine != 0 && *silentLine != 1)) return 0;
        silent = *silentLine == 1;
        printerIndex = static_cast<int>(*index);
    }
    FormPrintJobs::Request request;
    request.firstPage = text->firstPage == 0 ? 1 : text->firstPage;
    request.lastPage = text->lastPage == 0 ? 999 : text->lastPage;
    request.silent = silent;
    request.printerIndex = printerIndex;
    request.caption = text->caption;
    return printJobs_->print(*text->form->document, text->form->window, request) ? 1 : 0;
}

std::int32_t FormsRequestHandler::openPrintDialog(std::int32_t lParam) {
    const auto text = readPrintText(lParam);
    if (!text) return 0;
    return printJobs_->openDialog(*text->form->document, text->form->window, text->firstPage, text->lastPage,
                                  text->caption)
               ? 1
               : 0;
}
