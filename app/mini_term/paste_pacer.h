// Pasted text goes out at the line's own pace, so that writing it never waits for the device
// (the window thread must not wait): each tick sends what the line has carried since the tick
// before, ten bits a byte (8N1 with its start and stop bits). Qt-free, so the rule has plain
// tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zentrip {

class PastePacer {
public:
    static constexpr int kTickMs = 10;

    void Add(std::string_view bytes) { m_pending.append(bytes); }
    bool Empty() const { return m_sent == m_pending.size(); }
    void Clear();
    // The bytes due at this tick, at `rate` bits per second.
    std::string Take(std::uint32_t rate);

private:
    std::string m_pending;
    std::size_t m_sent = 0;
    std::uint64_t m_bits = 0;  // carried since the last byte was due, in bits
};

}  // namespace zentrip
