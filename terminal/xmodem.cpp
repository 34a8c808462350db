#include "terminal/xmodem.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/serial_line_mode.h"
#include "platform/transfer_input.h"
#include "terminal/crc16.h"

namespace zentrip {

namespace {

constexpr int kSoh = 0x01;
constexpr int kEot = 0x04;
constexpr int kAck = 0x06;
constexpr int kNak = 0x15;
constexpr int kCan = 0x18;
constexpr int kCrcRequest = 'C';

constexpr int kPollMs = 20;
constexpr std::uint32_t kPurgeQuietMs = 10;
// A receive's purge waits for the tail of a damaged block to pass. Its bytes follow one
// another a character time apart (10 bits on an 8N1 line), but what hands them over makes
// longer gaps: a UART gives them in bursts of up to 8 (the usual receive FIFO trigger level),
// a sender's scheduling and an adapter add jitter. Nine character times outlast such a gap;
// from 9600 bps up they are less than the 10 ms that hold there.
constexpr std::uint64_t kPurgeQuietChars = 9;
constexpr int kPurgeRounds = 99;
constexpr int kPurgeReadsPerRound = 64;
constexpr int kHandshakeWaits = 90;
constexpr int kReplyWaits = 90;
constexpr int kMaxSendsPerBlock = 11;
constexpr int kEotTries = 5;
constexpr int kEotWaitSeconds = 10;
constexpr int kMaxFailuresInRow = 10;
// Senders take a cancel only from two CANs in a row, so that line noise cannot end a transfer.
constexpr int kCancelsAfterWriteError = 2;

}  // namespace

CXmodem::CXmodem(CSerialPort* port, int comPort, std::uint32_t rate, Clock& clock)
    : m_clock(clock), m_port(port), m_comPort(comPort), m_rate(rate) {
    if (m_port) m_port->Close();
}

CXmodem::~CXmodem() = default;

std::uint32_t CXmodem::ElapsedSeconds() const {
    return static_cast<std::uint32_t>((m_clock.TickMs() - StartTime()) / 1000);
}

std::optional<int> CXmodem::Begin(int lostResult) {
    if (!m_port) {
        m_lastResult = kXmodemNoPort;
        return kXmodemNoPort;
    }
    m_lostResult = lostResult;
    m_fileProblem.clear();
    m_cancel.store(false, std::memory_order_release);
    // Reopened without the reader thread: the engine reads the device itself. A failed open
    // is not reported here; the operation then ends through its time-outs.
    m_port->Close();
    m_port->Open(m_comPort, m_rate);
    m_startTime = m_clock.TickMs();
    m_byteCount = 0;
    m_total = 0;
    m_blockCount = 0;
    m_rejectedCount = 0;
    Notify();
    return std::nullopt;
}

bool CXmodem::OpenInput(const std::string& path) {
    m_file = OpenTransferInput(path, &m_fileProblem);
    return m_file != nullptr;
}

int CXmodem::End(int result) {
    m_file.reset();
    m_receiveFile.Abandon();  // a receive that succeeded has put its file in place already
    m_lastResult = result;
    return result;
}

int CXmodem::Fail(int result) { return End(DeviceLost() ? m_lostResult : result); }

void CXmodem::Notify() {
    if (m_notify) m_notify();
}

// A FIFO or a device has no size to tell.
void CXmodem::ReadTotalSize() {
    struct stat info {};
    const bool sized = fstat(fileno(m_file.get()), &info) == 0 && S_ISREG(info.st_mode);
    m_total = sized ? info.st_size : 0;
    Notify();
}

void CXmodem::SendByte(int byte) { m_port->WriteByte(static_cast<char>(byte)); }

// Gives up on cancel, on a vanished device (after what arrived before it) and at the deadline.
int CXmodem::WaitByte(int seconds) {
    const std::uint64_t deadline = m_clock.TickMs() + static_cast<std::uint64_t>(seconds) * 1000;
    for (;;) {
        if (CancelRequested()) return kNoByte;
        char ch = 0;
        if (m_port->ReadByte(&ch)) return static_cast<std::uint8_t>(ch);
        if (DeviceLost()) return kNoByte;
        PauseForInput();
        if (m_clock.TickMs() > deadline) return kNoByte;
    }
}

// Up to `seconds` one-second waits for the peer's first byte; stops early on cancel or loss.
int CXmodem::WaitReply(int seconds) {
    for (int i = 0; i < seconds && !Halted(); ++i) {
        const int byte = WaitByte(1);
        if (byte != kNoByte) return byte;
    }
    return kNoByte;
}

// One poll interval: wakes early when input arrives or the device vanishes. A closed device
// cannot wait and returns at once, so the rest of the interval is slept to keep the pace of
// the time-outs.
void CXmodem::PauseForInput() {
    const std::uint64_t before = m_clock.TickMs();
    if (m_port->WaitReadable(kPollMs) || DeviceLost()) return;
    const std::uint64_t waited = m_clock.TickMs() - before;
    if (waited < kPollMs) m_clock.SleepMs(static_cast<std::uint32_t>(kPollMs - waited));
}

// Sleeps ms; a pause longer than one poll interval looks at the device after each interval,
// so a vanished device cuts it short. False when the device is lost.
bool CXmodem::SleepWatchingDevice(std::uint32_t ms) {
    for (;;) {
        const std::uint32_t slice = std::min<std::uint32_t>(ms, kPollMs);
        m_clock.SleepMs(slice);
        ms -= slice;
        if (ms == 0 || DeviceLost()) return !DeviceLost();
        m_port->WaitReadable(0);  // a hang-up shows here
    }
}

std::uint32_t CXmodem::ReceivePurgeQuietMs() const {
    if (m_rate == 0) return kPurgeQuietMs;
    const std::uint64_t chars = (kPurgeQuietChars * kBitsPerCharacter * 1000 + m_rate - 1) / m_rate;
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(kPurgeQuietMs, chars));
}

