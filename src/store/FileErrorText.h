#pragma once

#include <QString>

// Polish wording of file failures, shared by the readers and writers of the program's files.
namespace file_error_text {

// "brak miejsca na dysku" and the like for an errno value; `fallback` (the platform's own text)
// when the value has no wording of its own.
QString reasonForErrno(int errorNumber, const QString& fallback);

// "Nie można odczytać pliku „name”: reason."
QString cannotRead(const QString& fileName, const QString& reason);
// "Nie można zapisać pliku „name”: reason."
QString cannotWrite(const QString& fileName, const QString& reason);

}  // namespace file_error_text
