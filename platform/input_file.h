// Opening program and include files for reading. Only regular files count as readable: a
// directory, a FIFO or a device is refused as not openable, so an include of one can neither
// read garbage nor block the run waiting for a writer.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace zentrip {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A binary read stream of the regular file at `path`, or null when there is none, with the
// system's reason in `reason` when one is given.
FilePtr OpenInputFile(const char* path, std::string* reason = nullptr);
// A read stream over `text`, which stays the caller's and must outlive the stream; null only
// when the system has no memory for it.
FilePtr OpenInputText(std::string_view text);

}  // namespace zentrip
