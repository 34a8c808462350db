#include "link/remote_session.h"

#include <cctype>
#include <cstdint>

#include "script/tokenizer.h"
#include "text/edit_writer.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kOffHookPauseMs = 1000;
constexpr std::uint32_t kAnswerWaitMs = 15000;

// The leading decimal number of a token, as the C library reads it; 0 without one. Only the
// last digits of ten times the value reach the controller, so the value is kept below 10^9,
// which leaves those digits (and a sign among them) as they would be.
int LeadingNumber(const std::string& token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    std::int64_t value = 0;
    for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i)
        value = (value * 10 + (token[i] - '0')) % 100000000;
    return static_cast<int>(negative ? -value : value);
}

std::string Token(const CTokenizer& tokenizer, std::string_view line, int index, bool* found) {
    const std::string text(line);
    char out[CTokenizer::kTokenSize] = {};
    *found = tokenizer.GetToken(text.c_str(), out, index) >= 0;
    return out;
}

}  // namespace

std::string AdditionalTimeCommand(const SessionState& state) {
    return state.m_password + " 79 030 *";
}

std::string CloseSessionCommand(const SessionState& state) {
    return state.m_password + " 79 001 *";
}

void OpenRemoteSession(std::string_view line, SessionState& state, CSerialPort& port, CModem& modem,
                       Clock& clock, LinkHost& host) {
    CEditWriter writer;
    TextSink& editor = host.EditorStatus();
    writer.Append(editor, line);
    if (state.m_sessionInProgress) {
        writer.Append(editor, "\r** Error: Remote session already in progress.\r");
        return;
    }

    CTokenizer tokenizer;
    bool found = false;
    state.m_password.clear();
    std::string password = Token(tokenizer, line, 1, &found);
    if (!found) {
        writer.Append(editor, "** ERROR: Control operator password missing. **\r");
        return;
    }
    // A password or number cut to fit would open the wrong controller or dial the wrong
    // number without a word; such a line is refused instead.
    if (password.size() > SessionState::kPasswordLength) {
        writer.Append(editor,
                      "** ERROR: Control operator password longer than 31 characters. **\r");
        return;
    }
    state.m_password = password;
    const std::string number = Token(tokenizer, line, 2, &found);
    if (!found) {
        writer.Append(editor, "** ERROR: Telephone number missing. **\r");
        return;
    }
    if (number.size() > SessionState::kNumberLength) {
        writer.Append(editor, "** ERROR: Telephone number longer than 63 characters. **\r");
        return;
    }
    std::string minutes = Token(tokenizer, line, 3, &found);
    if (!found) minutes.assign(1, '3');
    if (minutes.size() > SessionState::kMinutesLength) minutes.resize(SessionState::kMinutesLength);

    writer.Append(editor, "Dialing controller @ ");
    writer.Append(editor, number);
    port.WriteString("ATH1\r");
    clock.SleepMs(kOffHookPauseMs);
    std::string dial = "ATDT ";
    dial.append(number).append(";\r");
    port.WriteString(dial);
    writer.Append(editor, "\rWaiting for answer...\r");
    clock.SleepMs(kAnswerWaitMs);
    writer.Append(editor, "Requesting time - ");
    writer.Append(editor, minutes);
    writer.Append(editor, " minutes.\r");

    std::string request = state.m_password;
    request.append("79")
        .append(tokenizer.FormatDigits(LeadingNumber(minutes) * 10, 3))
        .append(" *");
    modem.ToneDial(request);
    state.m_sessionInProgress = true;
    state.m_remoteSession = true;
}

}  // namespace zentrip
