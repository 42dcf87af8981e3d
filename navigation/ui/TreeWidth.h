#pragma once

class QSplitter;

// The width of the navigation tree, kept in AppSettings::tvwMainWidth in
// twips as it always was, and the least width of either pane.
namespace TreeWidth {

// The least width, in pixels, of the tree and of the right-hand side.
int minimumPanePixels();
// Gives the tree its stored width and the right-hand side the rest of the
// window's width.
void restore(QSplitter *splitter, int windowWidth);
// Stores the tree's width as the splitter shows it.
void save(const QSplitter *splitter);

} // namespace TreeWidth
