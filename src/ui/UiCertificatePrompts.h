#pragma once

#include "signing/widgets/CertificatePrompts.h"

class UserInterface;

// The certificate choice's questions and messages through the program's user-interface service,
// the secrets asked under `secretTitle`.
class UiCertificatePrompts : public CertificatePrompts {
public:
    UiCertificatePrompts(UserInterface& ui, QString secretTitle);
    std::optional<QString> certificateFile() override;
    std::optional<QByteArray> secret(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;

private:
    UserInterface& ui_;
    QString secretTitle_;
};
