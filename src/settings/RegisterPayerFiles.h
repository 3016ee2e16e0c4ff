#pragma once

#include <QString>

// For each data file, the payer file used with it last (read or written while that data file was
// the register's), so that opening the data file brings its payer back. Kept in the settings file,
// section "PayerFiles", keys "Data1"/"Payer1".."Data20"/"Payer20", newest first, each path
// percent-encoded UTF-8 as the list of recent files keeps them; the oldest entry goes when a new
// data file comes. Every call reads the file afresh. Writing throws FileError; a file that cannot
// be read remembers nothing.
class RegisterPayerFiles {
public:
    static constexpr int kMaximum = 20;

    explicit RegisterPayerFiles(QString settingsFile) : settingsFile_(std::move(settingsFile)) {}

    // The payer file remembered for the data file (absolute paths); empty when there is none.
    QString payerFileOf(const QString& dataFile) const;
    // Remembers the pair, the data file's earlier entry replaced.
    void remember(const QString& dataFile, const QString& payerFile);

private:
    QString settingsFile_;
};
