#include "cli/Commands.h"

#include <array>

std::span<const CliCommand> CliCommands() {
    static const std::array commands = {
        CliCommand{"convert", "WEJŚCIE WYJŚCIE [--sort nazwisko|imie|pesel]",
                   "Otwiera plik danych podatników i zapisuje go ponownie (jak Otwórz i Zapisz jako).",
                   &RunConvertCommand},
    };
    return commands;
}
