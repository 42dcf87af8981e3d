#pragma once

// The one owner of the Page table's rows: every page save, paste, drop and
// import writes its rows through these functions, and the deletes read the
// rows they remove here.
namespace Pages {

} // namespace Pages
