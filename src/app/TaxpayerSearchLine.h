#pragma once

#include <QWidget>

class QLineEdit;

// The line above the main window's table where the user types what to find ("&Szukaj:"); Esc
// empties it. The finding itself is TaxpayerFilter's.
class TaxpayerSearchLine : public QWidget {
    Q_OBJECT

public:
    explicit TaxpayerSearchLine(QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }
    QString text() const;
    void clear();

signals:
    void textChanged(const QString& text);

private:
    QLineEdit* edit_ = nullptr;
};
