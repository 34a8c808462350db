// ReceiveFile: where an XMODEM receive writes, so that a receive that fails never costs the
// user a file. Blocks go to a temporary file beside the target, which replaces the target only
// when the whole file has arrived; after a failure the target is untouched and what did arrive
// is kept beside it as NAME.part (nothing is left behind when nothing arrived). A target that
// exists and is not a regular file (a device, a FIFO) cannot be replaced and is written
// directly, as it always was.
#pragma once

#include <cstdio>
#include <string>

namespace zentrip {

class ReceiveFile {
public:
    ReceiveFile() = default;
    ReceiveFile(const ReceiveFile&) = delete;
    ReceiveFile& operator=(const ReceiveFile&) = delete;
    ~ReceiveFile();  // abandons an open file

    // False when the file cannot be created (missing folder, no write permission, a directory).
    bool Open(const std::string& target);
    std::FILE* Stream() const { return m_stream; }

    // Everything is written: makes it last (flush, sync) and closes it. False when that failed;
    // the file is then still to be abandoned.
    bool Finish();
    // Puts the finished file in the target's place. False when that failed.
    bool Commit();
    // Keeps what arrived as NAME.part, or removes the temporary file when it is empty.
    void Abandon();

    static std::string PartPath(const std::string& target) { return target + ".part"; }

private:
    bool CreateTemporary(const std::string& finalPath);

    std::FILE* m_stream = nullptr;
    std::string m_target;     // the file the receive is for (symbolic links followed)
    std::string m_temporary;  // empty when writing the target directly
};

}  // namespace zentrip
