#pragma once

#include <QIcon>

// The toolbar's pictures, drawn in code so they stay sharp at any scale.
namespace toolbar_icons {

QIcon add();      // a card with a green plus: enter data by hand
QIcon import();   // a database drum with an arrow into a card
QIcon open();     // a yellow folder
QIcon save();     // a floppy disk
QIcon payer();    // an office building
QIcon show();     // a form under a magnifying glass
QIcon print();    // a printer with a sheet
QIcon check();    // a form with a green tick: check the data before printing
QIcon help();     // a blue circle with a question mark

}  // namespace toolbar_icons
