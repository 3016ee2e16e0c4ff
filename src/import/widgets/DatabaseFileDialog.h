#pragma once

#include <QString>

#include <optional>

class UserInterface;

// Asks for the Płatnik database file (*.mdb), starting at `currentPath`; nothing when cancelled.
std::optional<QString> ChooseDatabaseFile(UserInterface& ui, const QString& currentPath);
