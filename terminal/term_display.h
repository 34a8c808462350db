// The Mini Terminal's text: what arrives from the line and what local echo shows become the
// terminal's characters by fixed rules, shared by the window and the console terminal.
//
// The text counts 8-bit characters, a line break as CR LF (two of them), and is cut from more
// than kCutAbove characters to its last kKeep before more is added. A view shows it in display
// form: CR LF as one '\n', a CR or LF left without its partner (by a backspace, by the cut) as
// nothing. Views follow the text through TakeChange(), so they append instead of redrawing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentrip {

class CTermDisplay {
public:
    static constexpr std::size_t kCutAbove = 16384;
    static constexpr std::size_t kKeep = 12000;

    // What changed in display form since the last TakeChange(): characters removed from the
    // end, then characters appended. `reset` says the text was also cut at its start; a view
    // that keeps only what it shows then takes DisplayText() whole, while one that cannot take
    // back what it showed (a console) still applies the end's edits.
    struct Change {
        bool reset = false;
        std::size_t removed = 0;
        std::string appended;
    };

    // One chunk from the line; a zero byte ends it. A linePrefix (the time view's) goes before
    // every line the chunk begins: before its first byte that shows, a CR included.
    void ShowReceived(std::string_view chunk, std::string_view linePrefix = {});
    // One typed character while local echo is on.
    void Echo(char typed);

    const std::string& Text() const { return m_text; }
    // Whether what comes next starts a line: nothing shown yet, or a line break last.
    bool AtLineStart() const { return m_text.empty() || m_text.ends_with("\r\n"); }
    std::string DisplayText() const { return DisplayForm(m_text); }
    Change TakeChange();

    static std::string DisplayForm(std::string_view text);

private:
    void RemoveLast();
    void CutIfLong();
    void Append(std::string_view text);

    std::string m_text;
    Change m_change;
};

}  // namespace zentrip
