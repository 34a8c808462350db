// SHA-256 of bytes and of files, as `sha256sum` prints it: 64 lower-case hex digits. A run's
// record names what it programmed by these, so the user can tell the same file from another.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrip {

class Sha256 {
public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest in hex; the object is spent afterwards.
    std::string HexDigest();

private:
    void Block(const unsigned char* block);

    std::array<std::uint32_t, 8> m_state;
    std::array<unsigned char, 64> m_pending{};
    std::size_t m_pendingSize = 0;
    std::uint64_t m_totalBytes = 0;
};

std::string Sha256Hex(std::string_view bytes);

struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;
};
// Reads the open descriptor from its start without moving its offset (pread), so a reader
// that holds it is not disturbed. Empty when a read fails.
std::optional<FileDigest> DigestOfDescriptor(int fd);
// Empty when the file cannot be opened or read, or is no regular file; *error says why.
std::optional<FileDigest> DigestOfFile(const std::string& path, std::string* error);

}  // namespace zentrip
