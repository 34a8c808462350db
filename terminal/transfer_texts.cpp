#include "terminal/transfer_texts.h"

#include "terminal/term_texts.h"
#include "text/format_text.h"

namespace zentrip {

const char* TransferTitle(TransferMode mode, int engineMode) {
    switch (mode) {
        case TransferMode::kXmodemTransmit:
            if (engineMode == CXmodem::kModeCrc) return "XMODEM Transmit (CRC Mode)";
            if (engineMode == CXmodem::kModeChecksum) return "XMODEM Transmit (Checksum Mode)";
            return "XMODEM Transmit (Automatic Mode Selection)";
        case TransferMode::kXmodemReceive:
            return "XMODEM Receive (CRC Mode)";
        case TransferMode::kTextTransmit:
            break;
    }
    return "Raw Text Transmission";
}

std::string TransferProgressText(TransferMode mode, const std::string& path,
                                 const CXmodem& engine) {
    const auto bytes = static_cast<long long>(engine.ByteCount());
    const unsigned seconds = engine.ElapsedSeconds();
    switch (mode) {
        case TransferMode::kXmodemTransmit:
            return Format(
                "     XMODEM TRANSMIT PROGRESS\r\n\r\nFile Being Sent: %s\r\nBlocks Sent: "
                "%d\r\nBlocks Rejected: %d\r\nBytes Sent: %lld\r\nTotal Time (Seconds): %u\r\n",
                path.c_str(), engine.BlockCount(), engine.RejectedCount(), bytes, seconds);
        case TransferMode::kXmodemReceive:
            return Format(
                "     XMODEM RECEIVE PROGRESS\r\n\r\nFile Being Received: %s\r\nBlocks Received: "
                "%d\r\nBlocks Rejected: %d\r\nBytes Received: %lld\r\nTotal Time (Seconds): %u\r\n",
                path.c_str(), engine.BlockCount(), engine.RejectedCount(), bytes, seconds);
        case TransferMode::kTextTransmit:
            return Format(
                "     TEXT TRANSMIT PROGRESS\r\n\r\nFile Being Sent: %s\r\nLines Sent: "
                "%d\r\nApprox "
                "Chars Sent: %lld\r\nTime Elapsed: %u",
                path.c_str(), engine.BlockCount(), bytes, seconds);
    }
    return {};
}

std::string TransferEndLine(TransferMode mode, int result, const std::string& path) {
    if (result != kXmodemSuccess) {
        return Format("*** ERROR %d: %s. ***", result, XmodemResultText(result));
    }
    switch (mode) {
        case TransferMode::kXmodemTransmit:
            return "Transfer completed successfully!";
        case TransferMode::kXmodemReceive:
            return Format("Transfer of \"%s\" completed successfully!", path.c_str());
        case TransferMode::kTextTransmit:
            break;
    }
    return "Text transmission completed!";
}

std::string TransferLostLine(const std::string& path, const std::string& reason) {
    return "*** " + DeviceLostText(path, reason) + ". ***";
}

std::vector<std::string> TransferFileLines(TransferMode mode, int result, const std::string& path,
                                           const CXmodem& engine) {
    std::vector<std::string> lines;
    if (!engine.FileProblem().empty()) lines.push_back(path + ": " + engine.FileProblem());
    if (mode != TransferMode::kXmodemReceive) return lines;
    if (!engine.PartialFile().empty()) {
        lines.push_back("The data that did arrive is kept in " + engine.PartialFile() + ".");
    }
    const auto links = static_cast<unsigned long>(engine.ReplacedFileLinks());
    if (result == kXmodemSuccess && links == 1) {
        lines.push_back("The other name of " + engine.ReceivedFile() +
                        " (a hard link) keeps the old content.");
    } else if (result == kXmodemSuccess && links > 1) {
        lines.push_back(Format("The %lu other names of %s (hard links) keep the old content.",
                               links, engine.ReceivedFile().c_str()));
    }
    return lines;
}

}  // namespace zentrip
