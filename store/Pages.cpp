#include "Pages.h"

namespace Pages {

} // namespace Pages
