#pragma once

#include <QDialog>

class LinkLabel;
class QCheckBox;
class QLabel;
class QToolButton;
class TFMain;

// "Na początku": the start screen. It greets the user and offers the three usual first actions
// (import from the Płatnik database, open a saved data file, enter taxpayers by hand). The main
// window shows it once after start-up when the setting "ShowInitialScreen" is on.
class TFStart : public QDialog {
    Q_OBJECT

public:
    explicit TFStart(TFMain& main, QWidget* parent = nullptr);

    // The actions of the screen's controls.
    void SpeedButton1Click();  // the import wizard; the start screen closes whatever its outcome
    void SpeedButton2Click();  // open a data file; the screen closes once there are taxpayers
    void SpeedButton4Click();  // a new taxpayer by hand; likewise
    void Label3Click();        // "tutaj": the About box
    void CheckBox1Click(bool checked);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createActionsGroup();
    QToolButton* actionButton(const char* name, const QIcon& icon, const QString& hint);
    void closeWhenThereAreTaxpayers();

    TFMain& main_;
    QCheckBox* checkBox1_;
};
