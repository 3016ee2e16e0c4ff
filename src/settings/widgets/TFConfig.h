#pragma once

#include "settings/DatabasePathHolder.h"
#include "settings/ProgramSettings.h"
#include "ui/UserInterface.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

// "Konfiguracja programu": keeps the settings in force for the run and the dialog that changes
// them. The settings file is read at start-up (main calls Wczytaj) and every time the dialog is
// shown.
class TFConfig : public QDialog {
    Q_OBJECT

public:
    TFConfig(DatabasePathHolder& dataAccess, UserInterface& ui, QWidget* parent = nullptr);

    const QString& SettingsFile() const { return settings_.fileName(); }

    // The flags in force.
    bool ShowInitialScreen() const { return showInitialScreen_; }
    bool AskBeforeDelete() const { return askBeforeDelete_; }
    bool QuitQuery() const { return quitQuery_; }

    // Loads the file: the path goes to the database-access module, the flags come into force.
    // A file that cannot be read is reported and leaves everything as it was.
    void Wczytaj();
    // Saves the whole section from the dialog's boxes and the current state.
    void Zapisz();
    // Single keys; a failure is reported and the values in memory are kept. SetParam returns
    // whether the file was written; GetParam gives the default when the file cannot be read.
    bool SetParam(const QString& key, const QString& value);
    QString GetParam(const QString& key, const QString& defaultValue);
    bool SetShowInitialScreenParam(bool show);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void cbStartScreenClick(bool checked);
    void cbDeleteClick(bool checked);
    void cbQuitQueryClick(bool checked);
    void btnSaveConfigClick();
    void reportWriteFailure(const std::exception& error);
    void reportReadFailure(const std::exception& error);

    DatabasePathHolder& dataAccess_;
    UserInterface& ui_;
    ProgramSettings settings_;
    bool showInitialScreen_ = true;
    bool askBeforeDelete_ = true;
    bool quitQuery_ = true;

    QCheckBox* cbStartScreen_;
    QCheckBox* cbDelete_;
    QCheckBox* cbQuitQuery_;
    QPushButton* btnSaveConfig_;
    QPushButton* button2_;
};
