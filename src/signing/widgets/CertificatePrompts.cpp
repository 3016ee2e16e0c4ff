#include "signing/widgets/CertificatePrompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <utility>

DialogCertificatePrompts::DialogCertificatePrompts(QWidget* parent, QString secretTitle)
    : parent_(parent), secretTitle_(std::move(secretTitle)) {}

std::optional<QString> DialogCertificatePrompts::certificateFile() {
    const QString path = QFileDialog::getOpenFileName(parent_, QStringLiteral("Dodaj certyfikat z pliku"), QDir::homePath(),
                                                      QStringLiteral("Certyfikat z kluczem (*.p12 *.pfx);;Wszystkie pliki (*)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QByteArray> DialogCertificatePrompts::secret(const QString& text) {
    return AskSecretInDialog(parent_, secretTitle_, text);
}

void DialogCertificatePrompts::error(const QString& text) { QMessageBox::critical(parent_, QStringLiteral("Błąd"), text); }

void DialogCertificatePrompts::warning(const QString& text) {
    QMessageBox::warning(parent_, QStringLiteral("Informacja"), text);
}

std::optional<QByteArray> AskSecretInDialog(QWidget* parent, const QString& title, const QString& text) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("eSekret"));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(260);
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    const bool given = dialog.exec() == QDialog::Accepted;
    std::optional<QByteArray> secret;
    {
        // The edit's text shares its buffer with this copy: overwritten here, it is gone from
        // the edit as well; setting a new text drops the edit's undo history of the keys typed.
        QString typed = edit->text();
        if (given) secret = typed.toUtf8();
        // Text set from a literal is read-only memory, and nobody's typing: it is left alone.
        if (!typed.isEmpty() && typed.data_ptr().isMutable())
            std::memset(static_cast<void*>(const_cast<QChar*>(typed.constData())), 0,
                        static_cast<std::size_t>(typed.size()) * sizeof(QChar));
        edit->setText(QString());
    }
    return secret;
}
