// ReceiveFile: where an XMODEM receive writes, so that a receive that fails never costs the
// user a file. Blocks go to a hidden temporary file beside the target, which replaces the
// target only when the whole file has arrived; after a failure the target is untouched and
// what did arrive is kept beside it as NAME.part, or, when that name is taken, as the first
// free NAME.part.1, NAME.part.2, ... (nothing is kept when nothing arrived).
//
// - Symbolic links are followed, dangling ones too: the file a link leads to is the one
//   written, as a shell's redirection would.
// - A replaced file keeps its permission bits, never set-user-ID or set-group-ID: the new
//   content belongs to the one who received it. Its other hard links keep the old content;
//   OtherLinks() tells how many there were.
// - A FIFO with a reader and a character device are written directly, as they cannot be
//   replaced; a FIFO that nobody reads and any other kind of file are refused, never waited on.
// - The temporary file is ".NAME.zentrip-XXXXXX" (NAME cut to fit the longest file name) and
//   locked while it is in use. One left by a receive that was killed is removed by the next
//   receive of the same name.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace zentrip {

class ReceiveFile {
public:
    ReceiveFile() = default;
    ReceiveFile(const ReceiveFile&) = delete;
    ReceiveFile& operator=(const ReceiveFile&) = delete;
    ~ReceiveFile();  // abandons an open file

    // False when the file cannot be created (missing folder, no write permission, a folder,
    // a FIFO nobody reads); the reason is then in Problem().
    bool Open(const std::string& target);
    std::FILE* Stream() const { return m_stream; }
    const std::string& Problem() const { return m_problem; }
    // The file written in the end, links followed.
    const std::string& Target() const { return m_target; }
    // How many other names the replaced file had (hard links), 0 for a new file.
    nlink_t OtherLinks() const { return m_otherLinks; }

    // Everything is written: makes it last (flush, sync) and closes it. False when that failed;
    // the file is then still to be abandoned.
    bool Finish();
    // Puts the finished file in the target's place. False when that failed.
    bool Commit();
    // Keeps what arrived as NAME.part (or the next free NAME.part.N), or removes the temporary
    // file when it is empty. KeptAt() then tells where the data is, empty when none arrived.
    void Abandon();
    const std::string& KeptAt() const { return m_keptAt; }

private:
    bool OpenDirectly(int flags);
    bool CreateTemporary(const std::string& finalPath);
    void Release();

    std::FILE* m_stream = nullptr;
    int m_lockFd = -1;        // holds the temporary file's lock
    std::string m_target;     // the file the receive is for (symbolic links followed)
    std::string m_temporary;  // empty when writing the target directly
    std::string m_problem;
    std::string m_keptAt;
    nlink_t m_otherLinks = 0;
};

}  // namespace zentrip
