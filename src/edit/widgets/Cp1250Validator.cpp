#include "edit/widgets/Cp1250Validator.h"

#include "store/Cp1250.h"

Cp1250Validator::Cp1250Validator(bool upperCase, QObject* parent)
    : QValidator(parent), upperCase_(upperCase) {}

QValidator::State Cp1250Validator::validate(QString& input, int& /*pos*/) const {
    for (const QChar ch : input) {
        if (!cp1250::canEncode(ch))
            return Invalid;
    }
    if (upperCase_)
        input = cp1250::toCapitals(input);
    return Acceptable;
}
