#include "ui/QtUserInterface.h"

#include "ui/FileDialogFilter.h"
#include "ui/HelpLocation.h"
#include "ui/PolishDialogTexts.h"

#include "signing/widgets/CertificatePrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtUserInterface::QtUserInterface(QWidget* parent) : parent_(parent) {}

QWidget* QtUserInterface::dialogParent() const {
    if (QWidget* active = QApplication::activeModalWidget()) return active;
    if (parent_) return parent_;
    return QApplication::activeWindow();
}

void QtUserInterface::message(const QString& title, const QString& text, MessageIcon icon) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Ok, dialogParent());
    SetPolishButtonTexts(box);
    box.exec();
}

bool QtUserInterface::ask(const QString& title, const QString& text, MessageIcon icon) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    SetPolishButtonTexts(box);
    return box.exec() == QMessageBox::Yes;
}

bool QtUserInterface::askChoice(const QString& title, const QString& text, MessageIcon icon,
                                const QString& yesText, const QString& noText) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, dialogParent());
    QPushButton* yes = box.addButton(yesText, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(noText, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

int QtUserInterface::askChoices(const QString& title, const QString& text, MessageIcon icon,
                                const QStringList& buttons) {
    return askChoicesWithDetails(title, text, icon, buttons, QString());
}

int QtUserInterface::askChoicesWithDetails(const QString& title, const QString& text, MessageIcon icon,
                                           const QStringList& buttons, const QString& details) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, dialogParent());
    if (!details.isEmpty()) box.setDetailedText(details);
    std::vector<QPushButton*> added;
    for (const QString& caption : buttons) added.push_back(box.addButton(caption, QMessageBox::ActionRole));
    if (added.empty()) return -1;
    box.setDefaultButton(added.front());
    box.setEscapeButton(added.back());
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? -1 : static_cast<int>(chosen - added.begin());
}

std::optional<QString> QtUserInterface::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

std::optional<QString> QtUserInterface::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

std::optional<QString> QtUserInterface::chooseFolder(const QString& title, const QString& initialPath) {
    QFileDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!initialPath.isEmpty()) dialog.setDirectory(initialPath);
    SetPolishFileDialogTexts(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtUserInterface::runFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(dialogParent());
    if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
    dialog.setNameFilter(toQtFileFilter(request.filter));
    dialog.setDefaultSuffix(toQtDefaultSuffix(request.defaultSuffix));
    if (!request.initialPath.isEmpty()) {
        const QFileInfo initial(request.initialPath);
        if (initial.isDir()) {
            dialog.setDirectory(initial.absoluteFilePath());
        } else {
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);  // Qt asks before overwriting an existing file
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    SetPolishFileDialogTexts(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

std::optional<QByteArray> QtUserInterface::askSecret(const QString& title, const QString& text) {
    return AskSecretInDialog(dialogParent(), title, text);
}

std::optional<QColor> QtUserInterface::chooseColor(const QColor& initial) {
    // Solid colours only (no alpha channel); the custom-colour part is always open in Qt's dialog.
    QColorDialog dialog(initial, dialogParent());
    SetPolishButtonTexts(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

bool QtUserInterface::choosePrinter(QPrinter& printer, const QString& title) {
    // Qt's own print dialog, in Polish through Qt's translation; the buttons set here as well.
    QPrintDialog dialog(&printer, dialogParent());
    dialog.setWindowTitle(title);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize);
    SetPolishButtonTexts(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void QtUserInterface::showHelp(const QString& topic) {
    const QString folder = findHelpFolder(QStringLiteral(FISKON_DATA_DIR "/help"),
                                          QCoreApplication::applicationDirPath());
    if (folder.isEmpty()) {
        message(QStringLiteral("Błąd"),
                QStringLiteral("Nie znaleziono plików pomocy programu. Zainstaluj program ponownie."),
                MessageIcon::Error);
        return;
    }
    openUrl(helpTopicUrl(folder, topic));
}

void QtUserInterface::openUrl(const QUrl& url) {
    if (!QDesktopServices::openUrl(url)) {
        message(QStringLiteral("Błąd"),
                QStringLiteral("Nie udało się otworzyć adresu %1. Sprawdź, czy w systemie jest "
                               "program, który go obsługuje.")
                    .arg(url.toDisplayString()),
                MessageIcon::Error);
    }
}
