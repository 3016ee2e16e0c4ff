#pragma once

#include "store/FileStamp.h"

#include <QString>
#include <QStringList>

// Before a save replaces a file this Fiskon read or wrote: whether another program changed or
// deleted it since, and what to ask then. The windows only ask; the fiskon-cli could decide the same.

enum class ChangeSinceStamp { None, Changed, Deleted };

// Whether `target` is the file `stampedFile` (the same name, or another name of the same file),
// and what became of it since it was stamped. None also when nothing is stamped, or for another
// file.
ChangeSinceStamp ChangeBeforeSave(const QString& stampedFile, const FileStamp& stamp, const QString& target);

// Whether a save to `target` leaves the stamp of `stampedFile` telling the truth afterwards: the
// same file, unchanged until now, so that the bytes written are all it holds.
bool StampFollowsSave(const QString& stampedFile, const FileStamp& stamp, const QString& target);

// The question before such a save (title "Uwaga!", a warning) and its answers, in the order the
// buttons stand.
enum class ChangedFileAnswer { Replace, SaveElsewhere, Cancel };
inline const QString kChangedFileTitle = QStringLiteral("Uwaga!");
QString ChangedFileMessage(ChangeSinceStamp change, const QString& fileName);
// The first button says "Zastąp" for a changed file and "Zapisz" for a deleted one.
QStringList ChangedFileChoices(ChangeSinceStamp change);
// The answer of a button (its index in ChangedFileChoices), Cancel for a question closed without one.
ChangedFileAnswer ChangedFileAnswerAt(int index);
