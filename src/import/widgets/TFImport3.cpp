#include "import/widgets/TFImport3.h"

#include "import/widgets/ImportWizard.h"
#include "import/widgets/TFImporting.h"
#include "store/Workspace.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFImport3::TFImport3(int& importStep, Workspace& workspace, TFImporting& importing,
                     QWidget* parent)
    : QDialog(parent), importStep_(importStep), workspace_(workspace), importing_(importing) {
    setObjectName(QStringLiteral("FImport3"));
    setWindowTitle(QStringLiteral("Opcje importu danych"));

    cbPodatnik_ = new QCheckBox(QStringLiteral("Dane pracowników"));
    cbPodatnik_->setObjectName(QStringLiteral("cbPodatnik"));
    cbPodatnik_->setChecked(true);
    cbPlatnik_ = new QCheckBox(QStringLiteral("Dane płatnika składek"));
    cbPlatnik_->setObjectName(QStringLiteral("cbPlatnik"));
    cbPlatnik_->setChecked(true);
    auto* choice = new QGroupBox(QStringLiteral("Wybór danych do importu"));
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(cbPodatnik_);
    choiceLayout->addWidget(cbPlatnik_);

    Button1_ = new QPushButton(QStringLiteral("Importuj"));
    Button1_->setObjectName(QStringLiteral("Button1"));
    Button1_->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Button1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    choice->setMinimumWidth(260);  // room for the caption in the title bar

    connect(Button1_, &QPushButton::clicked, this, &TFImport3::Button1Click);
}

void TFImport3::Button1Click() {
    importStep_ = importstep::kFinished;
    importing_.ImportPayer = cbPlatnik_->isChecked();
    if (importing_.ImportPayer)
        workspace_.payerSaved = false;
    importing_.ImportTaxpayers = cbPodatnik_->isChecked();
    if (importing_.ImportTaxpayers)
        workspace_.taxpayersSaved = false;
    importing_.StartImport();
    accept();
}

void TFImport3::done(int result) {
    if (importStep_ == importstep::kOptions)
        importStep_ = importstep::kFinished;
    QDialog::done(result);
}
