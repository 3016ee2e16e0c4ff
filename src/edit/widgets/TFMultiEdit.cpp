#include "edit/widgets/TFMultiEdit.h"

#include "edit/widgets/FormFields.h"
#include "edit/widgets/MaskedText.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "edit/DateText.h"
#include "store/RegisterChangeRecording.h"
#include "store/Workspace.h"
#include "ui/MainView.h"

#include <QCollator>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

QStringList SortedTaxOffices(const QStringList& offices) {
    QCollator collator(QLocale(QLocale::Polish, QLocale::Poland));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList sorted = offices;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return sorted;
}

TFMultiEdit::TFMultiEdit(Workspace& workspace, MainView& mainView, TFCalendar& calendar, TFEdit& edit,
                         QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), calendar_(calendar), edit_(edit) {
    setObjectName(QStringLiteral("FMultiEdit"));
    setWindowTitle(QStringLiteral("Edycja wielu pól jednocześnie"));
    setModal(true);

    auto* group = new QGroupBox(QStringLiteral("Pola które zostaną uwspólnione dla zaznaczonych rekordów"), this);
    eUS_ = NewTaxOfficeBox(group);
    eUS_->setMinimumWidth(420);
    QLineEdit* eKraj = addText("eKraj", 50, true);
    eWoj_ = NewVoivodeshipBox(group);
    QLineEdit* ePowiat = addText("ePowiat", 50, true);
    QLineEdit* eGmina = addText("eGmina", 50, true);
    QLineEdit* eMiejscowosc = addText("eMiejscowosc", 50, true);
    QLineEdit* eKodPocztowy = addText("eKodPocztowy", 10, false);
    ApplyMask(*eKodPocztowy, masks::kPostalCode);
    eKodPocztowy->setMaximumWidth(90);
    QLineEdit* ePoczta = addText("ePoczta", 50, true);

    auto dateRow = [&](const char* name, const char* buttonName, void (TFMultiEdit::*handler)()) {
        QLineEdit* field = addText(name, 10, false);
        ApplyMask(*field, masks::kDate);
        field->setFixedWidth(110);
        auto* button = new QToolButton(group);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setText(QStringLiteral("<-"));
        button->setToolTip(QStringLiteral("Pokazuje okno do wyboru daty"));
        connect(button, &QToolButton::clicked, this, handler);
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        row->addWidget(button);
        row->addStretch();
        return row;
    };

    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Urząd Skarbowy do którego kierowana jest informacja"), eUS_);
    form->addRow(QStringLiteral("Kraj"), eKraj);
    form->addRow(QStringLiteral("Województwo"), eWoj_);
    form->addRow(QStringLiteral("Powiat"), ePowiat);
    form->addRow(QStringLiteral("Gmina"), eGmina);
    form->addRow(QStringLiteral("Miejscowość"), eMiejscowosc);
    form->addRow(QStringLiteral("Kod pocztowy"), eKodPocztowy);
    form->addRow(QStringLiteral("Poczta"), ePoczta);
    form->addRow(QStringLiteral("Od :"), dateRow("eOd", "btn1", &TFMultiEdit::btn1Click));
    form->addRow(QStringLiteral("Do :"), dateRow("eDo", "btn2", &TFMultiEdit::btn2Click));
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);

    auto* btnCancel = new QPushButton(QStringLiteral("Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    auto* btnOK = new QPushButton(QStringLiteral("Zatwierdź"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TFMultiEdit::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFMultiEdit::btnCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    // FormCreate: a copy of the edit form's office list, kept fresh by every confirmation there.
    setTaxOffices(edit_.taxOffices().entries());
    connect(&edit_, &TFEdit::taxOfficesChanged, this, &TFMultiEdit::setTaxOffices);
}

QLineEdit* TFMultiEdit::addText(const char* name, int maxLength, bool upperCase) {
    auto* edit = NewTextField(this, name, maxLength, upperCase);
    texts_[edit->objectName()] = edit;
    return edit;
}

void TFMultiEdit::setTaxOffices(const QStringList& offices) {
    const QString typed = eUS_->currentText();
    eUS_->clear();
    eUS_->addItems(SortedTaxOffices(offices));
    eUS_->setCurrentIndex(-1);
    eUS_->setEditText(typed);
}

QStringList TFMultiEdit::taxOffices() const {
    QStringList offices;
    offices.reserve(eUS_->count());
    for (int i = 0; i < eUS_->count(); ++i)
        offices.append(eUS_->itemText(i));
    return offices;
}

SharedTaxpayerFields TFMultiEdit::fields() const {
    const auto text = [this](const char* name) { return MaskedFieldText(*texts_.at(QString::fromLatin1(name))); };
    SharedTaxpayerFields f;
    f.us = eUS_->currentText();
    f.kraj = text("eKraj");
    f.wojewodztwo = ChosenVoivodeship(*eWoj_);
    f.powiat = text("ePowiat");
    f.gmina = text("eGmina");
    f.miejsc = text("eMiejscowosc");
    f.kodPoczt = text("eKodPocztowy");
    f.poczta = text("ePoczta");
    f.pit11_od = text("eOd");
    f.pit11_do = text("eDo");
    return f;
}

void TFMultiEdit::btnOKClick() {
    // Changed records are unsaved data: the close procedure must ask about them.
    const std::vector<int> rows = mainView_.selectedRows();
    RegisterChangeRecording recording(workspace_, QStringLiteral("Edycja danych wielu podatników"), rows);
    const int changed = ApplySharedFields(workspace_.taxpayers, rows, fields());
    recording.finish();
    if (changed > 0)
        workspace_.markTaxpayersChanged();
    edit_.replaceTaxOffices(taxOffices());
    accept();
}

void TFMultiEdit::btnCancelClick() {
    reject();
}

void TFMultiEdit::btn1Click() {
    QLineEdit& field = *texts_.at(QStringLiteral("eOd"));
    if (const std::optional<QDate> picked = calendar_.pick(QDate::currentDate())) field.setText(FormatFieldDate(*picked));
}

void TFMultiEdit::btn2Click() {
    QLineEdit& field = *texts_.at(QStringLiteral("eDo"));
    if (const std::optional<QDate> picked = calendar_.pick(QDate::currentDate())) field.setText(FormatFieldDate(*picked));
}
