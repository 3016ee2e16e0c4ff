#include "formvel/app/FormWindow.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormPrinting.h"
#include "formvel/FormRenderer.h"
#include "formvel/app/FormPageView.h"
#include "formvel/app/FormPrintJobs.h"
#include "formvel/app/SignFormDialog.h"
#include "formvel/app/SignedFormPdf.h"
#include "signing/SigningKey.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const double kZoomSteps[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0};
constexpr int kFitWidthItem = 6;

}  // namespace

FormWindow::FormWindow(FormDocument& document, FormPrintJobs& printJobs, QWidget* parent)
    : QMainWindow(parent), document_(document), printJobs_(printJobs), valuesAtShow_(document.values()) {
    setObjectName(QStringLiteral("TFormWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    view_ = new FormPageView(document_);
    scrollArea_ = new QScrollArea;
    scrollArea_->setObjectName(QStringLiteral("sbStrony"));
    scrollArea_->setWidget(view_);
    scrollArea_->setAlignment(Qt::AlignHCenter);
    scrollArea_->setBackgroundRole(QPalette::Dark);

    findingsPanel_ = new QWidget;
    auto* panelLayout = new QVBoxLayout(findingsPanel_);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    findingsLabel_ = new QLabel;
    findingsLabel_->setObjectName(QStringLiteral("lblBledy"));
    findingsList_ = new QListWidget;
    findingsList_->setObjectName(QStringLiteral("lstBledy"));
    panelLayout->addWidget(findingsLabel_);
    panelLayout->addWidget(findingsList_);
    connect(findingsList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(document_.findings().size())) return;
        const QRect area = view_->focusBox(document_.findings()[static_cast<std::size_t>(row)].box);
        if (!area.isNull()) scrollArea_->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 40, area.height() + 60);
    });

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(scrollArea_);
    splitter->addWidget(findingsPanel_);
    splitter->setStretchFactor(0, 5);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    buildToolBar();
    statusBar()->setObjectName(QStringLiteral("sbStatus"));
    connect(view_, &FormPageView::valuesChanged, this, &FormWindow::fillFindings);
    connect(view_, &FormPageView::zoomStepRequested, this, &FormWindow::stepZoom);
    connect(view_, &FormPageView::boxEdited, this, [this](const QRect& area) {
        scrollArea_->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 40, area.height() + 60);
    });
    const QRect available = screen()->availableGeometry();
    resize(std::min(1000, available.width() * 9 / 10), std::min(900, available.height() * 9 / 10));
    applyZoomChoice(kFitWidthItem);
    fillFindings();
}

void FormWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Formularz"));
    bar->setObjectName(QStringLiteral("tbFormularz"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* printAction = bar->addAction(QStringLiteral("Drukuj…"));
    printAction->setObjectName(QStringLiteral("btnDrukuj"));
    printAction->setShortcut(QKeySequence::Print);
    connect(printAction, &QAction::triggered, this, [this] {
        view_->commitEdit();
        printJobs_.openDialog(document_, this, 0, 0, windowTitle());
    });
    saveAction_ = bar->addAction(QStringLiteral("Zapisz jako PDF…"));
    saveAction_->setObjectName(QStringLiteral("btnZapiszPdf"));
    saveAction_->setShortcut(QKeySequence::Save);
    connect(saveAction_, &QAction::triggered, this, &FormWindow::saveAsPdf);
    bar->addSeparator();
    QAction* smaller = bar->addAction(QStringLiteral("Pomniejsz"));
    smaller->setObjectName(QStringLiteral("btnPomniejsz"));
    smaller->setShortcut(QKeySequence::ZoomOut);
    connect(smaller, &QAction::triggered, this, [this] { stepZoom(-1); });
    zoomBox_ = new QComboBox;
    zoomBox_->setObjectName(QStringLiteral("cbPowiekszenie"));
    for (double step : kZoomSteps) zoomBox_->addItem(QStringLiteral("%1%").arg(static_cast<int>(step * 100)));
    zoomBox_->addItem(QStringLiteral("Do szerokości okna"));
    zoomBox_->setToolTip(QStringLiteral("Powiększenie"));
    bar->addWidget(zoomBox_);
    connect(zoomBox_, &QComboBox::activated, this, &FormWindow::applyZoomChoice);
    QAction* larger = bar->addAction(QStringLiteral("Powiększ"));
    larger->setObjectName(QStringLiteral("btnPowieksz"));
    larger->setShortcut(QKeySequence::ZoomIn);
    connect(larger, &QAction::triggered, this, [this] { stepZoom(1); });
    bar->addSeparator();
    QAction* closeAction = bar->addAction(QStringLiteral("Zamknij"));
    closeAction->setObjectName(QStringLiteral("btnZamknij"));
    // Ctrl+W and Escape close the form's window, as a viewer's window closes (Escape inside a box
    // being typed into only ends the typing: the box's editor keeps that key).
    closeAction->setShortcuts({QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)});
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
}

