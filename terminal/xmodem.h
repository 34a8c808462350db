// CXmodem: moves one file over a CSerialPort with XMODEM (128-byte blocks, checksum or CRC-16
// as the receiver asks) or sends a text file line by line. One operation runs on one worker
// thread; meanwhile another thread may read the statistics and the mode and set the cancel
// flag. Progress is reported through a callback that must return at once (post, never wait).
//
// A device that vanishes ends the operation within one poll interval: Transmit and
// TransmitText with kXmodemTooManyRetries ("aborted during transmission"), Receive with
// kXmodemTooManyReceiveTries ("aborted during reception"). The port, left open, then tells
// why: DeviceLost(), DevicePath(), LostReason(). Receive replaces its file only when the whole
// file arrived (see ReceiveFile); a file it cannot write any more ends it with CAN to the
// sender, which then stops at once. Neither side waits in the open of a file (see
// OpenTransferInput and ReceiveFile).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/input_file.h"
#include "terminal/receive_file.h"
#include "terminal/xmodem_result.h"

namespace zentrip {

class CXmodem {
public:
    enum Mode : int { kModeUnchosen = 0, kModeChecksum = 1, kModeCrc = 2 };
    // Called on the worker thread at each step of an operation; must not block.
    using NotifyFn = std::function<void()>;

    // Closes the port if one is given; a null port makes every operation fail with 15.
    CXmodem(CSerialPort* port, int comPort, std::uint32_t rate, Clock& clock = DefaultClock());
    CXmodem(const CXmodem&) = delete;
    CXmodem& operator=(const CXmodem&) = delete;
    virtual ~CXmodem();

    int Transmit(const std::string& path);
    int Receive(const std::string& path);  // always CRC mode
    int TransmitText(const std::string& path);

    // Set by the owner before an operation.
    void SetOwner(NotifyFn notify) { m_notify = std::move(notify); }
    void SetMode(int mode) { m_mode.store(mode, std::memory_order_relaxed); }

    // Safe from any thread during an operation.
    void Cancel() { m_cancel.store(true, std::memory_order_release); }
    bool CancelRequested() const { return m_cancel.load(std::memory_order_acquire); }
    int Mode() const { return m_mode.load(std::memory_order_relaxed); }
    std::uint64_t StartTime() const { return m_startTime.load(std::memory_order_relaxed); }
    std::int64_t ByteCount() const { return m_byteCount.load(std::memory_order_relaxed); }
    std::int64_t Total() const { return m_total.load(std::memory_order_relaxed); }
    int BlockCount() const { return m_blockCount.load(std::memory_order_relaxed); }
    int RejectedCount() const { return m_rejectedCount.load(std::memory_order_relaxed); }
    int LastResult() const { return m_lastResult.load(std::memory_order_relaxed); }
    // Whole seconds since the operation began, by the engine's clock.
    std::uint32_t ElapsedSeconds() const;

    // After an operation (read once the worker has finished): why its file could not be
    // opened or created (results 6 and 7), empty otherwise; where a receive that failed kept
    // the data that did arrive, empty when none did; and how many other names (hard links) the
    // file that a receive replaced had.
    const std::string& FileProblem() const { return m_fileProblem; }
    const std::string& PartialFile() const { return m_receiveFile.KeptAt(); }
    const std::string& ReceivedFile() const { return m_receiveFile.Target(); }
    nlink_t ReplacedFileLinks() const { return m_receiveFile.OtherLinks(); }

private:
    enum class Fill { kNone, kLast, kFull };
    enum class Incoming { kEot, kGood, kDuplicate, kBad };
    static constexpr int kBlockSize = 128;
    static constexpr int kNoByte = -1;

    // The start shared by the three operations; a value when the operation already ended.
    // `lostResult` is what a vanished device makes of any failure.
    std::optional<int> Begin(int lostResult);
    bool OpenInput(const std::string& path);
    int End(int result);
    int Fail(int result);
    bool DeviceLost() const { return m_port->DeviceLost(); }
    bool Halted() const { return CancelRequested() || DeviceLost(); }
    void Notify();
    void ReadTotalSize();
    void SendByte(int byte);
    int WaitByte(int seconds);
    int WaitReply(int seconds);
    void PauseForInput();
    bool SleepWatchingDevice(std::uint32_t ms);
    std::uint32_t ReceivePurgeQuietMs() const;
    void Purge(std::uint32_t quietMs);
    Fill ReadBlock();
    void SendBlock();
    std::optional<int> ReceiveInterrupted();
    Incoming ReceiveBlock();
    bool ReceiveData();
    bool ReadTextPiece(std::string& piece);
    void AddByte(std::uint8_t byte);

    Clock& m_clock;
    std::atomic<int> m_mode{kModeCrc};
    int m_expectedBlockCount = 1;
    NotifyFn m_notify;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::uint64_t> m_startTime{0};
    std::atomic<std::int64_t> m_byteCount{0};
    std::atomic<std::int64_t> m_total{0};
    std::atomic<int> m_blockCount{0};
    std::atomic<int> m_rejectedCount{0};
    CSerialPort* m_port;
    int m_comPort;
    std::uint32_t m_rate;
    FilePtr m_file;  // transmit and text
    ReceiveFile m_receiveFile;
    std::string m_fileProblem;
    int m_lostResult = kXmodemUnknownError;
    std::atomic<int> m_lastResult{kXmodemSuccess};
    std::uint8_t m_checksum = 0;
    std::uint16_t m_crc = 0;
    std::uint8_t m_block[1024] = {};
    std::uint8_t m_blockNumber = 1;
    std::uint8_t m_blockComplement = 0xFE;
};

}  // namespace zentrip
