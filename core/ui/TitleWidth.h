#pragma once

class QMessageBox;
class QWidget;

// Short boxes are as wide as their text, and a window manager then cuts
// their caption ("Enter Pass…Vellumark"). These widen a box so its whole
// caption fits, with the program's name the window manager adds to it and
// room for the title bar's buttons.
namespace TitleWidth {

// The width the caption of the window needs, in pixels.
int needed(const QWidget *window);
// Sets the dialog's minimum width to what its caption needs; a dialog laid
// out from top to bottom at a fixed size keeps that width too.
void fit(QWidget *dialog);
// The same for a message box, which sizes itself to its text: a spacer in
// its layout holds it open.
void fit(QMessageBox &box);

} // namespace TitleWidth
