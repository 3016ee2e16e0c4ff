#include "mail/widgets/TFMail.h"

#include "forms/widgets/BatchProgress.h"
#include "mail/DeliveryRecord.h"
#include "mail/MailBatch.h"
#include "mail/widgets/MailServerBox.h"
#include "mail/widgets/MailTemplateBox.h"
#include "settings/MailServerChoice.h"
#include "signing/SigningKey.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "ui/ErrorMessage.h"
#include "ui/UserInterface.h"
#include "ui/WorkerThread.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <exception>

namespace {

const char* const kPasswordStandIn = "-";

QString progressText(const MailProgress& progress) {
    if (progress.phase == MailProgress::Phase::Preparing)
        return QStringLiteral("Przygotowanie plików PDF: %1 z %2").arg(progress.done).arg(progress.total);
    return QStringLiteral("Wysłano %1 z %2 wiadomości (%3: %4)")
        .arg(progress.done)
        .arg(progress.total)
        .arg(progress.taxpayer, DeliveryStateText(progress.state));
}

// "Odrzucone przez serwer:" / "Niepewne:" and who, from the record the batch wrote.
QString refusedAndUncertain(const QString& recordPath) {
    std::vector<DeliveryRow> rows;
    try {
        rows = ReadDeliveryRecord(recordPath);
    } catch (const FileError&) {
        return QString();  // the counts above are all the user learns then
    }
    QStringList refused;
    QStringList uncertain;
    for (const DeliveryRow& row : rows) {
        const QString line = QStringLiteral("%1 %2 %3 <%4>: %5").arg(row.position).arg(row.surname, row.firstName, row.address, row.reply);
        if (row.state == DeliveryState::Refused) refused << line;
        if (row.state == DeliveryState::Uncertain) uncertain << line;
    }
    QString text;
    if (!refused.isEmpty()) text += QStringLiteral("\n\nOdrzucone przez serwer:\n") + TaxpayerFilesDialog::namedAtMost(refused);
    if (!uncertain.isEmpty())
        text += QStringLiteral("\n\nNiepewne (serwer mógł je przyjąć; wyślij je ponownie tylko po sprawdzeniu):\n") +
                TaxpayerFilesDialog::namedAtMost(uncertain);
    return text;
}

}  // namespace

TFMail::TFMail(Workspace& workspace, MainView& mainView, TFVEL& showForm, ProgramSettings& settings, UserInterface& ui,
               TFCalendar& calendar, MailPasswordStore passwords, QWidget* parent)
    : TaxpayerFilesDialog("FMail", QStringLiteral("Wysyłanie PIT-ów e-mailem"), QStringLiteral("Podpis plików PDF"),
                          workspace, mainView, showForm, settings, ui, calendar, parent),
      passwords_(passwords) {
    server_ = new MailServerBox(ui, this);
    connect(server_->forgetButton(), &QPushButton::clicked, this, &TFMail::btnZapomnijHasloClick);
    message_ = new MailTemplateBox(this);

    auto* record = new QGroupBox(QStringLiteral("Zapis wysyłki (CSV)"), this);
    record->setObjectName(QStringLiteral("GroupBoxZapis"));
    eZapis_ = new QLineEdit(record);
    eZapis_->setObjectName(QStringLiteral("eZapis"));
    auto* btnZapis = new QToolButton(record);
    btnZapis->setObjectName(QStringLiteral("btnZapis"));
    btnZapis->setText(QStringLiteral("…"));
    btnZapis->setToolTip(QStringLiteral("Wybierz plik zapisu wysyłki"));
    connect(btnZapis, &QToolButton::clicked, this, &TFMail::btnZapisClick);
    auto* recordLayout = new QHBoxLayout(record);
    recordLayout->addWidget(eZapis_, 1);
    recordLayout->addWidget(btnZapis);

    buildFilesControls("btnWyslij", QStringLiteral("Wyślij"), {}, {server_, message_, record}, [this] { btnWyslijClick(); });
    auto* btnProba = new QPushButton(QStringLiteral("Wyślij próbną wiadomość"), this);
    btnProba->setObjectName(QStringLiteral("btnProba"));
    btnProba->setAutoDefault(false);
    buttonRow_->insertWidget(buttonRow_->count() - 1, btnProba);
    connect(btnProba, &QPushButton::clicked, this, &TFMail::btnProbaClick);
}

