#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class TFImporting;
struct Workspace;

// Step 3 of the import wizard: what to import. Starts the waiting window, which does the reading.
class TFImport3 : public QDialog {
    Q_OBJECT
public:
    TFImport3(int& importStep, Workspace& workspace, TFImporting& importing,
              QWidget* parent = nullptr);

    void Button1Click();
    void done(int result) override;

private:
    int& importStep_;
    Workspace& workspace_;
    TFImporting& importing_;
    QCheckBox* cbPodatnik_ = nullptr;
    QCheckBox* cbPlatnik_ = nullptr;
    QPushButton* Button1_ = nullptr;
};
