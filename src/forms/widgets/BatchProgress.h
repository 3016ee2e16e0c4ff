#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

// The progress line of a batch run from a dialog ("pnlPostep": the text "lblPostep" and the button
// "btnPrzerwij"), shown while the batch runs. While it runs, the dialog's other controls are locked
// and "Przerwij" asks the batch to stop; the batch looks at stopRequested() between documents.
class BatchProgress : public QWidget {
public:
    explicit BatchProgress(QWidget* dialog);

    // Starts or ends a batch: shows or hides the line, locks or unlocks the dialog's other controls.
    void setRunning(bool running);
    bool running() const { return running_; }
    void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }
    // Says how far the batch is, at once (the batch runs on the dialog's thread).
    void showProgress(const QString& text);

    QPushButton* stopButton() const { return btnPrzerwij_; }

private:
    QLabel* lblPostep_;
    QPushButton* btnPrzerwij_;
    QList<QPointer<QWidget>> locked_;
    bool running_ = false;
    bool stopRequested_ = false;
};
