// Saving the editor's program: the file keeps its own line ends (CR LF, or LF as a new file
// gets) and the 8-bit bytes as they are (WriteWholeFile replaces it). A termination signal
// leaves unsaved text in a recovery file.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

// Whether the file at path ends its first line with CR LF (false when it has none or is gone).
bool FileUsesCrLf(const std::string& path);
// The editor's text (CR LF line ends) as the file holds it.
std::string ProgramFileBytes(std::string_view text, bool crLf);
// Writes `bytes` to a new file in the state folder (see StateFolder), named by the date and
// time; its path, or empty with the reason in `error`.
std::string WriteRecoveryFile(std::string_view bytes, std::string* error);

}  // namespace zentrip
