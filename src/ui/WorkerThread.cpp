#include "ui/WorkerThread.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <memory>

void RunOnWorkerThread(const std::function<void()>& work) {
    const std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // The loop's quit may have come before it runs: finished is queued to this thread, so it
    // cannot be missed.
    loop.exec();
    thread->wait();
}

void PostTo(QObject* receiver, std::function<void()> step) {
    QMetaObject::invokeMethod(receiver, std::move(step), Qt::QueuedConnection);
}
