#include "forms/widgets/FormEditions.h"

EditionSymbols& CurrentEditionSymbols() {
    static EditionSymbols symbols;
    return symbols;
}
