#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QToolButton;
class MainView;
class SeparatorChoice;
class UserInterface;
struct Workspace;

// Import of taxpayers from a text file with values separated by a chosen character. The dialog
// keeps the file name and the separator between showings.
class TFImportSep : public QDialog {
    Q_OBJECT
public:
    TFImportSep(Workspace& workspace, MainView& mainView, UserInterface& ui,
                QWidget* parent = nullptr);
    ~TFImportSep() override;

    void btnSelectClick();
    void btnImportClick();

private:
    // The chosen separator as a code page 1250 byte; reports and gives nothing when none is chosen.
    std::optional<char> chosenSeparator();
    void report(const QString& text);

    Workspace& workspace_;
    MainView& mainView_;
    UserInterface& ui_;
    QLineEdit* eFilename_ = nullptr;
    QToolButton* btnSelect_ = nullptr;
    std::unique_ptr<SeparatorChoice> separators_;
    QPushButton* btnImport_ = nullptr;
    QPushButton* Button1_ = nullptr;
};
