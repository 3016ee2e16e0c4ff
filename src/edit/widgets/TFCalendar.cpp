#include "edit/widgets/TFCalendar.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFCalendar::TFCalendar(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      picked_(QDate::currentDate()),
      Calendar_(new QCalendarWidget(this)),
      Button1_(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("FCalendar"));
    setWindowTitle(QStringLiteral("Wybierz"));
    setModal(true);
    Calendar_->setObjectName(QStringLiteral("Calendar"));
    Calendar_->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    Calendar_->setFirstDayOfWeek(Qt::Monday);
    Calendar_->setGridVisible(true);
    Button1_->setObjectName(QStringLiteral("Button1"));
    Button1_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Calendar_);
    layout->addLayout(buttons);

    connect(Button1_, &QPushButton::clicked, this, &TFCalendar::Button1Click);
    connect(Calendar_, &QCalendarWidget::activated, this, &TFCalendar::Button1Click);
}

std::optional<QDate> TFCalendar::pick(const QDate& start) {
    setPickedDate(start);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return picked_;
}

void TFCalendar::FormShow() {
    Calendar_->setSelectedDate(picked_);
    Calendar_->setCurrentPage(picked_.year(), picked_.month());
    Calendar_->setFocus();
}

void TFCalendar::Button1Click() {
    picked_ = Calendar_->selectedDate();
    accept();
}

void TFCalendar::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}
