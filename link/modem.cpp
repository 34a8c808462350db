#include "link/modem.h"

#include <cctype>
#include <cstdio>

#include "link/open_failure.h"
#include "text/edit_writer.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kCommandPauseMs = 400;
constexpr std::uint32_t kHangUpPauseMs = 1000;
constexpr std::uint32_t kDialStepMs = 100;

bool IsToneCharacter(char ch) {
    const int upper = std::toupper(static_cast<unsigned char>(ch));
    return std::isdigit(upper) || (upper >= 'A' && upper <= 'F') || upper == ' ' || upper == '*';
}

std::string PortText(const char* format, int port) {
    char text[128];
    std::snprintf(text, sizeof text, format, port);
    return text;
}

}  // namespace

void CModem::InitModem(int port, std::string_view modemInitString) {
    CEditWriter writer;
    const bool opened = m_port.Open(port, kModemRate) != 0;
    if (opened) {
        writer.Append(m_host.EditorStatus(), PortText("Initializing modem on COM%d\r", port));
        m_port.WriteString("AT\r");
        m_clock.SleepMs(kCommandPauseMs);
        m_port.WriteString("ATS11=150\r");
        m_clock.SleepMs(kCommandPauseMs);
        m_port.WriteString("ATS8=1\r");
        m_clock.SleepMs(kCommandPauseMs);
        if (!modemInitString.empty()) {
            writer.Append(m_host.EditorStatus(), "Modem Init String:");
            writer.Append(m_host.EditorStatus(), modemInitString);
            writer.Append(m_host.EditorStatus(), "\r");
            m_port.WriteString(std::string(modemInitString));
            m_port.WriteString("\r");
            m_clock.SleepMs(kCommandPauseMs);
        }
        writer.Append(m_host.EditorStatus(), "Done.\r");
    }
    m_port.Close();
    if (!opened) {
        writer.Append(m_host.EditorStatus(),
                      PortText("Failed to open serial port COM%d. Can't\r\nprogram controller "
                               "under this condition!\r",
                               port));
        if (m_host.NamesOpenFailures()) {
            writer.Append(m_host.EditorStatus(), OpenFailureReason(m_port) + "\r");
        }
    }
}

void CModem::HangUp(int port) {
    // A device that is gone after opening gets no pause: nothing would be waited for.
    if (m_port.Open(port, kModemRate) && m_port.WriteString("AT\r")) {
        m_clock.SleepMs(kHangUpPauseMs);
        m_port.WriteString("ATH0\r");
    }
    m_port.Close();
}

void CModem::ToneDial(std::string& text) {
    std::size_t keep = 0;
    while (keep < text.size() && IsToneCharacter(text[keep])) ++keep;
    text.resize(keep);
    if (text.empty()) return;

    if (text.size() <= kDialPiece) {
        m_port.WriteString("ATDT ");
        text += ";\r";
        m_port.WriteString(text);
        DialWait(text.size());
        return;
    }
    // A long text goes out in pieces, each waited for as long as the whole text would take.
    for (std::size_t at = 0; at < text.size(); at += kDialPiece) {
        m_port.WriteString("ATDT ");
        m_port.WriteString(text.substr(at, kDialPiece));
        m_port.WriteString(";\r");
        DialWait(text.size());
    }
}

void CModem::DialWait(std::size_t length) {
    const std::size_t steps = 2 * length + 26;
    for (std::size_t i = 0; i < steps; ++i) {
        // Tones on a vanished device are never played; waiting for them would only delay
        // the run's report of the loss.
        if (m_port.DeviceLost()) return;
        m_clock.SleepMs(kDialStepMs);
        m_host.PumpMessages();
    }
}

}  // namespace zentrip
