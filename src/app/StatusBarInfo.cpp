#include "app/StatusBarInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

StatusBarInfo::StatusBarInfo(QStatusBar& bar) {
    count_ = new QLabel(&bar);
    count_->setObjectName(QStringLiteral("StatusCount"));
    payer_ = new QLabel(&bar);
    payer_->setObjectName(QStringLiteral("StatusPlatnik"));
    for (QLabel* label : {count_, payer_}) label->setContentsMargins(8, 0, 8, 0);
    bar.addPermanentWidget(count_);
    bar.addPermanentWidget(payer_);
    showCount(0, 0, false);
    showPayerFile(QString());
}

QString StatusBarInfo::countText(int shown, int total, bool filtered) {
    return filtered ? QStringLiteral("Podatników: %1 z %2").arg(shown).arg(total)
                    : QStringLiteral("Podatników: %1").arg(total);
}

QString StatusBarInfo::payerText(const QString& fileName) {
    return QStringLiteral("Płatnik: %1")
        .arg(fileName.isEmpty() ? QStringLiteral("brak") : QFileInfo(fileName).fileName());
}

void StatusBarInfo::showCount(int shown, int total, bool filtered) {
    count_->setText(countText(shown, total, filtered));
}

void StatusBarInfo::showPayerFile(const QString& fileName) {
    payer_->setText(payerText(fileName));
    payer_->setToolTip(QDir::toNativeSeparators(fileName));
}
