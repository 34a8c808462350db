// A private folder for one test: made with mkdtemp under the system's temporary folder and
// removed with everything in it when the object goes. Header-only, so the unit tests of the
// core folders can use it as well as the programs in tests/.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace zentrip::testing {

class TempDir {
public:
    // The folder is named prefix followed by six random characters.
    explicit TempDir(std::string_view prefix = "zentrip-test-") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool Ok() const { return !m_path.empty(); }
    // Empty when the folder could not be made.
    const std::string& Path() const { return m_path; }
    // The path of a file in the folder.
    std::string Path(std::string_view name) const { return m_path + "/" + std::string(name); }
    // Writes the bytes to a file in the folder; its path.
    std::string Write(std::string_view name, std::string_view content) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    // All bytes of a file; nothing when there is no file to read, so an empty file shows.
    static std::optional<std::string> ReadIfThere(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // All bytes of a file; empty when it cannot be read.
    static std::string Read(const std::string& path) { return ReadIfThere(path).value_or(""); }

    // The names in the folder, hidden ones included.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, ignored)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string m_path;
};

}  // namespace zentrip::testing
