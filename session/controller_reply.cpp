#include "session/controller_reply.h"

#include <cctype>
#include <cstdint>

#include "script/sent_text.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kEchoDelayMs = 20;
constexpr std::uint32_t kPollMs = 5;
constexpr int kEchoPolls = 255;
constexpr int kReplySize = 62;

bool EqualsOkIgnoringCase(std::string_view text) {
    return text.size() == 2 && std::toupper(static_cast<unsigned char>(text[0])) == 'O' &&
           std::toupper(static_cast<unsigned char>(text[1])) == 'K';
}

}  // namespace

int SendLineDirect(CSerialPort& port, Clock& clock, std::string_view line, std::string* verdict) {
    bool sent = false;
    for (char ch : line) {
        const SentChar kind = ClassifySentChar(ch);
        if (kind == SentChar::kSkipped) continue;
        if (kind == SentChar::kEnd) break;
        port.WriteByte(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
        sent = true;
    }
    if (!sent) return 1;
    port.WriteByte('\r');
    clock.SleepMs(kEchoDelayMs);

    // The echo's content does not matter, only where it ends; a vanished device ends the
    // wait at once instead of polling nothing for a second and more.
    for (int poll = 0; poll < kEchoPolls && !port.DeviceLost(); ++poll) {
        clock.SleepMs(kPollMs);
        char ch = 0;
        if (port.ReadByte(&ch) == 1 && ch == '\n') break;
    }

    char reply[kReplySize];
    const int received = port.Read(reply, kReplySize);
    if (received < 3) {
        *verdict = kNoAnswerVerdict;
        return 0;
    }
    std::string_view text(reply, static_cast<std::size_t>(received));
    text = text.substr(0, text.find_first_of("\r\n"));
    if (EqualsOkIgnoringCase(text)) return 1;
    *verdict = "Controller Reported " + std::string(text);
    return 0;
}

}  // namespace zentrip
