#pragma once

#include "formvel/FormDocument.h"
#include "formvel/app/FormIdCounter.h"
#include "platform/WindowSystem.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class FormPrintJobs;
class FormWindow;

// The requests of the forms protocol (version 5), one window procedure for every class under which
// the program answers. Each request is checked: an unknown code, a form id the program did not
// give out, or a text that is not what the request carries gets the reply 0 and changes nothing.
//
// Several Fiskons may share the program. A form belongs to the client (the process) that created
// it, and only that client reaches it: another client's id is answered as no form at all (its
// destroy with 0, "nothing of yours left", so that a Fiskon holding an id of a program that has
// ended forgets it), and the form stays as it was. Ids are never given twice in a session (see
// FormIdCounter), so an id kept from an earlier program names no form of this one.
class FormsRequestHandler : public QObject {
    Q_OBJECT
public:
    static constexpr std::int32_t kVersion = 5;
    // Class of the form windows' registrations ("is window" of a shown form).
    static constexpr const char* kFormWindowClass = "TFormWindow_VEL";

    explicit FormsRequestHandler(WindowSystem& system, FormIdCounter ids = FormIdCounter(), QObject* parent = nullptr);
    ~FormsRequestHandler() override;

    // The window procedure: kFormsMessage with the request code in wParam's low byte.
    std::int32_t handle(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam);

    // Forgets the forms of clients that have ended (and no window shows any more): they never
    // send their destroy. Whether any form is left afterwards.
    bool dropFormsOfEndedClients();

    // What the tests and the program look at (any client's forms).
    FormDocument* document(int formId) const;
    FormWindow* window(int formId) const;
    int formCount() const { return static_cast<int>(forms_.size()); }
    int openWindowCount() const;
    const FormPrintJobs& printJobs() const { return *printJobs_; }

signals:
    // Release (code 4) arrived and no other client holds a form here or waits for a reply: the
    // program may end. The releasing client's own forms are gone by then.
    void releaseRequested();
    // The last form window that was open is gone (closed by the user or with its form).
    void lastWindowClosed();
    // Any request arrived (the server's idle clock).
    void requestArrived();

private:
    struct Form {
        std::unique_ptr<FormDocument> document;
        QByteArray identifier;
        QPointer<FormWindow> window;
        WindowHandle windowHandle = 0;
        MessageSender owner;  // the client that created it
    };

    // The text of a print or print-dialog request: parent line, first page, last page, caption,
    // and for a print the silent flag and printer index.
    struct PrintText {
        Form* form = nullptr;
        QList<QByteArray> lines;
        int firstPage = 0;
        int lastPage = 0;
        QString caption;
    };

    Form* find(int formId) const;
    // The form of that id when it belongs to the client whose request is being handled.
    Form* findOwn(int formId) const;
    std::optional<PrintText> readPrintText(std::int32_t lParam) const;
    std::int32_t create(std::int32_t lParam);
    std::int32_t destroy(std::int32_t lParam);
    void erase(std::map<int, Form>::iterator form);
    void release(const MessageSender& client);
    std::int32_t show(std::int32_t lParam);
    std::int32_t setFields(std::int32_t lParam, int options);
    std::int32_t getFields(std::int32_t lParam, bool convert);
    std::int32_t setTaxScale(std::int32_t lParam);
    std::int32_t getErrors(std::int32_t lParam);
    std::int32_t print(std::int32_t lParam);
    std::int32_t openPrintDialog(std::int32_t lParam);
    void closeWindow(Form& form);

    WindowSystem& system_;
    std::map<int, Form> forms_;
    FormIdCounter ids_;
    int requestsInProgress_ = 0;  // nested while a request waits in a loop of its own
    std::unique_ptr<FormPrintJobs> printJobs_;
};
