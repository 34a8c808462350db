#include "platform/temp_file.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/file_write.h"

namespace zentrip {

namespace {

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

}  // namespace

TempFile::~TempFile() { Remove(); }

void TempFile::Remove() {
    if (m_path.empty() || m_removed) return;
    unlink(m_path.c_str());
    m_removed = true;
}

bool TempFile::Create(std::string_view content) {
    if (!m_path.empty()) return false;
    std::string pattern = TempDirectory() + "/zentrip-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());  // mode 0600
    if (fd < 0) return false;
    m_path = name.data();
    const bool written = WriteAll(fd, content) == 0;
    const bool closed = close(fd) == 0;
    if (written && closed) return true;
    unlink(m_path.c_str());
    m_path.clear();
    return false;
}

}  // namespace zentrip
