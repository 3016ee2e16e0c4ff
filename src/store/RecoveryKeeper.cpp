#include "store/RecoveryKeeper.h"

#include "store/FileErrors.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <string>

RecoveryKeeper::RecoveryKeeper(Workspace& workspace, std::unique_ptr<OwnRecoveryCopy> copy, int intervalMs,
                               QObject* parent)
    : QObject(parent), workspace_(workspace), copy_(std::move(copy)), intervalMs_(intervalMs) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::writeNow);
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
}

RecoveryKeeper::~RecoveryKeeper() {
    timer_.stop();
    worker_.waitForDone();
    copy_->remove();
}

void RecoveryKeeper::changed() {
    if (everythingSaved()) {
        timer_.stop();
        pending_ = false;
        if (writing_)
            removeWhenWritten_ = true;
        else
            copy_->remove();
        return;
    }
    removeWhenWritten_ = false;
    pending_ = true;
    if (writing_ || timer_.isActive()) return;
    const qint64 waited = sinceLastWrite_.isValid() ? sinceLastWrite_.elapsed() : intervalMs_;
    timer_.start(static_cast<int>(std::max<qint64>(0, intervalMs_ - waited)));
}

void RecoveryKeeper::writeNow() {
    if (!pending_ || writing_) return;
    pending_ = false;
    if (everythingSaved()) {
        copy_->remove();
        return;
    }
    // The text is made here, where the data live; only the bytes go to the worker.
    auto text = std::make_shared<std::string>(RecoveryCopyText(workspace_, QDateTime::currentDateTime()));
    writing_ = true;
    sinceLastWrite_.start();
    const OwnRecoveryCopy* copy = copy_.get();
    worker_.start([this, copy, text] {
        QString failure;
        try {
            copy->write(*text);
        } catch (const FileError& error) {
            failure = error.message();
        }
        QMetaObject::invokeMethod(this, [this, failure] { written(failure); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::written(const QString& failure) {
    writing_ = false;
    if (failure.isEmpty()) {
        ++writesDone_;
        failureReported_ = false;
    } else if (!failureReported_) {
        failureReported_ = true;
        emit writeFailed(failure);
    }
    if (removeWhenWritten_) {
        removeWhenWritten_ = false;
        copy_->remove();
    }
    if (pending_) {
        pending_ = false;
        changed();
    }
}

void RecoveryKeeper::flush() {
    worker_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
    if (pending_) {
        timer_.stop();
        writeNow();
        worker_.waitForDone();
        QCoreApplication::sendPostedEvents(this);
    }
}
