#pragma once

// The levels of the filing hierarchy, outermost first. The kernel's change
// channel names the level of a record it announces; the store's schema
// (store/Schema.h) gives each level its table, columns and words.
enum class RecordLevel { Cabinet, Drawer, Folder, Document, Page };
