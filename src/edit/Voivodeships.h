#pragma once

#include <QStringList>

// The sixteen voivodeships, upper case, in the order the lists show them (not sorted).
const QStringList& VoivodeshipNames();

// Position of a voivodeship in the list, compared without regard to letter case; -1 when absent.
int VoivodeshipIndex(const QString& name);
