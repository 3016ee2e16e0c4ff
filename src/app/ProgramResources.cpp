#include "app/ProgramResources.h"

#include <QtGlobal>

static void initProgramResources() { Q_INIT_RESOURCE(fiskon); }

void ensureProgramResources() {
    static const bool done = (initProgramResources(), true);
    (void)done;
}
