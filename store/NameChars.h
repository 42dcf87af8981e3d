#pragma once

#include <QString>

// The characters a typed name or file name may hold, and whether a text
// holds anything at all.
namespace NameChars {

// Names may not hold any of \ / : * ? " < > | and the full stop.
bool HasInvalidNameChar(const QString &name);
QString StripInvalidNameChars(const QString &name);
// A file name typed by the user may not hold any of / * ? " < > |. Only the
// file-name part of a path is examined: "/" separates folders here.
bool HasInvalidPathChar(const QString &path);
QString StripInvalidPathChars(const QString &path);

// Empty or spaces only.
bool IsBlank(const QString &text);
// Whether the text shows anything: false when it holds only blanks and
// characters that print nothing (NUL and other controls, zero-width and
// other format characters, variation selectors, fillers).
bool hasVisibleChar(const QString &text);

} // namespace NameChars
