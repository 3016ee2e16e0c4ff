#pragma once

#include <QDialog>

class LinkLabel;
class QLabel;
class QPushButton;
class UserInterface;

// "O programie": the program's name and version and the maker's technical support contact.
class TFAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFAbout(UserInterface& ui, QWidget* parent = nullptr);

    // Asks the desktop to start a message to the support address.
    void lEmailClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    UserInterface& ui_;
    QLabel* lWersja_;
    LinkLabel* lEmail_;
    QPushButton* button1_;
};
