#include "text/edit_writer.h"

#include <string>

namespace zentrip {

void CEditWriter::Append(TextSink& sink, std::string_view text) {
    std::string insert;
    for (char ch : text) {
        if (ch == '\n') continue;
        if (ch == '\r') {
            insert += "\r\n";
        } else if (ch == '\b') {
            if (!insert.empty()) {
                insert.pop_back();
            } else if (const std::size_t length = sink.Length(); length > 0) {
                sink.SetSelection(length - 1, length);
                sink.ScrollCaret();
                sink.ClearSelection();
            }
        } else {
            insert += ch;
        }
    }
    // Past the threshold each append first cuts the text back to its 128000 most recent
    // characters, so the control holds about that many.
    if (sink.Length() > kTrimThreshold) {
        const std::string whole = sink.Text();
        if (whole.size() > kKeptLength)
            sink.SetText(std::string_view(whole).substr(whole.size() - kKeptLength));
    }
    const std::size_t end = sink.Length();
    sink.SetSelection(end, end);
    sink.ScrollCaret();
    sink.ReplaceSelection(insert);
}

}  // namespace zentrip
