#include "forms/widgets/BatchProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

BatchProgress::BatchProgress(QWidget* dialog)
    : QWidget(dialog), lblPostep_(new QLabel(this)), btnPrzerwij_(new QPushButton(QStringLiteral("Przerwij"), this)) {
    setObjectName(QStringLiteral("pnlPostep"));
    lblPostep_->setObjectName(QStringLiteral("lblPostep"));
    btnPrzerwij_->setObjectName(QStringLiteral("btnPrzerwij"));
    btnPrzerwij_->setAutoDefault(false);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(lblPostep_, 1);
    line->addWidget(btnPrzerwij_);
    hide();
}

void BatchProgress::setRunning(bool running) {
    running_ = running;
    stopRequested_ = false;
    if (running) {
        for (QWidget* child : parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child == this || !child->isEnabled()) continue;
            child->setEnabled(false);
            locked_.append(child);
        }
    } else {
        for (const QPointer<QWidget>& child : std::as_const(locked_))
            if (child) child->setEnabled(true);
        locked_.clear();
    }
    lblPostep_->clear();
    setVisible(running);
}

void BatchProgress::showProgress(const QString& text) {
    lblPostep_->setText(text);
    lblPostep_->repaint();
}
