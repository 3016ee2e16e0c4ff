#pragma once

#include "ui/UserInterface.h"

#include <QPointer>
#include <QWidget>

// The program's real user-interface service: Qt message boxes, file, colour and print dialogs, and the
// desktop's browser for help pages and addresses.
class QtUserInterface : public UserInterface {
public:
    // Dialogs are made modal to `parent` (normally the main window), or to the active window when
    // there is none.
    explicit QtUserInterface(QWidget* parent = nullptr);
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    void message(const QString& title, const QString& text, MessageIcon icon) override;
    bool ask(const QString& title, const QString& text, MessageIcon icon) override;
    bool askChoice(const QString& title, const QString& text, MessageIcon icon, const QString& yesText,
                   const QString& noText) override;
    int askChoices(const QString& title, const QString& text, MessageIcon icon, const QStringList& buttons) override;
    int askChoicesWithDetails(const QString& title, const QString& text, MessageIcon icon, const QStringList& buttons,
                              const QString& details) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& initialPath) override;
    std::optional<QByteArray> askSecret(const QString& title, const QString& text) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool choosePrinter(QPrinter& printer, const QString& title) override;
    void showHelp(const QString& topic) override;
    void openUrl(const QUrl& url) override;

private:
    QWidget* dialogParent() const;
    std::optional<QString> runFileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
};
