#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

// The order of names in the tree and the lists: by text without regard to
// case, in the user's language, numbers by their value. Single compares and
// the sort keys of bulk sorts give the same order under every locale: the C
// locale's collation (C.UTF-8, common as a default) honours no case setting,
// so both work on case-folded text.
namespace NameOrder {

const QCollator &collator();
// Below zero when a comes first, zero for names equal but for case.
int compare(const QString &a, const QString &b);
// The key whose order is compare's, for sorting many names at once.
QCollatorSortKey sortKey(const QString &text);

} // namespace NameOrder
