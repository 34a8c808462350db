#include "sim/fake_serial_line.h"

#include <algorithm>

namespace zentrip {

class FakeSerialDevice final : public SerialDevice {
public:
    explicit FakeSerialDevice(FakeSerialLine& line) : m_line(line) {}
    ~FakeSerialDevice() override {
        std::lock_guard lock(m_line.m_mutex);
        --m_line.m_openDevices;
    }

    std::size_t Write(const void* data, std::size_t n) override {
        FakeSerialLine::Responder responder;
        std::string bytes(static_cast<const char*>(data), n);
        {
            std::lock_guard lock(m_line.m_mutex);
            if (!m_line.m_lostReason.empty()) return 0;
            m_line.m_writes.push_back({m_line.m_clock.TickMs(), bytes});
            responder = m_line.m_responder;
        }
        if (responder) responder(bytes, m_line);
        return n;
    }

    std::size_t Read(void* buffer, std::size_t n) override {
        std::lock_guard lock(m_line.m_mutex);
        if (!m_line.m_lostReason.empty()) return 0;
        const std::size_t count = std::min(n, m_line.Readable());
        auto* out = static_cast<char*>(buffer);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = m_line.m_incoming.front().byte;
            m_line.m_incoming.pop_front();
        }
        return count;
    }

    // Wakes when the next byte is due, as poll does.
    bool WaitReadable(int timeoutMs) override {
        std::uint64_t waitMs = timeoutMs > 0 ? static_cast<std::uint64_t>(timeoutMs) : 0;
        {
            std::lock_guard lock(m_line.m_mutex);
            if (!m_line.m_lostReason.empty()) return false;
            if (m_line.Readable() > 0) return true;
            if (!m_line.m_incoming.empty()) {
                waitMs =
                    std::min(waitMs, m_line.m_incoming.front().atTickMs - m_line.m_clock.TickMs());
            }
        }
        if (waitMs > 0) m_line.m_clock.SleepMs(static_cast<std::uint32_t>(waitMs));
        std::lock_guard lock(m_line.m_mutex);
        return m_line.m_lostReason.empty() && m_line.Readable() > 0;
    }

    bool IsLost() const override {
        std::lock_guard lock(m_line.m_mutex);
        return !m_line.m_lostReason.empty();
    }

    std::string LostReason() const override {
        std::lock_guard lock(m_line.m_mutex);
        return m_line.m_lostReason;
    }

private:
    FakeSerialLine& m_line;
};

void FakeSerialLine::Feed(std::string_view bytes, std::uint64_t atTickMs) {
    std::lock_guard lock(m_mutex);
    if (bytes.empty()) return;
    if (m_rate == 0) {
        // Bytes never overtake earlier ones: a byte is due no sooner than the one before it.
        m_lastDue = m_incoming.empty() ? atTickMs : std::max(atTickMs, m_incoming.back().atTickMs);
        for (char c : bytes) m_incoming.push_back({m_lastDue, c});
        return;
    }
    const std::uint64_t charUs = 10'000'000 / m_rate;
    const std::uint64_t startUs = std::max(atTickMs * 1000, m_lineFreeUs);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t groupLast = std::min((i / m_burst + 1) * m_burst, bytes.size()) - 1;
        m_lastDue = (startUs + (groupLast + 1) * charUs + 999) / 1000;
        m_incoming.push_back({m_lastDue, bytes[i]});
    }
    m_lineFreeUs = startUs + bytes.size() * charUs;
}

void FakeSerialLine::SetPace(std::uint32_t bitsPerSecond, std::size_t burst) {
    std::lock_guard lock(m_mutex);
    m_rate = bitsPerSecond;
    m_burst = burst > 0 ? burst : 1;
}

std::uint64_t FakeSerialLine::LastDueTick() const {
    std::lock_guard lock(m_mutex);
    return m_lastDue;
}

void FakeSerialLine::SetResponder(Responder responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void FakeSerialLine::Pull(std::string reason) {
    std::lock_guard lock(m_mutex);
    m_lostReason = reason.empty() ? "device removed" : std::move(reason);
}

void FakeSerialLine::FailOpens(std::string error) {
    std::lock_guard lock(m_mutex);
    m_openError = std::move(error);
}

std::vector<FakeSerialLine::WriteRecord> FakeSerialLine::Writes() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

std::string FakeSerialLine::Written() const {
    std::lock_guard lock(m_mutex);
    std::string all;
    for (const auto& w : m_writes) all += w.bytes;
    return all;
}

std::vector<std::string> FakeSerialLine::OpenedPaths() const {
    std::lock_guard lock(m_mutex);
    return m_paths;
}

std::vector<std::uint32_t> FakeSerialLine::OpenedRates() const {
    std::lock_guard lock(m_mutex);
    return m_rates;
}

int FakeSerialLine::OpenDevices() const {
    std::lock_guard lock(m_mutex);
    return m_openDevices;
}

std::size_t FakeSerialLine::Readable() const {
    const std::uint64_t now = m_clock.TickMs();
    std::size_t n = 0;
    while (n < m_incoming.size() && m_incoming[n].atTickMs <= now) ++n;
    return n;
}

std::unique_ptr<SerialDevice> FakeSerialOpener::Open(const std::string& path, std::uint32_t rate,
                                                     std::string* error) {
    std::lock_guard lock(m_line.m_mutex);
    m_line.m_paths.push_back(path);
    m_line.m_rates.push_back(rate);
    if (!m_line.m_openError.empty()) {
        if (error) *error = m_line.m_openError;
        return nullptr;
    }
    ++m_line.m_openDevices;
    return std::make_unique<FakeSerialDevice>(m_line);
}

}  // namespace zentrip
