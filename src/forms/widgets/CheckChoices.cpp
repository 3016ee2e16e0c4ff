#include "forms/widgets/CheckChoices.h"

#include "edit/widgets/MaskedText.h"
#include "forms/widgets/FormsDialog.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include <unordered_set>

CheckChoices::CheckChoices(QWidget* parent, QBoxLayout& row) {
    choice = NewFormChoice(parent, "RadioGroup1");
    QGroupBox* yearGroup = NewFormYearGroup(parent, &cbRok);
    QGroupBox* filler = NewFillerGroup(parent, "Label1", "Label2", &eNazwisko, &eImie);
    rgSkreslenie = NewStrikeGroup(parent, &strike);
    rgSkreslenie->show();
    GroupBox2 = new QGroupBox(QStringLiteral("Rok podatkowy"), parent);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    eRok = NewYearEdit(GroupBox2);
    auto* yearRow = new QHBoxLayout(GroupBox2);
    yearRow->addWidget(eRok);
    yearRow->addStretch();
    GroupBox2->hide();
    row.addWidget(choice.frame);
    row.addWidget(yearGroup);
    row.addWidget(filler, 1);
    row.addWidget(rgSkreslenie);
    row.addWidget(GroupBox2);
}

void CheckChoices::followForm() {
    const bool pit40 = choice.kind() == FormKind::Pit40;
    rgSkreslenie->setVisible(!pit40);
    GroupBox2->setVisible(pit40);
}

void CheckChoices::takeOver(FormsDialog* vel) {
    if (!vel) return;
    if (eNazwisko->text().isEmpty()) eNazwisko->setText(vel->eNazwisko().text());
    if (eImie->text().isEmpty()) eImie->setText(vel->eImie().text());
    if (!MaskedFieldFilled(MaskedFieldText(*eRok))) eRok->setText(vel->eRok().text());
}

RegisterCheckRequest CheckChoices::request(const TaxpayerRegister& taxpayers,
                                           const std::vector<const TaxpayerRecord*>& chosen) const {
    RegisterCheckRequest request;
    request.choices.kind = choice.kind();
    request.choices.strikePit11 = StrikePit11(*strike);
    request.choices.fillerFirstName = FieldBytes(*eImie);
    request.choices.fillerSurname = FieldBytes(*eNazwisko);
    request.choices.taxYear = FieldBytes(*eRok);
    request.yearIndex = cbRok->currentIndex();
    const std::unordered_set<const TaxpayerRecord*> wanted(chosen.begin(), chosen.end());
    for (int index = 0; index < taxpayers.count(); ++index)
        if (wanted.empty() || wanted.count(&taxpayers.at(index))) request.indices.push_back(index);
    return request;
}

std::vector<const TaxpayerRecord*> SelectedTaxpayers(const TaxpayerRegister& taxpayers, const std::vector<int>& rows) {
    std::vector<const TaxpayerRecord*> chosen;
    for (int row : rows)
        if (row >= 0 && row < taxpayers.count()) chosen.push_back(&taxpayers.at(row));
    return chosen;
}
