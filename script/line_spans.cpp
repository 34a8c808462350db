#include "script/line_spans.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "script/line_kind.h"
#include "script/preprocessor.h"
#include "script/sent_text.h"
#include "script/text_compare.h"

namespace zentrip {

namespace {

// The spans of one line; the line kind decides which parts are looked at.
class LineSpans {
public:
    LineSpans(const char* line, CSymbolTable& symbols, std::vector<Span>& out)
        : m_line(line), m_end(TextEnd(line)), m_symbols(symbols), m_out(out) {}

    void Collect() {
        switch (ClassifyLine(m_tokenizer, m_line)) {
            case LineKind::kInclude:
                AddToken(0, 0, SpanKind::kDirective);
                AddToken(0, 1, SpanKind::kIncludeName);
                break;
            case LineKind::kComment:
                Sent(false);
                break;
            case LineKind::kDefine:
                // Executed only when its '#' comes first; else it is neither substituted nor
                // executed, and sending stops at the '#'.
                if (m_line[0] == '#') Command();
                if (m_line[0] != '#') Sent(false);
                break;
            case LineKind::kCommand:
                Command();
                break;
            case LineKind::kOther:
                Sent(true);
                break;
        }
    }

private:
    // The line's text without the line end.
    static int TextEnd(const char* line) {
        int end = static_cast<int>(std::strlen(line));
        while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
        return end;
    }

    void Add(int start, int end, SpanKind kind) {
        end = std::min(end, m_end);
        if (end > start) m_out.push_back({start, end - start, kind});
    }

    // Token `index` of the text from `offset` on, in line columns; empty when there is none.
    TokenPlace Token(int offset, int index) const {
        TokenPlace place;
        if (!m_tokenizer.FindToken(m_line + offset, index, &place)) return {};
        return {place.start + offset, place.begin + offset, place.end + offset,
                place.next + offset};
    }

    void AddToken(int offset, int index, SpanKind kind) {
        const TokenPlace place = Token(offset, index);
        Add(place.start, place.next, kind);
    }

    void AddDropped(int from) { Add(from, m_end, SpanKind::kComment); }

    bool IsSymbolAt(const TokenPlace& place) {
        return place.end > place.begin &&
               m_symbols.IsSymbolRun(
                   {m_line + place.begin, static_cast<std::size_t>(place.end - place.begin)});
    }

    // A '#' line: substituted first, so a command word that is a symbol is no command.
    void Command() {
        const TokenPlace word = Token(1, 0);
        const std::string_view text(m_line + word.begin,
                                    static_cast<std::size_t>(word.end - word.begin));
        const ToolCommand command = IsSymbolAt(word) ? ToolCommand::kNone : FindToolCommand(text);
        if (command == ToolCommand::kDefine) {
            Add(0, word.next, SpanKind::kDirective);
            const TokenPlace name = Token(1, 1);
            if (!IsSymbolAt(name)) Add(name.start, name.next, SpanKind::kSymbol);
        } else if (command != ToolCommand::kNone) {
            Add(0, word.next, SpanKind::kCommand);
        } else if (!IsSymbolAt(word) && IsSessionLine(m_line)) {
            Add(0, 8, SpanKind::kCommand);
        } else if (!IsSymbolAt(word) && StartsWithNoCase(m_line, "#direct")) {
            Add(0, 7, SpanKind::kCommand);
        }
        AddSymbols(0, m_end);
    }

    // The symbols that substitution replaces in [from, to).
    void AddSymbols(int from, int to) {
        for (int i = from; i < to;) {
            const int run = RunEnd(i);
            if (run > i && m_symbols.IsSymbolRun(RunText(i, run))) Add(i, run, SpanKind::kSymbol);
            i = run > i ? run : i + 1;
        }
    }

    int RunEnd(int i) const {
        while (i < m_end && CTokenizer::IsIdentifierChar(m_line[i])) ++i;
        return i;
    }

    std::string_view RunText(int begin, int end) const {
        return {m_line + begin, static_cast<std::size_t>(end - begin)};
    }

    // How a stretch of the line is sent: some character of it goes out; sending ends in it.
    struct Sending {
        bool sends = false;
        bool ends = false;
    };

    // A line the run may send: what it sends, the symbols in that part, and what it drops. A
    // comment line sends what comes before its ';' (bytes that separate tokens but are no
    // blanks). In a substituted line a symbol is sent as what it expands to.
    void Sent(bool substituted) {
        int first = -1;
        int last = -1;
        for (int i = 0; i < m_end;) {
            const int run = RunEnd(i);
            const int next = run > i ? run : i + 1;
            Sending sending{true, false};
            if (run == i) {
                const SentChar kind = ClassifySentChar(m_line[i]);
                sending = {kind == SentChar::kSent, kind == SentChar::kEnd};
            } else if (substituted && m_symbols.IsSymbolRun(RunText(i, run))) {
                Add(i, run, SpanKind::kSymbol);
                sending = ExpansionSending(RunText(i, run));
            }
            if (sending.sends) {
                if (first < 0) first = i;
                last = next;
            }
            if (sending.ends) {
                AddDropped(run > i ? run : i);
                break;
            }
            i = next;
        }
        if (first >= 0) Add(first, last, SpanKind::kSent);
    }

    Sending ExpansionSending(std::string_view run) {
        char expanded[CPreprocessor::kRunReadSize + 1];
        std::memcpy(expanded, run.data(), run.size());
        expanded[run.size()] = '\0';
        m_symbols.SubstituteSymbols(expanded, CPreprocessor::kRunReadSize);
        Sending sending;
        for (const char* ch = expanded; *ch != '\0' && !sending.ends; ++ch) {
            const SentChar kind = ClassifySentChar(*ch);
            sending.sends = sending.sends || kind == SentChar::kSent;
            sending.ends = kind == SentChar::kEnd;
        }
        return sending;
    }

    CTokenizer m_tokenizer;
    const char* m_line;
    int m_end;
    CSymbolTable& m_symbols;
    std::vector<Span>& m_out;
};

}  // namespace

void AppendLineSpans(const char* line, CSymbolTable& symbols, int column, std::vector<Span>& out) {
    const std::size_t first = out.size();
    LineSpans(line, symbols, out).Collect();
    for (std::size_t i = first; i < out.size(); ++i) out[i].start += column;
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
              [](const Span& a, const Span& b) {
                  return a.start < b.start || (a.start == b.start && a.length > b.length);
              });
}

}  // namespace zentrip
