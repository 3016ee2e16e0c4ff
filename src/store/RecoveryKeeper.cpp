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
    sliceTimer_.setSingleShot(true);
    connect(&sliceTimer_, &QTimer::timeout, this, &RecoveryKeeper::buildSlice);
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
}

RecoveryKeeper::~RecoveryKeeper() {
    timer_.stop();
    sliceTimer_.stop();
    worker_.waitForDone();
    copy_->remove();
}

void RecoveryKeeper::changed() {
    // A text half made is of data that are no longer so.
    if (building_) {
        building_.reset();
        sliceTimer_.stop();
    }
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
    if (!pending_ || writing_ || building_) return;
    pending_ = false;
    if (everythingSaved()) {
        copy_->remove();
        return;
    }
    // The text is made here, where the data live, a slice at a time; only the bytes go to the worker.
    building_ = std::make_unique<RecoveryCopyBuilder>(workspace_, QDateTime::currentDateTime());
    buildSlice();
}

void RecoveryKeeper::buildSlice() {
    if (!building_) return;
    if (!building_->step(kSliceTaxpayers)) {
        sliceTimer_.start(0);
        return;
    }
    const bool abandoned = building_->abandoned();
    const int taxpayerCount = building_->taxpayerCount();
    auto text = std::make_shared<std::string>(building_->take());
    building_.reset();
    if (abandoned) {
        changed();
        return;
    }
    writing_ = true;
    sinceLastWrite_.start();
    const OwnRecoveryCopy* copy = copy_.get();
    worker_.start([this, copy, text, taxpayerCount] {
        QString failure;
        try {
            SealRecoveryCopy(*text, taxpayerCount);
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
        emit copyWritten();
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
    // Until nothing waits: a text given up half made (the data moved on) is made again.
    for (;;) {
        worker_.waitForDone();
        QCoreApplication::sendPostedEvents(this);
        if (building_) {
            sliceTimer_.stop();
            while (building_) buildSlice();
        } else if (pending_ && !writing_) {
            timer_.stop();
            writeNow();
        } else if (!writing_) {
            return;
        }
    }
}
