#include "app/worker/program_file.h"

#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/file_write.h"
#include "platform/system_error.h"

namespace zentrip {

bool FileUsesCrLf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    return std::getline(file, line) && !file.eof() && !line.empty() && line.back() == '\r';
}

std::string ProgramFileBytes(std::string_view text, bool crLf) {
    if (crLf) return std::string(text);
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        bytes += text[i];
    }
    return bytes;
}

std::string WriteRecoveryFile(std::string_view bytes, std::string* error) {
    // Without a home to keep state in, the text still goes somewhere a user can find it.
    const std::string state = StateFolder();
    const std::filesystem::path folder = state.empty() ? "/tmp/zentrip" : state;
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string path =
        (folder / ("unsaved-" + std::string(stamp) + "-" + std::to_string(ProcessId()) + ".orv"))
            .string();
    const int err = WriteNewPrivateFile(path, bytes);
    if (err == 0) return path;
    if (error) *error = SystemErrorText(path, err);
    return {};
}

}  // namespace zentrip
