#pragma once

#include <QString>

class QLabel;
class QStatusBar;

// The lasting part of the main window's status bar, at its right beside the hints of the controls
// under the mouse: how many taxpayers the table shows ("Podatników: 12", while a search is in
// force "Podatników: 3 z 12") and the payer file in use ("Płatnik: firma.txt", "Płatnik: brak"
// while the payer's data come from no file).
class StatusBarInfo {
public:
    explicit StatusBarInfo(QStatusBar& bar);

    void showCount(int shown, int total, bool filtered);
    void showPayerFile(const QString& fileName);

    static QString countText(int shown, int total, bool filtered);
    static QString payerText(const QString& fileName);

private:
    QLabel* count_ = nullptr;
    QLabel* payer_ = nullptr;
};