void TFMail::FormShow() {
    TaxpayerFilesDialog::FormShow();
    try {
        const MailServerChoice choice = RememberedMailServerChoice(settings_);
        server_->setChoice(choice);
        message_->setTexts(choice.subject, choice.body);
    } catch (const FileError&) {
        // The settings cannot be read: the fields stay as they are; sending says why.
    }
}

void TFMail::btnClearClick() {
    TaxpayerFilesDialog::btnClearClick();
    message_->reset();
    eZapis_->clear();
}

void TFMail::btnPrzerwijClick() {
    stop_ = true;
    TaxpayerFilesDialog::btnPrzerwijClick();
}

void TFMail::btnZapisClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Zapis wysyłki");
    request.filter = QStringLiteral("Zapis wysyłki (*.csv)|*.csv");
    request.defaultSuffix = QStringLiteral("csv");
    request.initialPath = eZapis_->text().isEmpty() ? QDir::homePath() : eZapis_->text();
    if (const std::optional<QString> chosen = ui_.saveFile(request)) eZapis_->setText(QDir::toNativeSeparators(*chosen));
}

void TFMail::btnWyslijClick() { send(false); }

void TFMail::btnProbaClick() { send(true); }

void TFMail::btnZapomnijHasloClick() {
    const MailServerChoice choice = server_->choice();
    if (choice.server.isEmpty() || choice.user.isEmpty()) {
        ui_.message(QStringLiteral("Informacja"), QStringLiteral("Wpisz serwer i użytkownika, którego hasło zapomnieć."),
                    MessageIcon::Information);
        return;
    }
    const MailPasswordStore::Result result = passwords_.forget(choice.server, choice.user);
    if (result.answer == MailPasswordStore::Answer::NoStore)
        ui_.message(QStringLiteral("Uwaga!"), QStringLiteral("Nie można zapomnieć hasła: %1.").arg(result.reason),
                    MessageIcon::Warning);
    else
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Hasło użytkownika „%1” na serwerze „%2” nie jest już pamiętane.").arg(choice.user, choice.server),
                    MessageIcon::Information);
}

void TFMail::remember() {
    MailServerChoice choice = server_->choice();
    message_->remember(choice);
    try {
        RememberMailServerChoice(settings_, choice);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);
    }
}

bool TFMail::fillMailRequest(MailBatchRequest& request, bool test) {
    if (!fillRequest(request.pdf, QStringLiteral("Nie ma podatników, do których można wysłać PIT-y."),
                     QStringLiteral("nie wysłano żadnej wiadomości")))
        return false;
    server_->fill(request.settings);
    message_->fill(request.settings);
    // The password is asked last, after every other question: until then a stand-in, which
    // takePassword replaces, lets the settings and the plan be checked without it.
    if (!request.settings.user.isEmpty()) request.settings.password = MailSecret(QByteArray(kPasswordStandIn));
    if (const QString problem = MailSettingsProblem(request.settings); !problem.isEmpty()) {
        ui_.message(QStringLiteral("Błąd"), problem, MessageIcon::Error);
        return false;
    }
    remember();
    if (!test) request.recordPath = QDir::fromNativeSeparators(eZapis_->text().trimmed());
    return true;
}

