#pragma once

#include "tools/ToolResult.h"

#include <functional>

// Compaction of "vlm.mdb": SQLite's VACUUM INTO writes a compacted copy to
// "tempvlm.mdb", which is synced and renamed over "vlm.mdb"; the file as it
// was before is kept as "vlm.bak". At every moment "vlm.mdb" is a whole
// database, the old one or the new one. A "vlm.mdb" that is a link (the
// database moved to another disk) stays one: the file it leads to is
// compacted in its own folder, where "tempvlm.mdb" and "vlm.bak" then lie,
// so "vlm.bak" is always the previous copy of the file beside it, and
// restoring it means putting it in that file's place.
namespace Compaction {

// The steps, in order, for the fault hook.
enum class Step {
    RemoveLeftover,  // delete a "tempvlm.mdb" an interrupted run left
    Vacuum,          // VACUUM INTO "tempvlm.mdb"
    SyncCopy,        // fsync "tempvlm.mdb"
    Backup,          // a second name ("vlm.bak.new") for the current file
    Replace,         // rename "tempvlm.mdb" onto "vlm.mdb"
    KeepBackup,      // rename "vlm.bak.new" onto "vlm.bak"
    SyncFolder       // fsync the database's folder, so the renames last
};

// Test hook: called before each step; returning false makes that step fail
// as a file operation would. Pass an empty function to clear it.
void setFaultHook(std::function<bool(Step)> hook);

// Compacts the database. Refuses (a warning) while vlm holds the data
// folder's lock; reports "CompactDb Error #2 - No such file or directory"
// and creates nothing when "vlm.mdb" is missing; any other failure gives
// "CompactDb Error #<n> - <description>" and leaves the old database in
// place. Success: "Compact database complete.\n<n> bytes saved." (the
// number may be negative), followed by "\nThe previous copy is kept as
// \"<path>\"." when "vlm.bak" is not in the data folder. A link that
// leads onto a file named like the work file or the backup is refused
// (ErrorCode::UnsafePath). The program's connection is closed during the
// run and opened again afterwards when it was open.
ToolResult CompactDb();

// "1,234,567" (and "-1,234" for a grown file).
QString formatBytes(qint64 bytes);

} // namespace Compaction
