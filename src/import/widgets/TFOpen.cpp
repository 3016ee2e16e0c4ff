#include "import/widgets/TFOpen.h"

#include "import/widgets/DatabaseFileDialog.h"
#include "import/widgets/RememberDbPath.h"
#include "import/widgets/TFDataAccess.h"
#include "import/widgets/TFImporting.h"
#include "store/Workspace.h"
#include "ui/UserInterface.h"
#include "ui/WindowOpening.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QCheckBox* checkBox(const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    return box;
}

}  // namespace

TFOpen::TFOpen(Workspace& workspace, TFDataAccess& dataAccess, TFImporting& importing,
               ProgramSettings& settings, UserInterface& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), dataAccess_(dataAccess), importing_(importing),
      settings_(settings), ui_(ui) {
    setObjectName(QStringLiteral("FOpen"));
    setWindowTitle(QStringLiteral("Importuj dane z bazy Programu Płatnika firmy PROKOM"));

    ePath_ = new QLineEdit;
    ePath_->setObjectName(QStringLiteral("ePath"));
    ePath_->setMinimumWidth(320);
    SpeedButton1_ = new QToolButton;
    SpeedButton1_->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ePass_ = new QLineEdit;
    ePass_->setObjectName(QStringLiteral("ePass"));
    ePass_->setEchoMode(QLineEdit::Password);
    cbPath_ = checkBox(QStringLiteral("cbPath"), QStringLiteral("&Pamiętaj"));
    cbHidePass_ = checkBox(QStringLiteral("cbHidePass"), QStringLiteral("Ukryj &hasło"));

    auto* pathLabel = new QLabel(QStringLiteral("Ścieżka dostępu"));
    pathLabel->setBuddy(ePath_);
    auto* passLabel = new QLabel(QStringLiteral("Hasło"));
    passLabel->setBuddy(ePass_);
    auto* database = new QGroupBox(QStringLiteral("Parametry Bazy"));
    auto* databaseLayout = new QGridLayout(database);
    databaseLayout->addWidget(pathLabel, 0, 0, 1, 3);
    databaseLayout->addWidget(ePath_, 1, 0, 1, 2);
    databaseLayout->addWidget(SpeedButton1_, 1, 2);
    databaseLayout->addWidget(cbPath_, 2, 0, 1, 3);
    databaseLayout->addWidget(passLabel, 3, 0, 1, 3);
    databaseLayout->addWidget(ePass_, 4, 0);
    databaseLayout->addWidget(cbHidePass_, 4, 1, 1, 2);
    databaseLayout->setColumnStretch(0, 1);

    cbPlatnik_ = checkBox(QStringLiteral("cbPlatnik"), QStringLiteral("Importuj dane Płatnika"));
    cbPodatnik_ =
        checkBox(QStringLiteral("cbPodatnik"), QStringLiteral("Importuj dane Podatników"));
    btnImport_ = new QPushButton(QStringLiteral("Importuj"));
    btnImport_->setObjectName(QStringLiteral("btnImport"));
    btnImport_->setDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("Anuluj"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    auto* options = new QGroupBox(QStringLiteral("Opcje importu danych"));
    auto* optionsLayout = new QGridLayout(options);
    optionsLayout->addWidget(cbPlatnik_, 0, 0);
    optionsLayout->addWidget(btnImport_, 0, 1);
    optionsLayout->addWidget(cbPodatnik_, 1, 0);
    optionsLayout->addWidget(btnCancel_, 1, 1);
    optionsLayout->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(database);
    layout->addWidget(options);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SpeedButton1_, &QToolButton::clicked, this, &TFOpen::SpeedButton1Click);
    connect(cbHidePass_, &QCheckBox::toggled, this, &TFOpen::cbHidePassClick);
    connect(btnImport_, &QPushButton::clicked, this, &TFOpen::btnImportClick);
    connect(btnCancel_, &QPushButton::clicked, this, &TFOpen::reject);
    FormShow();
}

void TFOpen::showEvent(QShowEvent* event) {
    if (IsWindowOpening(*event)) FormShow();
    QDialog::showEvent(event);
}

void TFOpen::FormShow() {
    ePath_->setText(dataAccess_.DbPath());
    ePass_->clear();
    cbHidePass_->setChecked(true);
    ePass_->setEchoMode(QLineEdit::Password);
    cbPath_->setChecked(false);
    cbPlatnik_->setChecked(true);
    cbPodatnik_->setChecked(true);
}

void TFOpen::cbHidePassClick() {
    ePass_->setEchoMode(cbHidePass_->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void TFOpen::SpeedButton1Click() {
    if (const auto chosen = ChooseDatabaseFile(ui_, ePath_->text()))
        ePath_->setText(*chosen);
}

void TFOpen::btnImportClick() {
    const QString path = ePath_->text();
    dataAccess_.SetDbPath(path);
    dataAccess_.SetDbPassword(ePass_->text());
    if (cbPath_->isChecked())
        RememberDbPath(settings_, path, ui_);
    if (!PlatnikConnection::FileExists(path)) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Wskazany plik nie istnieje"),
                    MessageIcon::Error);
        return;
    }
    if (!dataAccess_.TestLogin())
        return;  // the access layer has told the user why
    accept();
    ePass_->clear();
    importing_.ImportPayer = cbPlatnik_->isChecked();
    importing_.ImportTaxpayers = cbPodatnik_->isChecked();
    // Imported data are unsaved data: the close procedure must ask about them, as after the wizard.
    if (importing_.ImportPayer)
        workspace_.payerSaved = false;
    if (importing_.ImportTaxpayers)
        workspace_.taxpayersSaved = false;
    importing_.RunImport();
}
