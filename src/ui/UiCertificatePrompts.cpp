#include "ui/UiCertificatePrompts.h"

#include "ui/UserInterface.h"

#include <QDir>

#include <utility>

UiCertificatePrompts::UiCertificatePrompts(UserInterface& ui, QString secretTitle)
    : ui_(ui), secretTitle_(std::move(secretTitle)) {}

std::optional<QString> UiCertificatePrompts::certificateFile() {
    FileDialogRequest request;
    request.title = QStringLiteral("Dodaj certyfikat z pliku");
    request.filter = QStringLiteral("Certyfikat z kluczem (*.p12, *.pfx)|*.p12;*.pfx|Wszystkie pliki (*.*)|*.*");
    request.initialPath = QDir::homePath();
    return ui_.openFile(request);
}

std::optional<QByteArray> UiCertificatePrompts::secret(const QString& text) { return ui_.askSecret(secretTitle_, text); }

void UiCertificatePrompts::error(const QString& text) { ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Error); }

void UiCertificatePrompts::warning(const QString& text) {
    ui_.message(QStringLiteral("Informacja"), text, MessageIcon::Warning);
}