// Discards what the peer is still sending: every round takes all waiting bytes, and a round
// of quietMs without a byte ends it. Taking one byte per round could never drain a block.
void CXmodem::Purge(std::uint32_t quietMs) {
    char sink[1024];
    for (int round = 0; round < kPurgeRounds; ++round) {
        if (!SleepWatchingDevice(quietMs)) return;
        // Everything waiting, but bounded, so a line that never stops talking cannot hold us.
        int taken = 0;
        for (int reads = 0; reads < kPurgeReadsPerRound; ++reads) {
            const int n = m_port->Read(sink, sizeof sink);
            taken += n;
            if (n < static_cast<int>(sizeof sink)) break;
        }
        if (taken == 0) return;
    }
}

void CXmodem::AddByte(std::uint8_t byte) {
    m_checksum = static_cast<std::uint8_t>(m_checksum + byte);
    m_crc = Crc16Update(m_crc, byte);
}

CXmodem::Fill CXmodem::ReadBlock() {
    m_checksum = 0;
    m_crc = 0;
    const std::size_t n = std::fread(m_block, 1, kBlockSize, m_file.get());
    if (n == 0) return Fill::kNone;
    std::memset(m_block + n, 0, kBlockSize - n);
    for (int i = 0; i < kBlockSize; ++i) AddByte(m_block[i]);
    return n < kBlockSize ? Fill::kLast : Fill::kFull;
}

// One write call for the whole block.
void CXmodem::SendBlock() {
    std::array<std::uint8_t, 3 + kBlockSize + 2> frame{};
    frame[0] = kSoh;
    frame[1] = m_blockNumber;
    frame[2] = m_blockComplement;
    std::memcpy(frame.data() + 3, m_block, kBlockSize);
    std::size_t size = 3 + kBlockSize;
    if (Mode() == kModeChecksum) {
        frame[size++] = m_checksum;
    } else {
        frame[size++] = static_cast<std::uint8_t>(m_crc >> 8);
        frame[size++] = static_cast<std::uint8_t>(m_crc & 0xFF);
    }
    m_port->Write(frame.data(), static_cast<std::uint32_t>(size));
}

int CXmodem::Transmit(const std::string& path) {
    if (auto ended = Begin(kXmodemTooManyRetries)) return *ended;
    if (!OpenInput(path)) return End(kXmodemCannotOpenTransmitFile);
    ReadTotalSize();
    m_blockNumber = 1;
    m_blockComplement = 0xFE;

    int first = kNoByte;
    for (int i = 0; i < kHandshakeWaits && first == kNoByte && !Halted(); ++i) {
        Notify();
        first = WaitByte(1);
    }
    if (first == kNoByte) return Fail(kXmodemNoResponse);
    if (first == kCan) return End(kXmodemCancelledByReceiver);
    SetMode(first == kCrcRequest ? kModeCrc : kModeChecksum);

    for (;;) {
        const Fill fill = ReadBlock();
        Purge(kPurgeQuietMs);
        if (fill == Fill::kNone) break;
        for (int attempts = 0;; ++attempts) {
            if (attempts >= kMaxSendsPerBlock || Halted()) return Fail(kXmodemTooManyRetries);
            SendBlock();
            ++m_blockCount;
            Notify();
            const int reply = WaitReply(kReplyWaits);
            if (reply == kNoByte) return Fail(kXmodemNoBlockResponse);
            if (reply == kCan) return End(kXmodemCancelledByReceiver);
            if (reply == kAck) break;
            ++m_rejectedCount;
            Notify();
        }
        m_byteCount += kBlockSize;
        Notify();
        if (fill == Fill::kLast) break;
        ++m_blockNumber;
        --m_blockComplement;
    }

    m_file.reset();
    for (int i = 0; i < kEotTries && !DeviceLost(); ++i) {
        SendByte(kEot);
        if (WaitByte(kEotWaitSeconds) == kAck) return End(kXmodemSuccess);
    }
    return Fail(kXmodemNoEotAck);
}

