#include "import/widgets/TFImportSep.h"

#include "import/DelimitedImport.h"
#include "import/widgets/DelimitedFileControls.h"
#include "store/FileErrors.h"
#include "store/RegisterChangeRecording.h"
#include "store/Workspace.h"
#include "ui/ErrorMessage.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFImportSep::TFImportSep(Workspace& workspace, MainView& mainView, UserInterface& ui,
                         QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), ui_(ui) {
    setObjectName(QStringLiteral("FImportSep"));
    setWindowTitle(QStringLiteral("Import danych rozseparowanych znakiem"));

    QGroupBox* fileGroup = NewFileNameGroup(this, false, &eFilename_, &btnSelect_);
    separators_ = std::make_unique<SeparatorChoice>(this);

    btnImport_ = new QPushButton(QStringLiteral("Importuj"));
    btnImport_->setObjectName(QStringLiteral("btnImport"));
    btnImport_->setDefault(true);
    Button1_ = new QPushButton(QStringLiteral("Anuluj"));
    Button1_->setObjectName(QStringLiteral("Button1"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(btnImport_);
    buttonRow->addWidget(Button1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileGroup);
    layout->addWidget(separators_->group());
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSelect_, &QToolButton::clicked, this, &TFImportSep::btnSelectClick);
    connect(btnImport_, &QPushButton::clicked, this, &TFImportSep::btnImportClick);
    connect(Button1_, &QPushButton::clicked, this, &TFImportSep::reject);
}

TFImportSep::~TFImportSep() = default;

void TFImportSep::btnSelectClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Wskaż plik do otwarcia");
    request.filter = QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("*.txt");
    request.initialPath = eFilename_->text();
    if (const auto chosen = ui_.openFile(request))
        eFilename_->setText(*chosen);
}

std::optional<char> TFImportSep::chosenSeparator() {
    return separators_->chosen([this](const QString& text) { report(text); });
}

void TFImportSep::btnImportClick() {
    const std::optional<char> separator = chosenSeparator();
    if (!separator)
        return;
    const QString fileName = eFilename_->text();
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.exists() || file.isDir()) {
        report(QStringLiteral("Plik o podanej nazwie nie istnieje!"));
        return;
    }

    const int countBefore = workspace_.taxpayers.count();
    bool imported = false;
    // What the import adds (also the lines read before a failure) is one step the user can undo.
    RegisterChangeRecording recording(workspace_, QStringLiteral("Import rozseparowanych danych tekstowych"),
                                      RegisterChangeRecording::EveryRecord{});
    try {
        imported = ImportDelimited(workspace_.taxpayers, fileName, *separator);
        recording.finish();
    } catch (const std::exception& error) {
        recording.finish();
        // The lines read before the failure stay in the register: show them and keep the dialog
        // open so that the user can mend the file and try again.
        if (workspace_.taxpayers.count() != countBefore) {
            workspace_.markTaxpayersChanged();
            mainView_.RefreshView(ViewMode::vmTabela);
        }
        ShowErrorMessage(ui_, error);
        return;
    }
    if (imported)
        workspace_.markTaxpayersChanged();  // so that the close procedure asks about them
    if (!workspace_.taxpayers.empty())
        mainView_.RefreshView(ViewMode::vmTabela);
    accept();
    if (!imported)
        report(kNothingImportedMessage);
}

void TFImportSep::report(const QString& text) {
    ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Warning);
}