bool TFMail::askResume(MailBatchRequest& request) {
    std::vector<DeliveryRow> rows;
    try {
        rows = ReadDeliveryRecord(request.recordPath);
    } catch (const FileError& error) {
        ui_.message(QStringLiteral("Błąd"),
                    error.message() + QStringLiteral("\nWybierz inny plik zapisu wysyłki; nie wysłano żadnej wiadomości."),
                    MessageIcon::Error);
        return false;
    }
    const auto count = [&rows](DeliveryState state) {
        return static_cast<int>(std::count_if(rows.begin(), rows.end(), [state](const DeliveryRow& row) { return row.state == state; }));
    };
    const int uncertain = count(DeliveryState::Uncertain);
    QString text = QStringLiteral("Zapis wysyłki „%1” już istnieje: według niego wysłano %2 z %3 wiadomości.\n"
                                  "Wznowić wysyłkę? Podatnicy, którym wysłano, nie dostaną drugiej wiadomości.")
                       .arg(QDir::toNativeSeparators(request.recordPath))
                       .arg(count(DeliveryState::Sent))
                       .arg(rows.size());
    QStringList buttons{QStringLiteral("Wznów")};
    if (uncertain > 0) {
        text += QStringLiteral("\n\n%1 ma stan „niepewne”: wiadomość przekazano, ale serwer nie odpowiedział, więc mogła "
                               "dotrzeć. Wysłać je ponownie?")
                    .arg(QStringLiteral("%1 %2").arg(uncertain).arg(PolishPlural(uncertain, QStringLiteral("wiadomość"),
                                                                               QStringLiteral("wiadomości"),
                                                                               QStringLiteral("wiadomości"))));
        buttons << QStringLiteral("Wznów i wyślij ponownie niepewne");
    }
    buttons << QStringLiteral("Anuluj");
    const int chosen = ui_.askChoices(QStringLiteral("Pytanie"), text, MessageIcon::Question, buttons);
    if (chosen < 0 || chosen == buttons.size() - 1) return false;
    request.resume = true;
    request.resendUncertain = uncertain > 0 && chosen == 1;
    return true;
}

bool TFMail::leaveOutWithoutAddress(MailBatchRequest& request, MailPlan& plan) {
    if (plan.withoutAddress.isEmpty()) return true;
    const int missing = static_cast<int>(plan.withoutAddress.size());
    const int others = static_cast<int>(plan.toSend.size()) - missing;
    if (others <= 0) {
        ui_.message(QStringLiteral("Błąd"), WithoutAddressText(plan.withoutAddress), MessageIcon::Error);
        return false;
    }
    const QString text = QStringLiteral("Brak poprawnego adresu e-mail u %1:\n%2\n\nWysłać PIT-y pozostałym podatnikom (%3)?")
                             .arg(taxpayersText(missing), TaxpayerFilesDialog::namedAtMost(plan.withoutAddress))
                             .arg(others);
    if (!ui_.askChoice(QStringLiteral("Pytanie"), text, MessageIcon::Question, QStringLiteral("Wyślij pozostałym"),
                       QStringLiteral("Anuluj")))
        return false;
    const std::vector<int>& without = plan.positionsWithoutAddress;
    std::erase_if(request.pdf.positions, [&without](int position) { return std::ranges::find(without, position) != without.end(); });
    try {
        plan = PlanMailBatch(request);
    } catch (const MailError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
        return false;
    }
    return plan.withoutAddress.isEmpty();
}

bool TFMail::takePassword(MailBatchRequest& request, bool& rememberPassword) {
    rememberPassword = false;
    request.settings.password.wipe();  // the stand-in
    const MailSettings& settings = request.settings;
    if (settings.user.isEmpty()) return true;
    MailPasswordStore::Result stored = passwords_.read(settings.server, settings.user);
    if (stored.answer == MailPasswordStore::Answer::Done && !stored.password.isEmpty()) {
        request.settings.password = MailSecret(std::move(stored.password));
        return true;
    }
    QString text = QStringLiteral("Hasło użytkownika „%1” na serwerze „%2”:").arg(settings.user, settings.server);
    if (stored.answer == MailPasswordStore::Answer::NoStore)
        text = QStringLiteral("Hasła nie można zapamiętać: %1. Będzie potrzebne przy każdej wysyłce.\n\n").arg(stored.reason) + text;
    std::optional<QByteArray> typed = ui_.askSecret(QStringLiteral("Hasło do serwera poczty"), text);
    if (!typed) return false;
    request.settings.password = MailSecret(*typed);
    typed->fill('\0');
    rememberPassword = stored.answer == MailPasswordStore::Answer::NotFound;
    return true;
}

