#include "settings/MailPasswordStore.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>
#include <QUrl>


namespace {

const QString kService = QStringLiteral("Fiskon – serwer poczty");

// "smtp://anna%40biuro.pl@poczta.biuro.pl": the user percent-encoded, so no two servers and users
// share an entry.
QString entryKey(const QString& server, const QString& user) {
    return QStringLiteral("smtp://%1@%2").arg(QString::fromLatin1(QUrl::toPercentEncoding(user)), server);
}

// What a finished job left.
struct JobState {
    bool finished = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QByteArray data;
};

QString reasonText(QKeychain::Error error, const QString& detail) {
    switch (error) {
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return QStringLiteral("brak magazynu haseł pulpitu (%1)").arg(detail);
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return QStringLiteral("odmowa dostępu do magazynu haseł pulpitu");
    default:
        return QStringLiteral("magazyn haseł pulpitu jest niedostępny (%1)").arg(detail);
    }
}

// Starts `job` and waits at most `timeout` for it. The job deletes itself once finished, also
// after the caller stopped waiting: a job still running must not be deleted under its store's
// late answer, which then finds no one listening (the connection ends with `loop`).
MailPasswordStore::Result run(QKeychain::Job* job, std::chrono::milliseconds timeout, bool missingIsDone) {
    JobState state;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&state, &loop](QKeychain::Job* done) {
        state.finished = true;
        state.error = done->error();
        state.errorText = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done)) state.data = read->binaryData();
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!state.finished) loop.exec(QEventLoop::ExcludeUserInputEvents);

    MailPasswordStore::Result result;
    if (!state.finished) {
        result.reason = QStringLiteral("magazyn haseł pulpitu nie odpowiedział w ciągu %1 s")
                            .arg(std::chrono::duration_cast<std::chrono::seconds>(timeout).count());
        return result;
    }
    switch (state.error) {
    case QKeychain::NoError:
        result.answer = MailPasswordStore::Answer::Done;
        result.password = std::move(state.data);
        break;
    case QKeychain::EntryNotFound:
        result.answer = missingIsDone ? MailPasswordStore::Answer::Done : MailPasswordStore::Answer::NotFound;
        break;
    default:
        result.reason = reasonText(state.error, state.errorText);
        break;
    }
    state.data.fill('\0');
    return result;
}

}  // namespace

MailPasswordStore::Result MailPasswordStore::read(const QString& server, const QString& user) const {
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(entryKey(server, user));
    return run(job, timeout_, false);
}

MailPasswordStore::Result MailPasswordStore::write(const QString& server, const QString& user,
                                                   const QByteArray& password) const {
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(entryKey(server, user));
    job->setBinaryData(password);
    return run(job, timeout_, false);
}

MailPasswordStore::Result MailPasswordStore::forget(const QString& server, const QString& user) const {
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(entryKey(server, user));
    return run(job, timeout_, true);
}
