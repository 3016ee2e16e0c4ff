#pragma once

#include <QDate>
#include <QDialog>

#include <optional>

class QCalendarWidget;
class QPushButton;

// The date picker "Wybierz": the caller sets a date, shows the dialog modally and reads the date
// back. "OK" takes the date chosen in the calendar; closing otherwise keeps the caller's date.
class TFCalendar : public QDialog {
    Q_OBJECT
public:
    explicit TFCalendar(QWidget* parent = nullptr);

    void setPickedDate(const QDate& date) { picked_ = date; }
    QDate pickedDate() const { return picked_; }
    // Sets the date and shows the dialog modally. The date chosen with "OK"; none when the dialog
    // was closed another way (Escape, the window closed), so that the caller keeps what its field
    // held rather than taking the start date as if it had been chosen.
    std::optional<QDate> pick(const QDate& start);

    void FormShow();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QDate picked_;
    QCalendarWidget* Calendar_;
    QPushButton* Button1_;
};
