#pragma once

#include <QIcon>
#include <QWidget>

class QStyle;

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

// The icon of the help buttons: the desktop's help icon, else the style's question mark.
QIcon HelpIcon(const QStyle& style);

// The padlock of the login button, drawn so that it needs no image file.
QIcon PadlockIcon();
