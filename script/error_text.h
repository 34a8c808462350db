// The run's error text: a message of at most 255 characters. Longer messages (a very long
// symbol or file name inside one) are cut at 255, never overrun.
#pragma once

#include <cstddef>
#include <string_view>

namespace zentrip {

class ErrorText {
public:
    static constexpr std::size_t kCapacity = 255;

    void Clear() { m_text[0] = '\0'; }
    void Set(std::string_view text);
    // printf-style; the result is cut at kCapacity characters.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* c_str() const { return m_text; }
    bool empty() const { return m_text[0] == '\0'; }

private:
    char m_text[kCapacity + 1] = {};
};

}  // namespace zentrip