void FormWindow::applyZoomChoice(int index) {
    fitWidth_ = index == kFitWidthItem;
    if (zoomBox_->currentIndex() != index) zoomBox_->setCurrentIndex(index);
    if (fitWidth_) {
        const double available = scrollArea_->width() - scrollArea_->verticalScrollBar()->sizeHint().width() - 40;
        const double pageWidth = kPageWidth / 254.0 * view_->logicalDpiX();
        view_->setZoom(std::max(0.25, available / pageWidth));
    } else {
        view_->setZoom(kZoomSteps[index]);
    }
}

void FormWindow::stepZoom(int direction) {
    const double current = view_->zoom();
    int index = direction > 0 ? 5 : 0;
    if (direction > 0) {
        for (int i = 0; i < 6; ++i)
            if (kZoomSteps[i] > current + 0.01) { index = i; break; }
    } else {
        for (int i = 5; i >= 0; --i)
            if (kZoomSteps[i] < current - 0.01) { index = i; break; }
    }
    applyZoomChoice(index);
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (fitWidth_ && zoomBox_) applyZoomChoice(kFitWidthItem);
}

QString FormWindow::defaultCaption() const {
    const QString taxpayer = document_.taxpayerName();
    return taxpayer.isEmpty() ? QStringLiteral("Formularz %1").arg(document_.layout().formName)
                              : QStringLiteral("Formularz %1 – %2").arg(document_.layout().formName, taxpayer);
}

void FormWindow::present(const Options& options) {
    options_ = options;
    askOnClose_ = true;
    setWindowTitle(options.caption.trimmed().isEmpty() ? defaultCaption() : options.caption);
    view_->setReadOnly(options.readOnly);
    saveAction_->setVisible(!options.hideSave);
    valuesAtShow_ = document_.values();
    refresh();
    if (options.readOnly)
        showStatus(QStringLiteral("Formularz tylko do odczytu."));
    else
        showStatus(QStringLiteral("Kliknij pole, aby je wypełnić; Tab przechodzi do następnego pola."));
    if (!isVisible()) show();
    bringToFront();
    // The page fits the window's width once the window has its size.
    QTimer::singleShot(0, this, [this] {
        if (fitWidth_) applyZoomChoice(kFitWidthItem);
    });
}

void FormWindow::bringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void FormWindow::showStatus(const QString& text) { statusBar()->showMessage(text); }

void FormWindow::refresh() {
    view_->update();
    fillFindings();
}

void FormWindow::fillFindings() {
    findingsList_->clear();
    for (const QString& line : document_.errorLines()) findingsList_->addItem(line);
    const int count = findingsList_->count();
    findingsPanel_->setVisible(count > 0);
    findingsLabel_->setText(QStringLiteral("Błędy w formularzu (%1) – kliknij, aby pokazać pole:").arg(count));
    view_->update();
}

void FormWindow::saveAsPdf() {
    view_->commitEdit();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QString name = FileNamePart(QString(document_.layout().formName).replace(u'/', u'-'));
    const QString taxpayer = FileNamePart(document_.taxpayerName());
    if (!taxpayer.isEmpty()) name += u'_' + taxpayer;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz formularz jako PDF"),
                                                      QDir(folder).filePath(name + QStringLiteral(".pdf")),
                                                      QStringLiteral("Dokumenty PDF (*.pdf)"));
    if (path.isEmpty()) return;
    const QString target = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".pdf");
    QString error;
    // With certificates in the database the form may be signed: the choice, then the PIN, before
    // anything is drawn.
    SignFormDialog signing(target, this);
    if (signing.hasCertificates()) {
        if (signing.exec() != QDialog::Accepted) return;
        if (!signing.chosenCertificate().isEmpty()) {
            const std::unique_ptr<SigningKey> key = signing.unlockChosenKey();
            if (!key) return;
            if (WriteSignedFormPdf(target, document_, *key, signing.visibleSignature(), &error))
                showStatus(QStringLiteral("Formularz podpisany certyfikatem „%1” zapisano w pliku %2.")
                               .arg(key->certificate().subject, QDir::toNativeSeparators(target)));
            else
                QMessageBox::warning(this, QStringLiteral("Błąd"), error);
            return;
        }
    }
    if (writeFormsPdf(target, {&document_}, &error))
        showStatus(QStringLiteral("Formularz zapisano w pliku %1.").arg(QDir::toNativeSeparators(target)));
    else
        QMessageBox::warning(this, QStringLiteral("Błąd"), error);
}

void FormWindow::closeWithoutQuestion() {
    askOnClose_ = false;
    close();
}

void FormWindow::closeEvent(QCloseEvent* event) {
    view_->commitEdit();
    if (askOnClose_ && options_.saveQuery && !(document_.values() == valuesAtShow_)) {
        const auto answer = QMessageBox::question(
            this, QStringLiteral("Pytanie"), QStringLiteral("Formularz został zmieniony. Czy zachować wprowadzone zmiany?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::No) document_.restoreValues(valuesAtShow_);
    }
    event->accept();
    emit closed();
}
