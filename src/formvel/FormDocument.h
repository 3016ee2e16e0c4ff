#pragma once

#include "forms/FormCalculation.h"
#include "forms/FormLayout.h"
#include "forms/FormTaxScale.h"
#include "forms/FormValidation.h"
#include "forms/FormValues.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// One filled form: its edition, the values of its boxes, the last field list received, the tax
// scale in force and the findings of its check. Texts that travel (field lists, error lists) are
// code page 1250 with CR LF line ends.
class FormDocument {
public:
    // Options of a field list.
    enum Option { AutoFormat = 1, Calculate = 2, ErrorLevel1 = 4 };

    // nullptr for a symbol other than "PIT118B_C", "PIT118B_14", "PIT40_13", "PIT40_14".
    static std::unique_ptr<FormDocument> create(const QByteArray& symbol);

    QByteArray symbol() const;
    const FormLayout& layout() const { return layout_; }

    // Takes a field list: it describes the whole form, so boxes it does not name are emptied.
    // AutoFormat shows amounts with two decimals and grouped thousands; Calculate (which implies
    // AutoFormat) computes the derived boxes; ErrorLevel 1 adds the arithmetic checks to the
    // findings. Boxes the form does not have are skipped. Returns false, changing nothing, when
    // the text is not a field list.
    bool setFields(const QByteArray& fieldListText, int options);
    // The form's field list: every box that has been given a value, in box-number order. With
    // `convert` amounts are in Fiskon's form ("48000,00", whole złoty "4670"), otherwise as shown.
    QByteArray fields(bool convert) const;
    // One line per finding, naming the box; empty when there is none.
    QByteArray errors() const;

    // Replaces the built-in tax scale (text in FormTaxScale's form, code page 1250); an empty text
    // brings the built-in one back. False, changing nothing, when the text is not a scale.
    bool setTaxScale(const QByteArray& text);
    bool hasOwnTaxScale() const { return scale_.has_value(); }

    // True when the values differ from the last field list received.
    bool changedSinceReceived() const;

    // A box's value as shown (empty when the box is empty or unknown).
    QString value(const QByteArray& key) const;
    // Sets one box as the user typed it: amounts are shown formatted, and when the last field list
    // asked for the calculation the derived boxes follow. Computed boxes and unknown keys refuse.
    bool setValue(const QByteArray& key, const QString& text);
    // True when the box takes typed values (a computed box of a calculated form does not).
    bool isEditable(const QByteArray& key) const;
    // Values as they stand now, and a way back to them (the form window's "keep changes?" answer).
    const FormValues& values() const { return values_; }
    void restoreValues(const FormValues& values);

    const std::vector<FormFinding>& findings() const { return findings_; }
    // Why the calculation the form asks for (Calculate or ErrorLevel 1) could not be done; it is
    // also among the findings. No value when it could.
    const std::optional<CalculationError>& calculationError() const { return calculationError_; }
    QStringList errorLines() const;
    bool boxHasError(int boxIndex) const;

    int pageCount() const { return layout_.pageCount; }
    // "NAZWISKO IMIĘ" of the taxpayer, for file names and window titles; may be empty.
    QString taxpayerName() const;
    // Bumped on every change of the values (views repaint on a change).
    int revision() const { return revision_; }

private:
    explicit FormDocument(const FormLayout& layout);
    void applyShowFormat(FormValues& values) const;
    void recalculate();
    void recheck();

    const FormLayout& layout_;
    FormValues values_;
    FormValues received_;
    std::optional<FormTaxScale> scale_;
    int options_ = AutoFormat | Calculate;
    std::vector<FormFinding> findings_;
    std::optional<CalculationError> calculationError_;
    std::vector<bool> errorBoxes_;
    int revision_ = 0;
};
