#pragma once

#include "store/ChangeRevision.h"
#include "store/FileStamp.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerRegister.h"

#include <QString>

#include <functional>
#include <vector>

// The data the program works on: the one register, the one payer and their saved flags. The main
// window owns it; every dialog is handed a reference.
//
// Whoever changes the data (a confirmed edit, an import, a deletion, a save) says so through the
// mark... calls, so that the recovery copy follows every change; `changed` is called after each.
// Each of them also gives `revision` a new number, and markTaxpayersChanged the register too (its
// records may have been changed in place), so a copy made in slices can tell that the data moved
// on under it.
class ChangeHistory;

struct Workspace {
    TaxpayerRegister taxpayers;
    PayerRecord payer;
    bool taxpayersSaved = true;
    bool payerSaved = true;
    // The data file the register was last opened from or saved to; empty when there is none.
    QString dataFileName;
    // What that file held when this Fiskon last read or wrote it (not known after a recovery).
    FileStamp dataFileStamp;
    // The payer file last read or written, and what it held then.
    QString payerFileName;
    FileStamp payerFileStamp;
    ChangeRevision revision;
    // Where changes go as steps the user can undo (the main window's history); none: not kept.
    ChangeHistory* history = nullptr;

    std::function<void()> changed;

    // Changes the records at `positions` (ascending register positions) by `change`, which says
    // whether it changed the record, as one step of the changes the user can undo, named `text`
    // ("Poprawa wielkich liter"). Marks the taxpayers changed when any was; returns how many were.
    int changeRecords(const QString& text, const std::vector<int>& positions,
                      const std::function<bool(TaxpayerRecord&)>& change);

    void markTaxpayersChanged() {
        taxpayersSaved = false;
        taxpayers.NoteRecordsChanged();
        notifyChanged();
    }
    void markPayerChanged() {
        payerSaved = false;
        notifyChanged();
    }
    void markTaxpayersSaved() {
        taxpayersSaved = true;
        notifyChanged();
    }
    void markPayerSaved() {
        payerSaved = true;
        notifyChanged();
    }
    // The data changed in a way the flags already show (an import that has finished).
    void notifyChanged() {
        revision.advance();
        if (changed) changed();
    }
};
