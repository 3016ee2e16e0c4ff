#include "import/widgets/TFImporting.h"

#include "import/widgets/TFDataAccess.h"
#include "import/DatabaseError.h"
#include "import/PlatnikReaders.h"
#include "store/ChangeGroup.h"
#include "store/PayerChangeRecording.h"
#include "store/RegisterChangeRecording.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* largeText(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TFImporting::TFImporting(Workspace& workspace, MainView& mainView, TFDataAccess& dataAccess,
                         UserInterface& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      workspace_(workspace), mainView_(mainView), dataAccess_(dataAccess), ui_(ui) {
    setObjectName(QStringLiteral("FImporting"));
    setWindowTitle(QStringLiteral("Proszę czekać... Trwa import danych"));

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(30, 25, 30, 25);
    frame->addWidget(largeText(QStringLiteral("Trwa importowanie danych z Programu Płatnika...")));
    frame->addWidget(largeText(QStringLiteral("Proszę czekać!")));
    frame->addSpacing(10);
    btnPrzerwij_ = new QPushButton(QStringLiteral("Przerwij"));
    btnPrzerwij_->setObjectName(QStringLiteral("btnPrzerwij"));
    frame->addWidget(btnPrzerwij_, 0, Qt::AlignCenter);
    connect(btnPrzerwij_, &QPushButton::clicked, this, &TFImporting::btnPrzerwijClick);
    // While the reading runs only this window takes input: the import's window events are
    // handled then so that "Przerwij" can be pressed.
    setWindowModality(Qt::ApplicationModal);
    setStyleSheet(QStringLiteral("QDialog#FImporting { border: 2px solid palette(dark); }"));

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(50);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &TFImporting::Timer1Timer);
    // A failed login is reported while this window shows: it must not cover the message.
    connect(&dataAccess_, &TFDataAccess::aboutToReport, this, &QWidget::hide);
}

void TFImporting::StartImport() {
    timer_->start();
    if (!waitCursorSet_) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursorSet_ = true;
    }
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TFImporting::RunImport() {
    StartImport();
    exec();
}

void TFImporting::Timer1Timer() {
    timer_->stop();
    cancelRequested_ = false;
    btnPrzerwij_->setEnabled(true);
    PlatnikConnection& connection = dataAccess_.ADOConnection();
    connection.setShouldStop([this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return cancelRequested_;
    });
    enum class Outcome { Read, Failed, Cancelled, TooLarge } outcome = Outcome::Read;
    QString limitMessage;
    {
        // What was read, also before a failure or a stop, is one step the user can undo.
        const QString step = QStringLiteral("Import danych z bazy Programu Płatnika");
        ChangeGroup group(workspace_, step);
        RegisterChangeRecording taxpayers(workspace_, step, RegisterChangeRecording::EveryRecord{});
        PayerChangeRecording payer(workspace_, step);
        try {
            readChosenData();
        } catch (const ReadingCancelled&) {
            outcome = Outcome::Cancelled;
        } catch (const RecordLimitError& error) {
            outcome = Outcome::TooLarge;
            limitMessage = error.message();
        } catch (...) {
            outcome = Outcome::Failed;
        }
        taxpayers.finish();
        payer.finish();
    }
    connection.setShouldStop({});
    btnPrzerwij_->setEnabled(false);
    // The table must show what the register holds, also what was read before a failure.
    try {
        if (!workspace_.taxpayers.empty())
            mainView_.RefreshView(ViewMode::vmTabela);
    } catch (...) {
        if (outcome == Outcome::Read) outcome = Outcome::Failed;
    }
    // What was read (also before a failure or a stop) is a change the recovery copy must follow.
    workspace_.notifyChanged();
    restoreCursor();
    switch (outcome) {
        case Outcome::Read:
            break;
        case Outcome::Failed:
            reportAfterHiding(QStringLiteral("Fiskon") /* the application's title */, kReadingErrorMessage, MessageIcon::None);
            break;
        case Outcome::Cancelled:
            reportAfterHiding(QStringLiteral("Informacja"),
                              QStringLiteral("Import danych przerwano. Dane odczytane przed przerwaniem "
                                             "pozostały w programie."),
                              MessageIcon::Information);
            break;
        case Outcome::TooLarge:
            reportAfterHiding(QStringLiteral("Błąd"), limitMessage, MessageIcon::Warning);
            break;
    }
    done(QDialog::Accepted);
}

void TFImporting::reportAfterHiding(const QString& title, const QString& text, MessageIcon icon) {
    hide();
    ui_.message(title, text, icon);
}

void TFImporting::btnPrzerwijClick() {
    cancelRequested_ = true;
    btnPrzerwij_->setEnabled(false);
}

void TFImporting::readChosenData() {
    if (ImportTaxpayers)
        ReadInsuredPersons(dataAccess_, workspace_.taxpayers);
    if (ImportPayer)
        ReadPayerData(dataAccess_, workspace_.payer);
}

void TFImporting::reject() {
    // Escape or Alt+F4 before the reading has run would leave it to run behind the user's back.
    if (!timer_->isActive())
        QDialog::reject();
}

void TFImporting::hideEvent(QHideEvent* event) {
    restoreCursor();
    QDialog::hideEvent(event);
}

void TFImporting::restoreCursor() {
    if (waitCursorSet_) {
        QGuiApplication::restoreOverrideCursor();
        waitCursorSet_ = false;
    }
}