void TFMail::send(bool test) {
    if (pnlPostep_->running()) return;
    MailBatchRequest request;
    if (!fillMailRequest(request, test)) return;
    // The test message reads and writes no record of its own: its plan starts from none.
    QTemporaryDir noRecord;
    if (test) request.recordPath = QDir(noRecord.path()).filePath(QStringLiteral("próba.csv"));
    if (!test && !request.recordPath.isEmpty() && QFileInfo::exists(request.recordPath) && !askResume(request)) return;
    MailPlan plan;
    try {
        plan = PlanMailBatch(request);
    } catch (const MailError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
        return;
    }
    if (!test && !leaveOutWithoutAddress(request, plan)) return;
    if (plan.toSend.empty()) {
        ui_.message(QStringLiteral("Informacja"),
                    QStringLiteral("Według zapisu wysyłki „%1” wszystkim wybranym podatnikom już wysłano PIT-y albo ich "
                                   "wiadomości są niepewne; nie wysłano żadnej wiadomości.")
                        .arg(QDir::toNativeSeparators(request.recordPath)),
                    MessageIcon::Information);
        return;
    }
    // The test message needs the first taxpayer's file only.
    if (test) plan.toSend.resize(1);
    std::unique_ptr<SigningKey> key;
    if (!unlockSigningKey(key)) return;
    request.key = key.get();
    request.visibleSignature = visibleSignature();
    bool rememberPassword = false;
    if (!takePassword(request, rememberPassword)) return;
    runBatch(request, plan, test, rememberPassword);
}

void TFMail::runBatch(const MailBatchRequest& request, MailPlan& plan, bool test, bool rememberPassword) {
    pnlPostep_->setRunning(true);
    stop_ = false;
    const auto done = qScopeGuard([this] {
        pnlPostep_->setRunning(false);
        // A typed password is not kept beyond the batch it locked.
        forgetTypedPassword();
    });
    QSet<QString> withFindings;  // touched by the worker only until it is done
    MailCallbacks callbacks;
    callbacks.stop = &stop_;
    callbacks.finding = [&withFindings](const QString& taxpayer, const QString&) { withFindings.insert(taxpayer); };
    callbacks.progress = [this](const MailProgress& progress) {
        PostTo(pnlPostep_, [this, text = progressText(progress)] { pnlPostep_->showProgress(text); });
    };
    pnlPostep_->showProgress(QStringLiteral("Sprawdzanie danych %1…").arg(taxpayersText(static_cast<int>(plan.toSend.size()))));
    MailResult result;
    std::exception_ptr failure;
    RunOnWorkerThread([&] {
        try {
            const PreparedMail files = PrepareMailFiles(request, plan, callbacks);
            result = test ? SendTestMessage(request, plan, files, callbacks) : SendMailBatch(request, plan, files, callbacks);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            ui_.message(QStringLiteral("Błąd"), QString::fromUtf8(error.what()), MessageIcon::Error);
        }
        return;
    }
    if (rememberPassword && result.sent > 0) {
        // Kept once the server took it; a store that fails now asks again next time.
        (void)passwords_.write(request.settings.server, request.settings.user, request.settings.password.utf8());
    }
    if (test) {
        ui_.message(QStringLiteral("Informacja"), TestMessageResultText(result, request.settings),
                    result.sent == 1 ? MessageIcon::Information : MessageIcon::Warning);
        return;
    }
    QString text = MailResultText(result) + refusedAndUncertain(result.recordPath);
    text += findingsNote(static_cast<int>(withFindings.size()));
    ui_.message(QStringLiteral("Informacja"), text, result.complete() ? MessageIcon::Information : MessageIcon::Warning);
}
