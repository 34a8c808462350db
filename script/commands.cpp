// The tool commands of program lines: define, wait, hide, SHOW, timeset7330 and timeset.
#include <cstdint>
#include <cstring>
#include <string>

#include "script/line_kind.h"
#include "script/preprocessor.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kLongestWaitMs = 0xFFFFFFFFu;

bool IsSpace(char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

// The wait's number read as a decimal integer (leading blanks, optional sign, digits up to
// the first other character; no digits is 0), in milliseconds. Negative waits nothing;
// beyond the 32-bit range waits the longest a 32-bit count allows.
std::uint32_t WaitMilliseconds(const char* text) {
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::uint64_t seconds = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        seconds = seconds * 10 + static_cast<std::uint64_t>(*text - '0');
        if (seconds > kLongestWaitMs) seconds = kLongestWaitMs;  // already past the limit
    }
    if (negative || seconds == 0) return 0;
    const std::uint64_t ms = seconds * 1000;
    return ms > kLongestWaitMs ? kLongestWaitMs : static_cast<std::uint32_t>(ms);
}

}  // namespace

bool CPreprocessor::ExecuteCommand(char* line) {
    // The command word and the define and wait parameters are counted after the '#'.
    const char* text = line[0] != '\0' ? line + 1 : line;
    char word[CTokenizer::kTokenSize];
    if (m_tokenizer.GetToken(text, word, 0) < 0) return true;
    switch (FindToolCommand(word)) {
        case ToolCommand::kDefine:
            return DefineCommand(text);
        case ToolCommand::kWait:
            return WaitCommand(text);
        case ToolCommand::kHide:
            m_hidden = true;
            return true;
        case ToolCommand::kShow:
            m_hidden = false;
            return true;
        case ToolCommand::kTimeSet7330:
            return TimeSetCommand(line, true);
        case ToolCommand::kTimeSet:
            return TimeSetCommand(line, false);
        case ToolCommand::kNone:
            break;
    }
    return true;
}

bool CPreprocessor::DefineCommand(const char* text) {
    char name[CTokenizer::kTokenSize];
    char value[CTokenizer::kTokenSize];
    if (m_tokenizer.GetToken(text, name, 1) < 0) {
        m_root->m_errorText.Set("Missing parameter 1 on DEFINE command");
        return false;
    }
    if (m_tokenizer.GetToken(text, value, 2) < 0) {
        m_root->m_errorText.Set("Missing parameter 2 on DEFINE command");
        return false;
    }
    return m_root->m_symbols->DefineSymbol(name, value) > 0;
}

bool CPreprocessor::WaitCommand(const char* text) {
    char seconds[CTokenizer::kTokenSize];
    if (m_tokenizer.GetToken(text, seconds, 1) < 0) {
        m_root->m_errorText.Set("Missing time parameter on WAIT command");
        return false;
    }
    const std::uint32_t ms = WaitMilliseconds(seconds);
    if (ms == 0) return true;
    if (const std::atomic<bool>* interrupt = m_root->m_waitInterrupt) {
        m_clock->InterruptibleSleepMs(ms, *interrupt);
    } else {
        m_clock->SleepMs(ms);
    }
    return true;
}

// Replaces the line by the controller's clock command: "%s 25 %s " with the password and the
// year, then month, day, weekday, hour, minute (and for the 7330 the second), then the suffix.
bool CPreprocessor::TimeSetCommand(char* line, bool is7330) {
    char password[CTokenizer::kTokenSize];
    if (m_tokenizer.GetToken(line, password, 1) < 0) {
        m_root->m_errorText.Set("Missing password parameter on TIMESET command");
        return false;
    }
    const LocalTime now = m_clock->LocalNow();
    std::string result = password;
    result += " 25 ";
    result += m_tokenizer.FormatDigits(now.year % 100, 2);
    result += ' ';
    result += m_tokenizer.FormatDigits(now.month, 2);
    result += m_tokenizer.FormatDigits(now.day, 2);
    result += m_tokenizer.FormatDigits(now.weekday, 1);
    result += m_tokenizer.FormatDigits(now.hour, 2);
    result += m_tokenizer.FormatDigits(now.minute, 2);
    if (is7330) {
        result += m_tokenizer.FormatDigits(now.second, 2);
        result += " * ;TIMESET for 7330 series controller commanded\r";
    } else {
        result += " * ;TIMESET for 7k series controller commanded\r";
    }
    const std::size_t room = static_cast<std::size_t>(m_lineLimit);
    const std::size_t length = result.size() < room ? result.size() : room;
    std::memcpy(line, result.data(), length);
    line[length] = '\0';
    return true;
}

}  // namespace zentrip
