// Writing files whole: every byte or an error, and replacements that survive a crash.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

// Writes all of bytes, however many calls that takes. 0, or the errno of the write that
// failed (EIO for one that wrote nothing).
int WriteAll(int fd, std::string_view bytes);

// Puts the file at from in to's place and makes the change to to's folder last too, or a crash
// could bring the old file back. from must be written and synced already, in the same folder.
// 0, or the errno of the rename.
int ReplaceFile(const std::string& from, const std::string& to);

// Writes bytes as the whole of the file at path through a synced file beside it, so a failed
// or interrupted write leaves the old file. The file keeps its permissions; a new one gets
// those of any new file. 0, or the errno of the step that failed.
int WriteWholeFile(const std::string& path, std::string_view bytes);

// Writes bytes to a file at path that must not exist yet, readable by its owner only.
// 0, or the errno of the step that failed.
int WriteNewPrivateFile(const std::string& path, std::string_view bytes);

// The folder under which Zentrip keeps its state: $XDG_STATE_HOME/zentrip, or
// ~/.local/state/zentrip when that is unset or not absolute; empty without an absolute HOME.
std::string StateFolder();

// This process's id, for names no other process picks at the same second.
long ProcessId();

}  // namespace zentrip
