// CSerialPort: one serial device at 8N1 with byte writes and non-blocking reads, polled
// directly or, after StartReader, filled into a receive ring by a background reader thread.
// The COM port number (1..4) stays the port's identity; a resolver maps it to a device path.
//
// Polled reads go through a read-ahead buffer: one device read takes whatever is waiting, up
// to kReadAheadSize bytes, and later reads are served from it. Its bytes count as received on
// the line: they outlast Close and a reopen of the same device, and with a reader they are
// served before the ring.
//
// Threads: one owning thread calls the public operations; the reader thread only fills the
// ring and calls the notify callback. The ring is single-producer, single-consumer without a
// lock. The reader never overwrites a byte that was not taken: when the ring is full it leaves
// further bytes in the device until the owner makes room.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <semaphore>
#include <string>
#include <thread>

#include "platform/serial_device.h"

namespace zentrip {

class CSerialPort {
public:
    // Called on the reader thread with the command id; must not block (post and return).
    using NotifyFn = std::function<void(std::uint32_t command)>;
    using DevicePathFn = std::function<std::string(int port)>;

    static constexpr std::uint32_t kRingSize = 1024;
    static constexpr std::size_t kChunkSize = 1022;      // one device read of the reader
    static constexpr int kReaderWaitMs = 200;            // how soon the reader sees a stop request
    static constexpr std::size_t kReadAheadSize = 4096;  // one device read of a polled port

    CSerialPort();  // real devices, port N at /dev/ttyS<N-1>
    explicit CSerialPort(SerialDeviceOpener& opener);
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    virtual ~CSerialPort();

    // Where port numbers lead; the settings store or a one-run override supplies it.
    void SetDevicePathFn(DevicePathFn fn);
    static std::string DefaultDevicePath(int port);
    // The device that Open(port, ...) would open; empty for a port number below 1.
    std::string DevicePathOf(int port) const { return port < 1 ? "" : m_devicePathFn(port); }

    int Open(int port, std::uint32_t rate);  // 1 opened, 0 not
    // Stops and joins the reader, then lets written bytes leave and closes the device.
    void Close();
    bool IsOpen() const;

    // 1 when every byte went to the device, 0 on a closed or lost port.
    int WriteByte(char ch);
    int Write(const void* data, std::uint32_t length);  // length 0: up to the terminating zero
    int WriteString(const std::string& text);

    // Without a reader these read the device; with one they take from the ring. Either way the
    // read-ahead's bytes come first. Read makes at most one device read.
    int ReadByte(char* ch);             // 1 when a byte was stored
    int Read(void* buffer, int count);  // bytes stored, 0..count
    // Waits up to timeoutMs for something to read; lets pollers wait instead of sleeping blindly.
    // True at once while the read-ahead holds bytes.
    bool WaitReadable(int timeoutMs);

    // 1 when a reader runs afterwards, 0 on a closed port (the trigger then stays as it was).
    // A second call keeps the running reader's callback and command and takes the new trigger.
    // Trigger 0: one notification per chunk read; otherwise one per trigger byte, after it
    // was pushed. A reader that ends because the device vanished notifies once more.
    int StartReader(NotifyFn notify, std::uint32_t command, char trigger);
    bool ReaderStarted() const { return m_reader.joinable(); }
    // False once the reader has ended, by Close or by itself when the device vanished.
    bool ReaderRunning() const {
        return m_reader.joinable() && !m_readerEnded.load(std::memory_order_acquire);
    }
    char Trigger() const { return m_trigger.load(std::memory_order_relaxed); }

    // The device of the last Open, why that Open failed, and whether the device vanished since
    // (still told after Close, until the next Open).
    const std::string& DevicePath() const { return m_devicePath; }
    const std::string& OpenError() const { return m_openError; }
    bool DeviceLost() const;
    std::string LostReason() const;

private:
    void ReaderLoop();
    int TakeAhead(char* out, int count);  // from the read-ahead, 0..count
    void FillAhead();                     // one device read into an empty read-ahead
    std::uint32_t Waiting() const;        // consumer side: bytes in the ring
    int PopByte(char* ch);
    void WaitForRoom(std::uint32_t head);  // reader side, while the ring is full
    void RoomMade();                       // consumer side, after taking bytes

    SerialDeviceOpener& m_opener;
    DevicePathFn m_devicePathFn;
    std::unique_ptr<SerialDevice> m_device;
    std::string m_devicePath;
    std::string m_openError;
    std::string m_lostReason;  // kept from a lost device at Close

    // The read-ahead: bytes [m_aheadBegin, m_aheadEnd) were read from m_aheadPath and not yet
    // taken. Only the owning thread touches it.
    std::array<char, kReadAheadSize> m_ahead{};
    std::size_t m_aheadBegin = 0;
    std::size_t m_aheadEnd = 0;
    std::string m_aheadPath;

    // Reader state. The callback and command are set before the thread starts and only read
    // by it; the trigger may change while it runs.
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    int m_startNotifications = 0;  // owed for read-ahead bytes when the reader started
    std::atomic<bool> m_readerEnded{false};
    std::atomic<char> m_trigger{0};
    NotifyFn m_notify;
    std::uint32_t m_notifyCmd = 0;

    // The ring. Head and tail count bytes pushed and taken; they run freely and wrap at 2^32,
    // a multiple of the ring size, so all 1024 slots are usable. Only the reader stores the
    // head (release, after the byte), only the consumer stores the tail (release, after it
    // copied the byte out); each reads the other's index with acquire.
    std::array<char, kRingSize> m_ring{};
    std::atomic<std::uint32_t> m_rxHead{0};
    std::atomic<std::uint32_t> m_rxTail{0};
    // A full ring parks the reader until the consumer takes bytes; the consumer signals only
    // when the reader said it waits, so reads stay cheap and never block.
    std::atomic<bool> m_wantRoom{false};
    std::counting_semaphore<> m_roomSignal{0};
};

}  // namespace zentrip
