#pragma once

#include <QString>

// True when both names lead to one existing file: the same name, a symbolic link to it or another
// hard link of it (same device and inode). False when either does not exist.
bool IsSameFile(const QString& first, const QString& second);
