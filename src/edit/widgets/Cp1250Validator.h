#pragma once

#include <QValidator>

// Keeps out of a text field every character that code page 1250 (the records' encoding) cannot
// hold: such a key press or paste is refused, so nothing turns into "?" unseen when stored.
// With `upperCase`, typed letters become capitals where the code page has them.
class Cp1250Validator : public QValidator {
    Q_OBJECT
public:
    explicit Cp1250Validator(bool upperCase, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

private:
    bool upperCase_;
};
