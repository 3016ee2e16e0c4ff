#pragma once

#include <QString>
#include <QStringList>

// The data files opened or saved last, newest first, at most five, kept in the settings file
// (section "MainSettings", keys "RecentFile1".."RecentFile5", each path percent-encoded UTF-8 so
// that any file name comes back exactly). Every call reads the file afresh, so two Fiskons share
// one list. Writing throws FileError; a file that cannot be read gives an empty list.
class RecentFiles {
public:
    static constexpr int kMaximum = 5;

    explicit RecentFiles(QString settingsFile) : settingsFile_(std::move(settingsFile)) {}

    QStringList files() const;
    // Puts the file at the top (absolute path; an earlier entry of the same file is dropped).
    void remember(const QString& fileName);
    // Takes the file off the list.
    void forget(const QString& fileName);

    // The menu text of the n-th entry (from 1): "&1 podatnicy-2006.txt", an ampersand of the
    // name doubled so that it shows.
    static QString menuText(int number, const QString& fileName);

private:
    void write(const QStringList& files);
    QString settingsFile_;
};
