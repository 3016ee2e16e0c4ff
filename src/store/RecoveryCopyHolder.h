#pragma once

#include "platform/ProcessIdentity.h"

#include <string>

// The Fiskon that keeps a recovery copy: its process and the boot of the machine it runs in, so
// that neither an id given again to another process nor one given again after a restart makes a
// Fiskon that is gone look alive. Written in the copy's head: a copy whose lock file was removed
// by hand still tells whether its Fiskon runs.
struct RecoveryCopyHolder {
    ProcessIdentity process;
    std::string boot;  // the kernel's boot id; empty when it cannot be read
    bool operator==(const RecoveryCopyHolder&) const = default;
};

// This process.
RecoveryCopyHolder ThisRecoveryCopyHolder();

// Whether that Fiskon still runs. False for a holder that names no process (a copy written
// without one).
bool RecoveryCopyHolderRunning(const RecoveryCopyHolder& holder);
