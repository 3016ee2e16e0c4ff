#pragma once

#include "forms/widgets/TaxpayerFilesDialog.h"
#include "settings/MailPasswordStore.h"

#include <atomic>

class MailServerBox;
class MailTemplateBox;
class QLineEdit;
struct MailBatchRequest;
struct MailPlan;

// "Wyślij PIT-y e-mailem…": each chosen taxpayer's form, made as "Zapisz PDF dla każdego
// podatnika…" makes it (the print dialog's choices, locked, signed when a certificate is chosen),
// by mail to the taxpayer's own address, one message each, with the delivery record brought up to
// date after every message. The server, the sender and the message's template are remembered in
// the settings; the server's password in the desktop's secret store, or, where there is none,
// asked for each batch.
//
// Before anything is sent: the taxpayers without an address are named (the others may be sent
// to), a record that exists already is resumed only when the user says so (the taxpayers it says
// "niepewne" only when asked as well), the card's PIN is asked once, the password taken from the
// store or asked. The files are made and the messages sent on a worker thread, the progress line
// saying how far it is and "Przerwij" stopping after the message being sent; the end says "Wysłano
// N z M wiadomości", where the record is, and who was refused or is uncertain. "Wyślij próbną
// wiadomość" sends the first taxpayer's message to the sender's own address.
class TFMail : public TaxpayerFilesDialog {
    Q_OBJECT
public:
    TFMail(Workspace& workspace, MainView& mainView, TFVEL& showForm, ProgramSettings& settings, UserInterface& ui,
           TFCalendar& calendar, MailPasswordStore passwords = MailPasswordStore(), QWidget* parent = nullptr);

    void FormShow() override;
    void btnClearClick() override;
    void btnPrzerwijClick() override;
    void btnZapisClick();
    void btnWyslijClick();
    void btnProbaClick();
    void btnZapomnijHasloClick();

private:
    // The whole batch (`test`: the one test message), every question asked before the first
    // message.
    void send(bool test);
    // False, with the reason told, when the dialog's choices cannot send.
    bool fillMailRequest(MailBatchRequest& request, bool test);
    // The record exists: asks whether to resume it (and send the uncertain ones again).
    bool askResume(MailBatchRequest& request);
    // Names the taxpayers without an address and leaves them out when the user goes on.
    bool leaveOutWithoutAddress(MailBatchRequest& request, MailPlan& plan);
    // The password from the secret store, or asked; false on Cancel. `remember` is set when a
    // typed one can be kept in the store.
    bool takePassword(MailBatchRequest& request, bool& remember);
    void remember();
    void runBatch(const MailBatchRequest& request, MailPlan& plan, bool test, bool rememberPassword);

    MailPasswordStore passwords_;
    MailServerBox* server_ = nullptr;
    MailTemplateBox* message_ = nullptr;
    QLineEdit* eZapis_ = nullptr;
    std::atomic_bool stop_ = false;
};
