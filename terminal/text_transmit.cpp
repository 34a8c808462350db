// Raw text transmission: each line of a text file, then a carriage return, 50 ms apart.
#include "script/line_reader.h"
#include "terminal/xmodem.h"

namespace zentrip {

namespace {

constexpr std::size_t kMaxPiece = 1021;  // a line read with a buffer of 1022
constexpr std::uint32_t kLinePauseMs = 50;

}  // namespace

// The next line up to and including its line feed, at most 1021 characters, read as a text
// stream: a carriage return and line feed pair counts as one line feed. False at the end.
bool CXmodem::ReadTextPiece(std::string& piece) {
    piece.clear();
    zentrip::ReadTextPiece(m_file.get(), kMaxPiece, [&](char ch) { piece.push_back(ch); });
    return !piece.empty();
}

// A vanished device is noticed at the write that fails and during the pause after a line.
int CXmodem::TransmitText(const std::string& path) {
    if (auto ended = Begin(kXmodemTooManyRetries)) return *ended;
    if (!OpenInput(path)) return End(kXmodemCannotOpenTransmitFile);
    ReadTotalSize();
    std::string piece;
    while (ReadTextPiece(piece)) {
        for (char ch : piece) {
            if (ch != '\n') SendByte(ch);
            if (DeviceLost()) return Fail(kXmodemTooManyRetries);
        }
        SendByte('\r');
        if (DeviceLost()) return Fail(kXmodemTooManyRetries);
        ++m_blockCount;
        m_byteCount += static_cast<std::int64_t>(piece.size()) + 2;
        Notify();
        const bool present = SleepWatchingDevice(kLinePauseMs);
        if (CancelRequested()) return Fail(kXmodemCancelledByReceiver);
        if (!present) return Fail(kXmodemTooManyRetries);
        if (std::feof(m_file.get())) return End(kXmodemSuccess);
    }
    return End(kXmodemSuccess);
}

}  // namespace zentrip
