#include "sim/hayes_modem.h"

#include <cctype>
#include <cstdio>

namespace zentrip::sim {

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Reads a decimal number at pos; -1 when there is none. Large values saturate, so a line of
// digits cannot overflow anything.
int ReadNumber(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || !std::isdigit(static_cast<unsigned char>(line[pos]))) return -1;
    int value = 0;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) {
        if (value < 100000) value = value * 10 + (line[pos] - '0');
        ++pos;
    }
    return value;
}

bool IsToneDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'D') || c == '*' ||
           c == '#';
}

}  // namespace

void HayesModem::Reset() {
    m_registers.fill(0);
    m_registers[2] = 43;   // escape character
    m_registers[3] = 13;   // CR
    m_registers[4] = 10;   // LF
    m_registers[5] = 8;    // backspace
    m_registers[6] = 2;    // wait for dial tone, s
    m_registers[7] = 50;   // wait for carrier, s
    m_registers[8] = 2;    // comma pause, s
    m_registers[10] = 14;  // carrier loss, 1/10 s
    m_registers[11] = 95;  // tone duration and spacing, ms
    m_registers[12] = 50;  // escape guard time, 1/50 s
    m_offHook = false;
}

std::string HayesModem::Tones() const {
    std::string all;
    for (const auto& dial : m_dials) all += dial.tones;
    return all;
}

void HayesModem::Line(std::string_view line, std::uint64_t nowMs, SimOutputs& out) {
    m_commands.emplace_back(line);
    std::string info;
    if (!Execute(line, nowMs, info)) {
        ++m_errors;
        out.push_back({"ERROR\r\n", 0});
        return;
    }
    out.push_back({info + "OK\r\n", 0});
}

bool HayesModem::Execute(std::string_view line, std::uint64_t nowMs, std::string& info) {
    if (line.size() < 2 || Upper(line[0]) != 'A' || Upper(line[1]) != 'T') return false;
    std::size_t pos = 2;
    while (pos < line.size()) {
        const char command = Upper(line[pos++]);
        switch (command) {
            case ' ':
                break;
            case 'D':
                Dial(line, line.substr(pos), nowMs);
                return true;  // the dial string takes the rest of the line
            case 'H': {
                const int hook = ReadNumber(line, pos);
                if (hook > 1) return false;
                m_offHook = hook == 1;
                break;
            }
            case 'S': {
                const int reg = ReadNumber(line, pos);
                if (reg < 0 || reg > 255 || pos >= line.size()) return false;
                if (line[pos] == '?') {
                    ++pos;
                    char text[16];
                    std::snprintf(text, sizeof text, "%03d\r\n",
                                  m_registers[static_cast<std::size_t>(reg)]);
                    info += text;
                    break;
                }
                if (line[pos++] != '=') return false;
                const int value = ReadNumber(line, pos);
                if (value > 255) return false;
                m_registers[static_cast<std::size_t>(reg)] = value < 0 ? 0 : value;
                break;
            }
            case 'Z':
                ReadNumber(line, pos);
                Reset();
                break;
            case '&': {
                if (pos >= line.size() || !std::isalpha(static_cast<unsigned char>(line[pos])))
                    return false;
                const char option = Upper(line[pos++]);
                ReadNumber(line, pos);
                if (option == 'F') Reset();
                break;
            }
            case 'E':
            case 'V':
            case 'Q':
            case 'M':
            case 'L':
            case 'X':
            case 'B':
            case 'C':
            case 'N':
            case 'W':
            case 'I':
                ReadNumber(line, pos);
                break;
            default:
                return false;
        }
    }
    return true;
}

void HayesModem::Dial(std::string_view line, std::string_view dialString, std::uint64_t nowMs) {
    DialRecord record{nowMs, std::string(line), {}, false, 0};
    bool tone = true;
    int commas = 0;
    for (const char raw : dialString) {
        const char c = Upper(raw);
        if (c == ';') {
            record.returnsToCommandMode = true;
            break;
        }
        if (c == 'T') {
            tone = true;
        } else if (c == 'P') {
            tone = false;
        } else if (c == ',') {
            ++commas;
        } else if (IsToneDigit(c) && (tone || std::isdigit(static_cast<unsigned char>(c)))) {
            record.tones += c;
        }
    }
    record.playMs =
        static_cast<std::uint32_t>(record.tones.size()) * 2u *
            static_cast<std::uint32_t>(m_registers[11]) +
        static_cast<std::uint32_t>(commas) * 1000u * static_cast<std::uint32_t>(m_registers[8]);
    m_offHook = true;
    m_dials.push_back(std::move(record));
}

}  // namespace zentrip::sim
