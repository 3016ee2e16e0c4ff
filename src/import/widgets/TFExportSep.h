#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SeparatorChoice;
class UserInterface;
struct Workspace;

// Export of the register to a text file with the values separated by a chosen character, in the
// format the delimited import reads back. The dialog keeps the file name and the separator
// between showings.
class TFExportSep : public QDialog {
    Q_OBJECT
public:
    TFExportSep(Workspace& workspace, UserInterface& ui, QWidget* parent = nullptr);
    ~TFExportSep() override;

    void btnSelectClick();
    void btnExportClick();

private:
    void report(const QString& text);

    Workspace& workspace_;
    UserInterface& ui_;
    QString confirmed_;  // the file the save dialog last chose (it asked before replacing it)
    QLineEdit* eFilename_ = nullptr;
    QToolButton* btnSelect_ = nullptr;
    std::unique_ptr<SeparatorChoice> separators_;
    QLabel* lblNote_ = nullptr;
    QPushButton* btnExport_ = nullptr;
    QPushButton* Button1_ = nullptr;
};
