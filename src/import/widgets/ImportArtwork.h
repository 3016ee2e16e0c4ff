#pragma once

#include <QIcon>
#include <QWidget>

// The picture strip on the left of the wizard's steps: a database drawn over a blue gradient and
// the number of the step.
class WizardPictureStrip : public QWidget {
public:
    WizardPictureStrip(int stepNumber, int stepCount, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int stepNumber_;
    int stepCount_;
};

// The padlock of the login button, drawn so that it needs no image file.
QIcon PadlockIcon();
