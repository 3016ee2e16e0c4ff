#pragma once

#include <QByteArray>

#include <utility>

// A secret (the SMTP password) held in memory only for the batch that needs it: never written to
// the settings or a log, and its bytes overwritten when it is replaced or destroyed.
class MailSecret {
public:
    MailSecret() = default;
    explicit MailSecret(QByteArray utf8) : bytes_(std::move(utf8)) { bytes_.detach(); }
    MailSecret(const MailSecret& other) : bytes_(other.bytes_) { bytes_.detach(); }
    MailSecret& operator=(const MailSecret& other) {
        if (this != &other) {
            wipe();
            bytes_ = other.bytes_;
            bytes_.detach();
        }
        return *this;
    }
    ~MailSecret() { wipe(); }

    const QByteArray& utf8() const { return bytes_; }
    bool isEmpty() const { return bytes_.isEmpty(); }
    void wipe() {
        if (!bytes_.isEmpty() && !bytes_.isDetached()) bytes_.detach();
        volatile char* p = bytes_.data();
        for (qsizetype i = 0; i < bytes_.size(); ++i) p[i] = 0;
        bytes_.clear();
    }

private:
    QByteArray bytes_;
};
