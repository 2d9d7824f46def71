#pragma once

class QDialog;

// Where the program's own dialogs appear: centred on the screen that holds their owner (the
// bar), and above the owner while the owner stays on top. Call it before the dialog is shown.
void PlaceWithOwner(QDialog& dialog);
