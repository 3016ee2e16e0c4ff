#include "edit/widgets/Cp1250Validator.h"

#include "store/Cp1250.h"

Cp1250Validator::Cp1250Validator(bool upperCase, QObject* parent)
    : QValidator(parent), upperCase_(upperCase) {}

QValidator::State Cp1250Validator::validate(QString& input, int& /*pos*/) const {
    for (const QChar ch : input) {
        if (!cp1250::canEncode(ch))
            return Invalid;
    }
    if (upperCase_) {
        // Letter by letter, so the text keeps its length ("ß" stays one character). A letter
        // whose capital the code page lacks ("µ", capital "Μ") stays as typed.
        for (QChar& ch : input) {
            const QChar upper = ch.toUpper();
            if (cp1250::canEncode(upper))
                ch = upper;
        }
    }
    return Acceptable;
}
