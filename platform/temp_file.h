// TempFile: a private temporary file for one use, created with a name nobody can guess
// beforehand (mkstemp, mode 0600) in $TMPDIR or /tmp, and deleted when the object goes,
// whichever way the user of it leaves, or earlier, once its reader holds it open.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

class TempFile {
public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates the file and writes `content` into it; false (and no file left) on failure.
    bool Create(std::string_view content);
    const std::string& Path() const { return m_path; }
    // Deletes the file now; Path() still names where it was.
    void Remove();

private:
    std::string m_path;
    bool m_removed = false;
};

}  // namespace zentrip
