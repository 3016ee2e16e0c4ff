#pragma once

#include <QGroupBox>

class QComboBox;
class QLineEdit;
class QPushButton;
class UserInterface;
struct MailServerChoice;
struct MailSettings;

// "Serwer poczty": the server ("eSerwer"), how it is reached ("cbSzyfrowanie": STARTTLS or TLS
// from the first byte), its port ("ePort", empty: the usual one), the user who logs in
// ("eUzytkownik"), the sender's address and name ("eNadawca", "eNazwaNadawcy") and the CA file of
// an office's own server ("eCaFile", empty: the system's certificates). "btnZapomnijHaslo"
// forgets the password the desktop keeps for the server and user.
class MailServerBox : public QGroupBox {
    Q_OBJECT
public:
    MailServerBox(UserInterface& ui, QWidget* parent);

    void setChoice(const MailServerChoice& choice);
    MailServerChoice choice() const;
    // The settings as libcurl's session takes them, without a password.
    void fill(MailSettings& settings) const;

    QPushButton* forgetButton() const { return btnZapomnijHaslo_; }

private:
    void btnCaFileClick();
    void showUsualPort();

    UserInterface& ui_;
    QLineEdit* eSerwer_;
    QComboBox* cbSzyfrowanie_;
    QLineEdit* ePort_;
    QLineEdit* eUzytkownik_;
    QLineEdit* eNadawca_;
    QLineEdit* eNazwaNadawcy_;
    QLineEdit* eCaFile_;
    QPushButton* btnZapomnijHaslo_;
};
