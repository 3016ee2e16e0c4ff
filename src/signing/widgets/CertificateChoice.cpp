#include "signing/widgets/CertificateChoice.h"

#include "signing/CertificateDatabase.h"
#include "signing/CertificateTexts.h"
#include "signing/SigningError.h"
#include "signing/SigningKey.h"
#include "signing/widgets/CertificatePrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>

#include <utility>

CertificateChoice::CertificateChoice(CertificatePrompts& prompts, QWidget* parent)
    : QGroupBox(QStringLiteral("Podpisz &certyfikatem:"), parent), prompts_(prompts) {
    setObjectName(QStringLiteral("GroupBoxPodpis"));
    cbCertyfikat_ = new QComboBox(this);
    cbCertyfikat_->setObjectName(QStringLiteral("cbCertyfikat"));
    cbCertyfikat_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbCertyfikat_->setMinimumContentsLength(58);
    cbCertyfikat_->addItem(QStringLiteral("bez podpisu"), QString());
    // The whole description of the certificate chosen, where the box is too narrow for it.
    connect(cbCertyfikat_, &QComboBox::currentIndexChanged, this,
            [this] { cbCertyfikat_->setToolTip(cbCertyfikat_->currentText()); });
    btnDodajCertyfikat_ = new QPushButton(QStringLiteral("&Dodaj certyfikat z pliku…"), this);
    btnDodajCertyfikat_->setObjectName(QStringLiteral("btnDodajCertyfikat"));
    btnDodajCertyfikat_->setEnabled(false);
    cbWidoczny_ = new QCheckBox(QStringLiteral("podpis &widoczny na formularzu"), this);
    cbWidoczny_->setObjectName(QStringLiteral("cbWidoczny"));
    lblCertyfikaty_ = new QLabel(this);
    lblCertyfikaty_->setObjectName(QStringLiteral("lblCertyfikaty"));
    lblCertyfikaty_->setWordWrap(true);
    lblCertyfikaty_->hide();
    auto* layout = new QGridLayout(this);
    layout->addWidget(cbCertyfikat_, 0, 0, 1, 2);
    layout->addWidget(btnDodajCertyfikat_, 1, 0);
    layout->addWidget(cbWidoczny_, 1, 1);
    layout->addWidget(lblCertyfikaty_, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    connect(btnDodajCertyfikat_, &QPushButton::clicked, this, &CertificateChoice::addCertificateFile);
}

void CertificateChoice::listCertificates(const QString& wanted) {
    const QString choose = wanted.isEmpty() ? chosenCertificate() : wanted;
    while (cbCertyfikat_->count() > 1) cbCertyfikat_->removeItem(1);
    std::vector<SigningCertificate> certificates;
    try {
        OpenCertificateDatabase(ProgramCertificateDatabase());
        certificates = SigningCertificates();
        lblCertyfikaty_->clear();
    } catch (const SigningError& failure) {
        lblCertyfikaty_->setText(QStringLiteral("Nie można podpisywać plików: %1").arg(failure.message()));
    }
    lblCertyfikaty_->setVisible(!lblCertyfikaty_->text().isEmpty());
    btnDodajCertyfikat_->setEnabled(!OpenCertificateDatabaseFolder().isEmpty());
    listed_ = true;

    auto* model = qobject_cast<QStandardItemModel*>(cbCertyfikat_->model());
    int chosen = 0;
    for (const SigningCertificate& certificate : certificates) {
        cbCertyfikat_->addItem(CertificateChoiceText(certificate), certificate.nickname);
        const int row = cbCertyfikat_->count() - 1;
        cbCertyfikat_->setItemData(row, certificate.nickname, Qt::ToolTipRole);
        if (!certificate.usable()) {
            // Shown with its reason, and not to be chosen.
            if (model) model->item(row)->setEnabled(false);
            cbCertyfikat_->setItemData(row, certificate.unusable, Qt::ToolTipRole);
        } else if (certificate.nickname == choose) {
            chosen = row;
        }
    }
    cbCertyfikat_->setCurrentIndex(chosen);
}

int CertificateChoice::certificateCount() const { return cbCertyfikat_->count() - 1; }

QString CertificateChoice::chosenCertificate() const { return cbCertyfikat_->currentData().toString(); }

bool CertificateChoice::visibleSignature() const { return cbWidoczny_->isChecked(); }

std::unique_ptr<SigningKey> CertificateChoice::unlockChosenKey() {
    const QString nickname = chosenCertificate();
    if (nickname.isEmpty()) return nullptr;
    const SecretSource pin = [this](const SigningCertificate& certificate) {
        return prompts_.secret(CertificateSecretQuestion(certificate));
    };
    try {
        return std::make_unique<SigningKey>(nickname, pin);
    } catch (const SigningError& failure) {
        prompts_.error(failure.message());
        return nullptr;
    }
}

void CertificateChoice::addCertificateFile() {
    const std::optional<QString> path = prompts_.certificateFile();
    if (!path) return;
    std::optional<QByteArray> password =
        prompts_.secret(QStringLiteral("Hasło pliku certyfikatu „%1”:").arg(QFileInfo(*path).fileName()));
    if (!password) return;
    const SecretSource databasePassword = [this](const SigningCertificate&) {
        return prompts_.secret(QStringLiteral("Hasło bazy certyfikatów, do której trafi certyfikat:"));
    };
    try {
        // The password is cleared by the import, whatever it ends with.
        const QString nickname = AddPkcs12File(*path, std::exchange(*password, QByteArray()), databasePassword);
        listCertificates(nickname);
        if (const std::optional<SigningCertificate> added = FindSigningCertificate(nickname); added && !added->usable())
            prompts_.warning(QStringLiteral("Dodano certyfikat „%1”, ale nie można nim podpisywać: %2.")
                                 .arg(added->subject, added->unusable));
    } catch (const SigningError& failure) {
        prompts_.error(failure.message());
    }
}
