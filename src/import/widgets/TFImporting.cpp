#include "import/widgets/TFImporting.h"

#include "import/widgets/TFDataAccess.h"
#include "import/PlatnikReaders.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QGuiApplication>
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
    setStyleSheet(QStringLiteral("QDialog#FImporting { border: 2px solid palette(dark); }"));

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(50);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &TFImporting::Timer1Timer);
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
    bool failed = false;
    try {
        readChosenData();
    } catch (...) {
        failed = true;
    }
    // The table must show what the register holds, also what was read before a failure.
    try {
        if (!workspace_.taxpayers.empty())
            mainView_.RefreshView(ViewMode::vmTabela);
    } catch (...) {
        failed = true;
    }
    restoreCursor();
    if (failed)
        ui_.message(QStringLiteral("Fiskon"),  // the application's title
                    QStringLiteral("Prawdopodobnie baza jest otwarta w innym programie, "
                                   "uniemożliwiając odczyt!"),
                    MessageIcon::None);
    done(QDialog::Accepted);
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
