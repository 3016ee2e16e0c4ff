#include "forms/widgets/FormChoiceControls.h"

#include "edit/widgets/FormFields.h"
#include "edit/widgets/MaskedText.h"
#include "store/Cp1250.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// How long the names of the person filling in may be (as a taxpayer's names).
constexpr int kFillerNameLength = 50;

QString name(const char* text) { return QString::fromLatin1(text); }

}  // namespace

FormKind FormChoice::kind() const {
    if (rbPIT40->isChecked()) return FormKind::Pit40;
    if (rbPIT11->isChecked()) return FormKind::Pit11;
    return FormKind::None;
}

FormChoice NewFormChoice(QWidget* parent, const char* frameName) {
    FormChoice choice;
    choice.frame = new QGroupBox(QStringLiteral("Wybierz formularz"), parent);
    choice.frame->setObjectName(name(frameName));
    choice.rbPIT11 = new QRadioButton(QStringLiteral("PIT-11/8B"), choice.frame);
    choice.rbPIT11->setObjectName(QStringLiteral("rbPIT11"));
    choice.rbPIT11->setChecked(true);
    choice.rbPIT40 = new QRadioButton(QStringLiteral("PIT-40"), choice.frame);
    choice.rbPIT40->setObjectName(QStringLiteral("rbPIT40"));
    auto* layout = new QVBoxLayout(choice.frame);
    layout->addWidget(choice.rbPIT11);
    layout->addWidget(choice.rbPIT40);
    return choice;
}

QGroupBox* NewFormYearGroup(QWidget* parent, QComboBox** cbRok) {
    auto* group = new QGroupBox(QStringLiteral("W formularzu za rok "), parent);
    group->setObjectName(QStringLiteral("GroupBox3"));
    auto* box = new QComboBox(group);
    box->setObjectName(QStringLiteral("cbRok"));
    box->setEditable(false);
    for (const char* year : kFormYears) box->addItem(QString::fromLatin1(year));
    box->setCurrentIndex(kDefaultFormYearIndex);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(box);
    layout->addStretch();
    *cbRok = box;
    return group;
}

QGroupBox* NewFillerGroup(QWidget* parent, const char* surnameLabel, const char* firstNameLabel,
                          QLineEdit** eNazwisko, QLineEdit** eImie) {
    auto* group = new QGroupBox(QStringLiteral("Dane osoby wypełniającej formularz"), parent);
    group->setObjectName(QStringLiteral("GroupBox1"));
    *eNazwisko = NewTextField(group, "eNazwisko", kFillerNameLength, true);
    *eImie = NewTextField(group, "eImie", kFillerNameLength, true);
    auto* layout = new QFormLayout(group);
    auto addRow = [&](const char* labelName, const QString& caption, QLineEdit* field) {
        auto* label = new QLabel(caption, group);
        label->setObjectName(name(labelName));
        label->setBuddy(field);
        layout->addRow(label, field);
    };
    addRow(surnameLabel, QStringLiteral("&Nazwisko"), *eNazwisko);
    addRow(firstNameLabel, QStringLiteral("&Imię"), *eImie);
    return group;
}

QGroupBox* NewStrikeGroup(QWidget* parent, QButtonGroup** items) {
    auto* group = new QGroupBox(QStringLiteral("Wybierz który skreślić na formularzu"), parent);
    group->setObjectName(QStringLiteral("rgSkreslenie"));
    auto* buttons = new QButtonGroup(group);
    auto* layout = new QGridLayout(group);
    const char* captions[] = {"PIT-11", "PIT-8B"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(captions[i]), group);
        button->setObjectName(QStringLiteral("rgSkreslenie_%1").arg(i));
        buttons->addButton(button, i);
        layout->addWidget(button, 0, i);  // two columns
    }
    buttons->button(0)->setChecked(true);
    group->hide();
    *items = buttons;
    return group;
}

bool StrikePit11(const QButtonGroup& items) {
    return items.checkedId() == 0;
}

QLineEdit* NewYearEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("eRok"));
    ApplyMask(*edit, QStringLiteral("0000"));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    return edit;
}

QLineEdit* NewDateEdit(QWidget* parent, const char* objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name(objectName));
    ApplyMask(*edit, masks::kDate);
    edit->setFixedWidth(110);
    return edit;
}

QToolButton* NewPickerButton(QWidget* parent, const char* objectName) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name(objectName));
    button->setText(QStringLiteral("<-"));
    button->setToolTip(QStringLiteral("Pokazuje okno do wyboru daty"));
    return button;
}

QPlainTextEdit* NewFieldListMemo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->hide();
    return memo;
}

void SetMemoLines(QPlainTextEdit& memo, const QByteArrayList& lines) {
    QStringList text;
    text.reserve(lines.size());
    for (const QByteArray& line : lines) text.push_back(cp1250::toUnicode(std::string_view(line.data(), line.size())));
    memo.setPlainText(text.join(u'\n'));
}

QByteArray FieldBytes(const QLineEdit& edit) {
    return QByteArray::fromStdString(cp1250::fromUnicode(MaskedFieldText(edit)));
}

void CentreOnScreen(QWidget& dialog) {
    dialog.adjustSize();
    if (const QScreen* screen = dialog.screen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
}
