#pragma once

#include "ui/MainView.h"
#include "ui/TableColors.h"
#include "ui/UserInterface.h"

#include <QDialog>

class ColorSwatch;
class QPushButton;

// "Właściwości Tabeli": the background and text colours of the main window's taxpayer table for
// the rest of the run. The swatches keep their colours between showings.
class TFWTabela : public QDialog {
    Q_OBJECT

public:
    TFWTabela(TableColors& table, MainView& mainView, UserInterface& ui, QWidget* parent = nullptr);

    QColor backgroundColor() const;
    QColor textColor() const;

private:
    void chooseSwatchColor(ColorSwatch* swatch);
    void btnApplyClick();
    void btnKoniecClick();
    void btnDefaultClick();

    TableColors& table_;
    MainView& mainView_;
    UserInterface& ui_;
    ColorSwatch* shape1_;
    ColorSwatch* shape2_;
    QPushButton* btnApply_;
    QPushButton* btnKoniec_;
    QPushButton* btnDefault_;
};
