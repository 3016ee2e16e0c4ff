#include "edit/widgets/FormFields.h"

#include "edit/Voivodeships.h"
#include "edit/widgets/Cp1250Validator.h"

#include <QComboBox>
#include <QLineEdit>

QLineEdit* NewTextField(QWidget* parent, const char* name, int maxLength, bool upperCase) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setValidator(new Cp1250Validator(upperCase, edit));
    return edit;
}

QComboBox* NewVoivodeshipBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("eWoj"));
    box->setEditable(false);
    box->addItems(VoivodeshipNames());
    box->setMaxVisibleItems(16);
    box->setCurrentIndex(-1);
    return box;
}

QString ChosenVoivodeship(const QComboBox& box) {
    return box.currentIndex() >= 0 ? box.currentText() : QString();
}

QComboBox* NewTaxOfficeBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("eUS"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    box->lineEdit()->setMaxLength(100);
    box->lineEdit()->setValidator(new Cp1250Validator(false, box));
    // Said by a screen reader instead of whatever office the box holds now.
    box->setAccessibleName(QStringLiteral("Urząd skarbowy"));
    box->lineEdit()->setAccessibleName(QStringLiteral("Urząd skarbowy"));
    return box;
}
