#include "edit/widgets/AmountBoxLook.h"

#include <QLineEdit>

void StyleAmountBox(QLineEdit& box, const AmountBoxRole& role) {
    box.setReadOnly(role.readOnly);
    box.setFocusPolicy(role.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    const char* color = nullptr;
    if (role.look == AmountBoxRole::Look::Computed)
        color = kComputedColor;
    else if (role.look == AmountBoxRole::Look::TaxDue)
        color = kTaxDueColor;
    if (color)
        box.setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; color: black; }").arg(QLatin1String(color)));
}
