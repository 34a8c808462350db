// Shared pieces of the XMODEM unit tests: wire blocks, a fake line with its port and engine in
// virtual time, and a clock that sets the cancel flag at a given time.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "link/serial_port.h"
#include "sim/fake_serial_line.h"
#include "terminal/crc16.h"
#include "terminal/xmodem.h"
#include "tests/support/temp_dir.h"

namespace zentrip::testing {

inline constexpr char kSoh = 0x01;
inline constexpr char kEot = 0x04;
inline constexpr char kAck = 0x06;
inline constexpr char kNak = 0x15;
inline constexpr char kCan = 0x18;

// Bytes whose values differ from block to block, so a misplaced block shows.
inline std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 128) & 0xFF);
    return bytes;
}

// One block on the wire; `data` is padded with `pad` to 128 bytes.
inline std::string WireBlock(int number, std::string data, bool crc, char pad = 0) {
    data.resize(128, pad);
    std::string block{kSoh, static_cast<char>(number & 0xFF),
                      static_cast<char>(255 - (number & 0xFF))};
    block += data;
    if (crc) {
        const std::uint16_t value = Crc16(data.data(), data.size());
        block += static_cast<char>(value >> 8);
        block += static_cast<char>(value & 0xFF);
    } else {
        unsigned sum = 0;
        for (unsigned char c : data) sum += c;
        block += static_cast<char>(sum & 0xFF);
    }
    return block;
}

// Virtual time that can fire one action when it reaches a given tick.
class TriggerClock final : public Clock {
public:
    void At(std::uint64_t tickMs, std::function<void()> action) {
        m_at = tickMs;
        m_action = std::move(action);
    }
    std::uint64_t TickMs() override { return m_base.TickMs(); }
    void SleepMs(std::uint32_t ms) override {
        m_base.SleepMs(ms);
        if (m_action && m_base.TickMs() >= m_at) std::exchange(m_action, nullptr)();
    }
    std::int64_t CalendarSeconds() override { return m_base.CalendarSeconds(); }
    LocalTime LocalNow() override { return m_base.LocalNow(); }

private:
    VirtualClock m_base;
    std::uint64_t m_at = 0;
    std::function<void()> m_action;
};

// An engine on a fake line in virtual time.
struct FakeRig {
    TriggerClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    CSerialPort port{opener};
    CXmodem engine{&port, 1, 9600, clock};
    int notifications = 0;

    // The engine at that data rate; the line delivers at once until paced (SetPace).
    explicit FakeRig(std::uint32_t rate = 9600) : engine(&port, 1, rate, clock) {
        engine.SetOwner([this] { ++notifications; });
    }
    std::uint64_t Now() { return clock.TickMs(); }
    void Reply(std::string_view bytes) { line.Feed(bytes, clock.TickMs()); }
};

}  // namespace zentrip::testing
