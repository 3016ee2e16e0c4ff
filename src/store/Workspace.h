#pragma once

#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

// The data the program works on: the one register, the one payer and their saved flags. The main
// window owns it; every dialog is handed a reference.
struct Workspace {
    TaxpayerRegister taxpayers;
    PayerRecord payer;
    bool taxpayersSaved = true;
    bool payerSaved = true;
};
