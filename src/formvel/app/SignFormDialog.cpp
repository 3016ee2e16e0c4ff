#include "formvel/app/SignFormDialog.h"

#include "signing/SigningKey.h"
#include "signing/widgets/CertificateChoice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The choice of the last dialog in this run of the program; empty: "bez podpisu".
QString& SessionChoice() {
    static QString nickname;
    return nickname;
}

}  // namespace

SignFormDialog::SignFormDialog(const QString& path, QWidget* parent)
    : QDialog(parent), prompts_(this, QStringLiteral("Podpis formularza PDF")) {
    setObjectName(QStringLiteral("FSignForm"));
    setWindowTitle(QStringLiteral("Podpisz zapisywany formularz"));
    auto* file = new QLabel(QStringLiteral("Plik: %1").arg(QDir::toNativeSeparators(path)), this);
    file->setObjectName(QStringLiteral("lblPlik"));
    file->setWordWrap(true);
    choice_ = new CertificateChoice(prompts_, this);
    choice_->listCertificates(SessionChoice());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* save = buttons->button(QDialogButtonBox::Ok);
    save->setObjectName(QStringLiteral("btnZapisz"));
    save->setText(QStringLiteral("&Zapisz"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(choice_);
    layout->addWidget(buttons);
    // Wide enough for the longest description of a certificate, within the screen.
    const auto* box = choice_->findChild<QComboBox*>(QStringLiteral("cbCertyfikat"));
    int widest = 0;
    for (int row = 0; row < box->count(); ++row)
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(row)));
    const int room = screen() ? screen()->availableGeometry().width() * 9 / 10 : 1000;
    resize(std::min(room, std::max(sizeHint().width(), widest + 120)), sizeHint().height());
}

SignFormDialog::~SignFormDialog() = default;

bool SignFormDialog::hasCertificates() const { return choice_->certificateCount() > 0; }

QString SignFormDialog::chosenCertificate() const { return choice_->chosenCertificate(); }

bool SignFormDialog::visibleSignature() const { return choice_->visibleSignature(); }

std::unique_ptr<SigningKey> SignFormDialog::unlockChosenKey() { return choice_->unlockChosenKey(); }

void SignFormDialog::accept() {
    SessionChoice() = chosenCertificate();
    QDialog::accept();
}
