// The colours of one program line, decided by the preprocessor's own rules: its line kinds,
// tool command words, tokens and symbol table, and the rule by which the run sends a line.
#pragma once

#include <vector>

#include "script/symbol_table.h"

namespace zentrip {

enum class SpanKind {
    kComment,      // text the run never sends: a comment line, or a line's text from the ';'
                   // or '#' where sending stops
    kDirective,    // "#include" or "#define"
    kCommand,      // a tool command word (wait, hide, SHOW, timeset, timeset7330) or the
                   // run's "#session" and "#direct"
    kSymbol,       // a symbol that is replaced here, or the name a define line defines
    kIncludeName,  // the file an include line names, quotes included
    kSent          // from the first to the last character a line sends to the controller
};

// Columns count characters from the start of the line. Spans come in order of their start; a
// symbol span may lie inside the sent span of its line, and comes after it.
struct Span {
    int start = 0;
    int length = 0;
    SpanKind kind = SpanKind::kSent;
};

// Appends the spans of `line` (one piece as a run reads it, at most the run's read size) to
// `out`, with `symbols` as they stand before the line and the columns moved on by `column`.
// `symbols` is only read (its scratch space is used). A symbol that the length guard of a
// line near the read size leaves in place is still marked.
void AppendLineSpans(const char* line, CSymbolTable& symbols, int column, std::vector<Span>& out);

}  // namespace zentrip
