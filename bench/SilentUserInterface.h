#pragma once

#include "ui/UserInterface.h"

// The user-interface service of the benchmarks of windows: it never asks the user anything.
class SilentUserInterface : public UserInterface {
public:
    void message(const QString&, const QString&, MessageIcon) override {}
    bool ask(const QString&, const QString&, MessageIcon) override { return false; }
    int askChoices(const QString&, const QString&, MessageIcon, const QStringList&) override { return -1; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QByteArray> askSecret(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
    bool choosePrinter(QPrinter&, const QString&) override { return false; }
    void showHelp(const QString&) override {}
    void openUrl(const QUrl&) override {}
};
