#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The tax offices offered by the edit forms. Loaded once from "us.lst" (one office a line, in file
// order, empty lines included, never sorted), it grows by the offices the user confirms. The
// program only reads the file.
class TaxOfficeList {
public:
    static constexpr qint64 kMaxFileSize = 1024 * 1024;  // a list of offices is a few kilobytes

    struct LoadResult {
        QString path;   // the file read, empty when none was found
        QString error;  // a message for the user, empty when the file was read whole
    };

    // Reads the first existing file of `candidates`. A missing file leaves the list empty without
    // a message; an unreadable, binary or oversized file keeps the lines read before the fault
    // and reports it.
    LoadResult load(const QStringList& candidates);

    // Where the list is looked for: "us.lst" in the working directory, the installed data folder,
    // then, for a program run from its build tree, the source tree's resources folder.
    static QStringList defaultCandidates(const QString& applicationDir);

    // Decodes the file's bytes into lines. Code page 1250; a file that is certainly UTF-8 (see
    // IsCertainlyUtf8) is read as UTF-8 and characters code page 1250 lacks become "?".
    // Parsing stops at the first line holding a NUL byte; `binary` then tells so.
    static QStringList parse(const QByteArray& bytes, bool* binary = nullptr);

    // What an office is looked up by: lower case, letters without their marks ("Łódź" → "lodz").
    static QString searchKey(const QString& text);
    // True when `typed` stands anywhere in `office`, letter case and Polish marks aside ("gdyni",
    // "GDYNI" in "Urząd Skarbowy w Gdyni"; "lodz" in "Łódź"). Empty text stands in every office.
    static bool matches(const QString& office, const QString& typed);

    const QStringList& entries() const { return entries_; }
    bool contains(const QString& office) const;  // without regard to letter case
    // Appends a non-empty office that is not in the list yet; true when it was appended.
    bool addIfNew(const QString& office);
    void replace(const QStringList& entries) { entries_ = entries; }

private:
    QStringList entries_;
};
