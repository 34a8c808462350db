#include "link/serial_port.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

namespace zentrip {

namespace {

// The longest the reader stays parked on a full ring without looking again; a wake-up it
// missed costs no more than this.
constexpr auto kFullRingPause = std::chrono::milliseconds(20);
constexpr auto kRingPollPause = std::chrono::milliseconds(1);

}  // namespace

CSerialPort::CSerialPort() : CSerialPort(PosixSerialOpener()) {}

CSerialPort::CSerialPort(SerialDeviceOpener& opener)
    : m_opener(opener), m_devicePathFn(&CSerialPort::DefaultDevicePath) {}

CSerialPort::~CSerialPort() { Close(); }

void CSerialPort::SetDevicePathFn(DevicePathFn fn) { m_devicePathFn = std::move(fn); }

std::string CSerialPort::DefaultDevicePath(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

int CSerialPort::Open(int port, std::uint32_t rate) {
    Close();  // callers close first; a stray reader must not see the ring reset under it
    m_rxHead.store(0, std::memory_order_relaxed);
    m_rxTail.store(0, std::memory_order_relaxed);
    m_openError.clear();
    m_lostReason.clear();
    m_devicePath.clear();
    if (port < 1) {
        m_openError = "no such port";
        return 0;
    }
    m_stop.store(false, std::memory_order_relaxed);
    m_devicePath = m_devicePathFn(port);
    // Bytes read ahead from another device belong to another line.
    if (m_devicePath != m_aheadPath) m_aheadBegin = m_aheadEnd = 0;
    m_device = m_opener.Open(m_devicePath, rate, &m_openError);
    return m_device ? 1 : 0;
}

void CSerialPort::Close() {
    if (m_reader.joinable()) {
        // The reader looks at the flag after every wait of at most kReaderWaitMs and never
        // blocks otherwise, so this join is bounded by one wait plus one chunk.
        m_stop.store(true, std::memory_order_release);
        m_roomSignal.release();
        m_reader.join();
        m_notify = nullptr;
    }
    if (!m_device) return;
    if (m_device->IsLost()) m_lostReason = m_device->LostReason();
    m_device.reset();
}

bool CSerialPort::IsOpen() const { return m_device != nullptr; }

int CSerialPort::WriteByte(char ch) { return Write(&ch, 1); }

int CSerialPort::Write(const void* data, std::uint32_t length) {
    if (!m_device) return 0;
    const std::size_t n = length ? length : std::strlen(static_cast<const char*>(data));
    return m_device->Write(data, n) == n ? 1 : 0;
}

int CSerialPort::WriteString(const std::string& text) {
    if (text.empty()) return m_device && !m_device->IsLost() ? 1 : 0;
    return Write(text.data(), static_cast<std::uint32_t>(text.size()));
}

int CSerialPort::ReadByte(char* ch) { return Read(ch, 1); }

int CSerialPort::Read(void* buffer, int count) {
    if (!m_device || count < 1) return 0;
    auto* out = static_cast<char*>(buffer);
    int taken = TakeAhead(out, count);
    if (taken == count) return taken;
    if (!m_reader.joinable()) {
        FillAhead();
        return taken + TakeAhead(out + taken, count - taken);
    }
    const int before = taken;
    while (taken < count && PopByte(out + taken)) ++taken;
    if (taken > before) RoomMade();
    return taken;
}

int CSerialPort::TakeAhead(char* out, int count) {
    const std::size_t n = std::min(m_aheadEnd - m_aheadBegin, static_cast<std::size_t>(count));
    std::memcpy(out, m_ahead.data() + m_aheadBegin, n);
    m_aheadBegin += n;
    return static_cast<int>(n);
}

void CSerialPort::FillAhead() {
    if (m_aheadBegin != m_aheadEnd) return;
    m_aheadBegin = 0;
    m_aheadEnd = m_device->Read(m_ahead.data(), m_ahead.size());
    m_aheadPath = m_devicePath;
}

bool CSerialPort::WaitReadable(int timeoutMs) {
    if (!m_device) return false;
    if (m_aheadBegin != m_aheadEnd) return true;
    if (!m_reader.joinable()) return m_device->WaitReadable(timeoutMs);
    // The reader owns the device's input; wait for the ring instead.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Waiting() == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kRingPollPause);
    }
    return true;
}

int CSerialPort::StartReader(NotifyFn notify, std::uint32_t command, char trigger) {
    if (!m_device) return 0;
    m_trigger.store(trigger, std::memory_order_relaxed);
    if (m_reader.joinable()) return 1;
    m_notify = std::move(notify);
    m_notifyCmd = command;
    // Bytes read ahead before the reader ran are news for the window as much as the ring's.
    const std::size_t ahead = m_aheadEnd - m_aheadBegin;
    m_startNotifications =
        trigger == 0 ? (ahead > 0 ? 1 : 0)
                     : static_cast<int>(std::count(m_ahead.begin() + m_aheadBegin,
                                                   m_ahead.begin() + m_aheadEnd, trigger));
    m_stop.store(false, std::memory_order_relaxed);
    m_readerEnded.store(false, std::memory_order_relaxed);
    try {
        m_reader = std::thread(&CSerialPort::ReaderLoop, this);
    } catch (const std::system_error&) {
        m_notify = nullptr;
        return 0;
    }
    return 1;
}

bool CSerialPort::DeviceLost() const {
    return m_device ? m_device->IsLost() : !m_lostReason.empty();
}

std::string CSerialPort::LostReason() const {
    return m_device ? m_device->LostReason() : m_lostReason;
}

std::uint32_t CSerialPort::Waiting() const {
    return m_rxHead.load(std::memory_order_acquire) - m_rxTail.load(std::memory_order_relaxed);
}

int CSerialPort::PopByte(char* ch) {
    const std::uint32_t tail = m_rxTail.load(std::memory_order_relaxed);
    if (m_rxHead.load(std::memory_order_acquire) == tail) return 0;
    *ch = m_ring[tail % kRingSize];
    m_rxTail.store(tail + 1, std::memory_order_release);
    return 1;
}

void CSerialPort::RoomMade() {
    // Both sides exchange the flag, so the two exchanges are ordered: either ours comes later
    // and sees the reader's request, or the reader's comes later and then sees our new tail.
    if (m_wantRoom.exchange(false, std::memory_order_acq_rel)) m_roomSignal.release();
}

void CSerialPort::WaitForRoom(std::uint32_t head) {
    while (m_roomSignal.try_acquire()) {
    }  // drop signals meant for an earlier wait
    m_wantRoom.exchange(true, std::memory_order_acq_rel);
    const bool full = head - m_rxTail.load(std::memory_order_acquire) == kRingSize;
    if (full && !m_stop.load(std::memory_order_acquire)) {
        m_roomSignal.try_acquire_for(kFullRingPause);
    }
    m_wantRoom.store(false, std::memory_order_relaxed);
}

void CSerialPort::ReaderLoop() {
    struct EndMark {
        std::atomic<bool>& ended;
        ~EndMark() { ended.store(true, std::memory_order_release); }
    } endMark{m_readerEnded};
    for (int i = 0; i < m_startNotifications && m_notify; ++i) m_notify(m_notifyCmd);
    std::array<char, kChunkSize> chunk;
    while (!m_stop.load(std::memory_order_acquire)) {
        std::uint32_t head = m_rxHead.load(std::memory_order_relaxed);
        const std::uint32_t room = kRingSize - (head - m_rxTail.load(std::memory_order_acquire));
        if (room == 0) {
            WaitForRoom(head);
            continue;
        }
        const bool ready = m_device->WaitReadable(kReaderWaitMs);
        if (m_stop.load(std::memory_order_acquire)) return;
        if (!ready) {
            if (m_device->IsLost()) return;
            continue;
        }
        const std::size_t n = m_device->Read(chunk.data(), std::min<std::size_t>(room, kChunkSize));
        if (n == 0) {
            if (m_device->IsLost()) return;
            continue;
        }
        const char trigger = m_trigger.load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < n; ++i) {
            m_ring[head % kRingSize] = chunk[i];
            m_rxHead.store(++head, std::memory_order_release);
            if (trigger != 0 && chunk[i] == trigger && m_notify) m_notify(m_notifyCmd);
        }
        if (trigger == 0 && m_notify) m_notify(m_notifyCmd);
    }
}

}  // namespace zentrip
