#pragma once

#include <QString>

#include "core/RecordId.h"

namespace Repagination {

// Gives the pages of a document the numbers 1..n in their present order
// (PageNumber, then PageId; pages without a number first), with the
// progress window showing "Repaginate <name>". Runs in one transaction:
// on any failure nothing changes and false is returned, without a message.
bool RepaginateDocument(RecordId documentId, const QString &documentName);

// The page-number dialog's conversion: a whole number in the user's locale
// (or the C locale), fractions rounded half to even, within the 32-bit
// range; -1 for an empty text, a text that is no number or one out of
// range.
int parsePageNumber(const QString &text);

} // namespace Repagination
