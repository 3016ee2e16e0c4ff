#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QPrinter;
class QWidget;

// Every message box, question, secret asked for, file dialog, colour dialog, print dialog, help request and shell request of the
// program goes through this interface. The program installs QtUserInterface; tests install a
// scripted fake that records each call and answers from a queue.

enum class MessageIcon { None, Information, Warning, Error, Question };

struct FileDialogRequest {
    QString title;          // empty: the platform's default title
    QString filter;         // in the program's "Description|*.ext|Other|*.*" form
    QString defaultSuffix;  // as the program states it, e.g. "*.txt" or "txt"
    QString initialPath;    // folder or file to start in; may be empty
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // An OK-only message box.
    virtual void message(const QString& title, const QString& text, MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const QString& title, const QString& text, MessageIcon icon) = 0;
    // A question of two answers whose buttons say what they do ("Odzyskaj" / "Odrzuć"); true for
    // the first. By default it is asked as a Yes/No question.
    virtual bool askChoice(const QString& title, const QString& text, MessageIcon icon, const QString& yesText,
                           const QString& noText) {
        (void)yesText;
        (void)noText;
        return ask(title, text, icon);
    }
    // A question of several answers, one button each, in this order (the first is the default, the
    // last the one Escape presses); the index of the chosen button, -1 when closed without one.
    virtual int askChoices(const QString& title, const QString& text, MessageIcon icon,
                           const QStringList& buttons) = 0;
    // The same with `details`, a longer text (a list) the box shows on request; by default they
    // follow the text.
    virtual int askChoicesWithDetails(const QString& title, const QString& text, MessageIcon icon,
                                      const QStringList& buttons, const QString& details) {
        return askChoices(title, text + QStringLiteral("\n\n") + details, icon, buttons);
    }
    // File dialogs; std::nullopt when the user cancels.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    // A folder dialog (`title`, starting in `initialPath`); std::nullopt when the user cancels.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& initialPath) = 0;
    // A secret (a card's PIN, a password) typed in a masked field under `text`, as UTF-8;
    // std::nullopt on Cancel. The caller overwrites the bytes once used; nothing keeps them.
    virtual std::optional<QByteArray> askSecret(const QString& title, const QString& text) = 0;
    // The colour dialog preset to `initial`; std::nullopt on cancel.
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    // The print dialog (Polish) over `printer`, titled `title`; true when the user confirms, the
    // printer then holding the choice (a printer, or a PDF file).
    virtual bool choosePrinter(QPrinter& printer, const QString& title) = 0;
    // Opens a help page: an empty topic is the contents page.
    virtual void showHelp(const QString& topic) = 0;
    // Asks the desktop to open an address (mailto:, file:, https:).
    virtual void openUrl(const QUrl& url) = 0;
};
