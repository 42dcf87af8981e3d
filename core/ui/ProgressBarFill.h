#pragma once

class QProgressBar;

// How a progress bar of the program shows a position: filled
// position / (max - min + 1) of its width, clamped to empty and full. The
// progress window and the bars of the export and import dialogs all draw
// this way.
namespace ProgressBarFill {

void show(QProgressBar *bar, int position, int rangeMin, int rangeMax);

} // namespace ProgressBarFill
