#include "platform/system_error.h"

#include <cstring>

namespace zentrip {

namespace {

// glibc gives the GNU strerror_r (returns the text, not always in the buffer) unless the
// XSI one is asked for (returns 0 and fills the buffer); either compiles here.
[[maybe_unused]] const char* TextOf(const char* result, const char*) { return result; }
[[maybe_unused]] const char* TextOf(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

}  // namespace

std::string SystemErrorText(int err) {
    char buffer[256] = {};
    const char* text = TextOf(strerror_r(err, buffer, sizeof buffer), buffer);
    return text ? text : "Unknown error " + std::to_string(err);
}

std::string SystemErrorText(std::string_view what, int err) {
    return std::string(what) + ": " + SystemErrorText(err);
}

}  // namespace zentrip
