// File-choice filters: the program's filters are written the old way, "description |
// pattern | ... ||"; Qt's dialogs take "description (pattern);;...". "*.*" becomes "*",
// which on Linux also matches names without a dot, as "All Files" promises.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

std::string QtFileFilter(std::string_view filter);

}  // namespace zentrip
