#pragma once

#include "store/RecoveryFolder.h"
#include "store/Workspace.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <memory>

// Keeps this Fiskon's recovery copy in step with its unsaved data. After a change it writes the
// whole register and payer, at most once per interval. The text is made on the thread that owns
// the data (the GUI thread) in slices of kSliceTaxpayers, each a few milliseconds, between which
// the event loop runs on; a change in the meantime (any change of the register, a sort too) starts
// it afresh. The bytes are then sealed, written and flushed to the disk on a worker thread, so
// typing never waits for the disk. Once every change is saved the copy is removed.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultIntervalMs = 2000;
    static constexpr int kSliceTaxpayers = 5000;

    RecoveryKeeper(Workspace& workspace, std::unique_ptr<OwnRecoveryCopy> copy,
                   int intervalMs = kDefaultIntervalMs, QObject* parent = nullptr);
    // Waits for a write under way and removes the copy: the program ends cleanly.
    ~RecoveryKeeper() override;

    // The data changed (or were saved): write the copy soon, or remove it when nothing is unsaved.
    void changed();
    // Writes at once what is waiting and waits until it is on the disk (for tests and benchmarks).
    void flush();

    const OwnRecoveryCopy& copy() const { return *copy_; }
    // A text is being made, a slice at a time.
    bool building() const { return building_ != nullptr; }
    int writesDone() const { return writesDone_; }

signals:
    // A copy is on the disk, whole: the data as they stood a moment ago are safe in it.
    void copyWritten();
    // A write failed (a Polish sentence); the earlier copy stays. Said once until a write succeeds.
    void writeFailed(const QString& message);

private:
    void writeNow();
    void buildSlice();
    void written(const QString& failure);
    bool everythingSaved() const { return workspace_.taxpayersSaved && workspace_.payerSaved; }

    Workspace& workspace_;
    std::unique_ptr<OwnRecoveryCopy> copy_;
    const int intervalMs_;
    QTimer timer_;
    QTimer sliceTimer_;
    std::unique_ptr<RecoveryCopyBuilder> building_;
    QThreadPool worker_;
    QElapsedTimer sinceLastWrite_;
    bool writing_ = false;
    bool pending_ = false;
    bool removeWhenWritten_ = false;
    bool failureReported_ = false;
    int writesDone_ = 0;
};
