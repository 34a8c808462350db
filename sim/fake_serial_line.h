// A serial line in process, in virtual time: the line the simulator answers on (--simulate)
// and the scripted line of the tests. It records every write with the virtual time it happened
// at, delivers bytes fed to it (at once or from a given virtual time on, or paced at a data
// rate), and can be "pulled" like a lost USB adapter. The devices a FakeSerialOpener hands out all
// talk to one line, which outlives them so a test can inspect it after the port closed.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_device.h"

namespace zentrip {

class FakeSerialLine {
public:
    struct WriteRecord {
        std::uint64_t tickMs;
        std::string bytes;
    };
    // Called after each write with the bytes written; may Feed replies.
    using Responder = std::function<void(std::string_view written, FakeSerialLine& line)>;

    explicit FakeSerialLine(Clock& clock) : m_clock(clock) {}

    // Bytes the peer sends; readable once the virtual time reaches atTickMs, or when paced, as
    // they come off the line after it.
    void Feed(std::string_view bytes, std::uint64_t atTickMs = 0);
    // Paces what is fed from now on: bytes leave one after another, each taking a character
    // time (10 bits) at bitsPerSecond, and are handed over in groups of `burst` as a UART's
    // receive FIFO does (a group of a feed's last bytes may be smaller). 0 bits/s: no pacing.
    void SetPace(std::uint32_t bitsPerSecond, std::size_t burst = 1);
    // When the last byte fed so far becomes readable.
    std::uint64_t LastDueTick() const;
    void SetResponder(Responder responder);
    // The device vanishes: reads and writes return 0 from now on.
    void Pull(std::string reason);
    // Let the next opens fail with this error (empty: succeed again).
    void FailOpens(std::string error);

    std::vector<WriteRecord> Writes() const;
    std::string Written() const;  // all written bytes, concatenated
    std::vector<std::string> OpenedPaths() const;
    std::vector<std::uint32_t> OpenedRates() const;
    int OpenDevices() const;  // devices opened and not yet destroyed
    Clock& GetClock() { return m_clock; }

private:
    friend class FakeSerialDevice;
    friend class FakeSerialOpener;
    struct Pending {
        std::uint64_t atTickMs;
        char byte;
    };

    std::size_t Readable() const;  // bytes due by now; caller holds m_mutex

    Clock& m_clock;
    mutable std::mutex m_mutex;
    std::deque<Pending> m_incoming;
    std::uint32_t m_rate = 0;
    std::size_t m_burst = 1;
    std::uint64_t m_lineFreeUs = 0;  // when the paced line has sent everything fed
    std::uint64_t m_lastDue = 0;
    std::vector<WriteRecord> m_writes;
    Responder m_responder;
    std::string m_lostReason;
    std::string m_openError;
    std::vector<std::string> m_paths;
    std::vector<std::uint32_t> m_rates;
    int m_openDevices = 0;
};

class FakeSerialOpener final : public SerialDeviceOpener {
public:
    explicit FakeSerialOpener(FakeSerialLine& line) : m_line(line) {}
    std::unique_ptr<SerialDevice> Open(const std::string& path, std::uint32_t rate,
                                       std::string* error) override;

private:
    FakeSerialLine& m_line;
};

}  // namespace zentrip
