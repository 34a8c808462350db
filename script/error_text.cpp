#include "script/error_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace zentrip {

void ErrorText::Set(std::string_view text) {
    const std::size_t n = text.size() < kCapacity ? text.size() : kCapacity;
    std::memcpy(m_text, text.data(), n);
    m_text[n] = '\0';
}

void ErrorText::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_text, sizeof m_text, format, args);
    va_end(args);
}

}  // namespace zentrip
