#pragma once

#include <QCollator>

// The order of names in the tree and the lists: by text without regard to
// case, in the user's language, numbers by their value.
namespace NameOrder {

const QCollator &collator();

} // namespace NameOrder
