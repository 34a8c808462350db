// The Mini Terminal on a text console, both ways. ConsoleScreen turns the changes of the
// terminal's text (CTermDisplay) into console output: characters appended are written, ones
// taken back by a backspace are erased, a line break included. Control characters from the
// line show as ^X (C1 codes as <9B>), so bytes from the device never drive the console
// itself; Latin-1 shows as UTF-8 on a UTF-8 console. ConsoleKeys turns what the keyboard gives
// into the bytes the window would send: the erase key as BS, and on a UTF-8 console each
// character as its Latin-1 code (characters outside Latin-1 are not sent).
#pragma once

#include <string>
#include <string_view>

#include "terminal/term_display.h"

namespace zentrip {

class ConsoleScreen {
public:
    explicit ConsoleScreen(bool utf8) : m_utf8(utf8) {}

    // What to write to the console for one change of the terminal's text.
    std::string Render(const CTermDisplay::Change& change);
    // Something else was written since (a message on a line of its own): erasing stops there.
    void StartAfresh() { m_shown.clear(); }

private:
    std::string Cell(char c, std::size_t column) const;
    std::size_t Advance(char c, std::size_t column) const;
    std::size_t EndColumn() const;

    bool m_utf8;
    std::string m_shown;  // the display form shown since the last fresh start, bounded
};

class ConsoleKeys {
public:
    ConsoleKeys(bool utf8, char eraseKey) : m_utf8(utf8), m_eraseKey(eraseKey) {}

    // The bytes to send for what the keyboard gave; a character split across reads is kept.
    std::string Translate(std::string_view typed);

private:
    bool m_utf8;
    char m_eraseKey;
    std::string m_partial;  // the start of a UTF-8 character still to come
};

}  // namespace zentrip
