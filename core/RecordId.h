#pragma once

#include <QtGlobal>

// The id of a cabinet, drawer, folder, document or page row. SQLite's
// INTEGER PRIMARY KEY is 64 bits wide, and a page id names the page's files,
// so an id must never be cut to 32 bits anywhere: in a row, a key or a path.
using RecordId = qint64;