int CXmodem::Receive(const std::string& path) {
    if (auto ended = Begin(kXmodemTooManyReceiveTries)) return *ended;
    if (!m_receiveFile.Open(path)) {
        m_fileProblem = m_receiveFile.Problem();
        return End(kXmodemCannotCreateReceiveFile);
    }
    m_expectedBlockCount = 1;
    m_blockNumber = 1;
    m_blockComplement = 0xFE;
    SendByte(kCrcRequest);

    int failuresInRow = 0;
    for (;;) {
        if (auto ended = ReceiveInterrupted()) return *ended;
        const Incoming incoming = ReceiveBlock();
        if (auto ended = ReceiveInterrupted()) return *ended;
        switch (incoming) {
            case Incoming::kEot:
                // A failed close loses buffered data: not a success, and the sender is not told.
                if (!m_receiveFile.Finish()) return Fail(kXmodemWriteError);
                SendByte(kAck);
                // An acknowledgement that never left is no success either.
                if (DeviceLost()) return Fail(kXmodemTooManyReceiveTries);
                if (!m_receiveFile.Commit()) return Fail(kXmodemWriteError);
                return End(kXmodemSuccess);
            case Incoming::kGood:
                ++m_expectedBlockCount;
                ++m_blockNumber;
                --m_blockComplement;
                ++m_blockCount;
                m_byteCount += kBlockSize;
                m_total += kBlockSize;
                Notify();
                // Flushed per block so that a full disk shows at the block that did not fit.
                if (std::fwrite(m_block, 1, kBlockSize, m_receiveFile.Stream()) < kBlockSize ||
                    std::fflush(m_receiveFile.Stream()) != 0) {
                    // Told, so that the sender stops now instead of waiting out its time-outs.
                    for (int i = 0; i < kCancelsAfterWriteError; ++i) SendByte(kCan);
                    return Fail(kXmodemWriteError);
                }
                SendByte(kAck);
                failuresInRow = 0;
                break;
            case Incoming::kDuplicate:
                // Our ACK of it was lost: acknowledge again, keep the one copy already written.
                SendByte(kAck);
                break;
            case Incoming::kBad:
                if (++failuresInRow > kMaxFailuresInRow) return Fail(kXmodemTooManyReceiveTries);
                Purge(ReceivePurgeQuietMs());
                ++m_rejectedCount;
                Notify();
                SendByte(m_expectedBlockCount == 1 ? kCrcRequest : kNak);
                break;
        }
    }
}

// A cancel (the sender is told with CAN) or a vanished device ends the receive.
std::optional<int> CXmodem::ReceiveInterrupted() {
    if (DeviceLost()) return Fail(kXmodemTooManyReceiveTries);
    if (!CancelRequested()) return std::nullopt;
    SendByte(kCan);
    return Fail(kXmodemTooManyReceiveTries);
}

CXmodem::Incoming CXmodem::ReceiveBlock() {
    int first = kNoByte;
    for (int i = 0; i < 2 && first == kNoByte && !Halted(); ++i) {
        first = WaitByte(1);
        Notify();
    }
    if (first == kNoByte) return Incoming::kBad;
    if (first == kEot) {
        // A damaged block header can look like EOT; the rest of that block then follows within
        // the one-second byte time. Only an EOT followed by silence ends the file.
        return WaitByte(1) == kNoByte && !Halted() ? Incoming::kEot : Incoming::kBad;
    }
    if (first != kSoh) return Incoming::kBad;

    const int number = WaitByte(1);
    if (number == kNoByte) return Incoming::kBad;
    const bool duplicate =
        m_expectedBlockCount > 1 && number == static_cast<std::uint8_t>(m_blockNumber - 1);
    if (number != m_blockNumber && !duplicate) return Incoming::kBad;
    const int complement = WaitByte(1);
    if (complement != 0xFF - number) return Incoming::kBad;
    if (!ReceiveData()) return Incoming::kBad;
    return duplicate ? Incoming::kDuplicate : Incoming::kGood;
}

// The 128 data bytes and the CRC, high byte first.
bool CXmodem::ReceiveData() {
    m_checksum = 0;
    m_crc = 0;
    for (int i = 0; i < kBlockSize; ++i) {
        if (Halted()) return false;
        const int byte = WaitByte(1);
        if (byte == kNoByte) return false;
        m_block[i] = static_cast<std::uint8_t>(byte);
        AddByte(m_block[i]);
    }
    if (WaitByte(1) != (m_crc >> 8)) return false;
    if (Halted()) return false;
    return WaitByte(1) == (m_crc & 0xFF);
}

}  // namespace zentrip
