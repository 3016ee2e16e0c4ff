#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

// What the certificate choice asks the user and tells them, through the program's own dialogs:
// Fiskon answers through its user-interface service, the forms program through Qt's dialogs.
class CertificatePrompts {
public:
    virtual ~CertificatePrompts() = default;
    // A PKCS#12 file (.p12, .pfx) to add to the certificate database; nothing when the user gives up.
    virtual std::optional<QString> certificateFile() = 0;
    // A secret (a PIN, a password) typed in a masked field under `text`, as UTF-8; nothing on Cancel.
    // The caller overwrites the bytes once used.
    virtual std::optional<QByteArray> secret(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
};

// Prompts in Qt's dialogs over `parent`, the secrets asked under `secretTitle`.
class DialogCertificatePrompts : public CertificatePrompts {
public:
    DialogCertificatePrompts(QWidget* parent, QString secretTitle);
    std::optional<QString> certificateFile() override;
    std::optional<QByteArray> secret(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;

private:
    QWidget* parent_;
    QString secretTitle_;
};

// A masked question for a secret over `parent`: OK gives the typed text as UTF-8, Cancel nothing.
// The text typed is overwritten in the field before the dialog goes.
std::optional<QByteArray> AskSecretInDialog(QWidget* parent, const QString& title, const QString& text);
