#pragma once

#include <QString>

#include <functional>
#include <optional>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QWidget;

// The controls the delimited import and export dialogs share.

// "Nazwa pliku": the file name box "eFilename" and beside it the button "btnSelect" with the
// platform's open (or save) icon.
QGroupBox* NewFileNameGroup(QWidget* parent, bool save, QLineEdit** eFilename, QToolButton** btnSelect);

// The "Separator" group of the delimited import and export: "rb1" tab, "rb2" "|", "rb3" ";",
// "rb4" ",", "rb5" "inny" with its one character in "eChar" (only one code page 1250 has; never a
// line end). None is chosen at first.
class SeparatorChoice {
public:
    explicit SeparatorChoice(QWidget* parent);

    QGroupBox* group() const { return group_; }
    // The chosen separator as a code page 1250 byte. Nothing, with `report` told why ("Wybierz
    // rodzaj separatora danych", "Nie wpisano znaku separacji"), when none is chosen.
    std::optional<char> chosen(const std::function<void(const QString&)>& report) const;

private:
    QGroupBox* group_ = nullptr;
    QButtonGroup* buttons_ = nullptr;
    QLineEdit* eChar_ = nullptr;
};
