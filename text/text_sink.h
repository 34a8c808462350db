// TextSink: a multi-line text control as the logic sees it (the results pane, the source
// editor). The window, the command line and the tests each give one; CEditWriter writes
// progress text through it, the editor operations read and restore text and selection.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace zentrip {

class TextSink {
public:
    virtual ~TextSink() = default;

    virtual std::size_t Length() const = 0;
    virtual std::string Text() const = 0;
    // Replaces the whole text; the selection becomes empty at the start.
    virtual void SetText(std::string_view text) = 0;
    // Characters [start, end); start == end places the caret. Out-of-range values are clamped.
    virtual void SetSelection(std::size_t start, std::size_t end) = 0;
    virtual void GetSelection(std::size_t* start, std::size_t* end) const = 0;
    virtual void ScrollCaret() = 0;
    // Deletes the selected characters.
    virtual void ClearSelection() = 0;
    // Replaces the selection (or inserts at the caret) and leaves the caret after the text.
    virtual void ReplaceSelection(std::string_view text) = 0;
    // The program text of characters [start, end): a sink that shows Zentrip's own status
    // lines apart from the user's program leaves them out.
    virtual std::string ProgramText(std::size_t start, std::size_t end) const {
        const std::string text = Text();
        start = std::min(start, text.size());
        return text.substr(start, std::min(end, text.size()) - start);
    }
};

}  // namespace zentrip
