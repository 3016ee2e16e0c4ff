#pragma once

#include "app/AppWindows.h"
#include "store/FileStamp.h"
#include "store/Workspace.h"
#include "ui/UserInterface.h"

#include <QString>

#include <functional>

// The payer goes with the register: the payer file read or written while a data file is the
// register's is remembered for that data file (RegisterPayerFiles), and opening the data file
// again brings that payer back; a save of the register offers to save a changed payer as well.
class PayerFollowsRegister {
public:
    // `settingsFile` names the settings file in force; `note` shows a passing word on the status bar.
    PayerFollowsRegister(Workspace& workspace, AppWindows& windows, UserInterface& ui,
                         std::function<QString()> settingsFile, std::function<void(const QString&)> note);

    // Every change of the workspace: a payer file just read or written is remembered for the data
    // file.
    void workspaceChanged();
    // The register has just been read from its data file: the payer file used with it last is
    // loaded. Payer data not saved are first offered for saving when `askToSave` ("QuitQuery");
    // they stay when the user wanted them saved and they were not. A payer file that cannot be
    // read is said in one message, and the payer in force stays.
    void dataFileOpened(bool askToSave);
    // The register has just been saved to its data file: the payer in use is remembered for it, and
    // a changed payer is offered for saving too.
    void dataFileSaved();

private:
    void remember();

    Workspace& workspace_;
    AppWindows& windows_;
    UserInterface& ui_;
    std::function<QString()> settingsFile_;
    std::function<void(const QString&)> note_;
    // The payer file as last seen: a new name or stamp is a file just read or written.
    QString seenPayerFile_;
    FileStamp seenPayerStamp_;
};
