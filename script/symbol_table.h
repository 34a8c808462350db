// CSymbolTable: the run's name/value pairs from define commands, and their substitution into
// lines. Up to 10000 symbols, never removed or changed; definition order decides everything.
//
// Substitution gives exactly the result of trying every symbol on the line in definition
// order, but only tries the symbols that can change it. A name is made of identifier
// characters, so it is replaced only where it equals (ignoring ASCII case) a maximal run of
// identifier characters in the line; a symbol without such a run at its turn changes
// nothing. Names are therefore indexed by their case-folded text, and a line's runs (and
// later the runs inside each inserted value) select the symbols to try, in definition order.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/error_text.h"
#include "script/tokenizer.h"

namespace zentrip {

class CSymbolTable {
public:
    static constexpr int kCapacity = 10000;

    // Rule failures are written into `errorText` (the root scope's).
    explicit CSymbolTable(ErrorText& errorText);
    ~CSymbolTable();
    CSymbolTable(const CSymbolTable&) = delete;
    CSymbolTable& operator=(const CSymbolTable&) = delete;

    // The new count (1..10000), or 0 when a naming rule refused the name.
    int DefineSymbol(const char* name, const char* value);
    // Rewrites `line` in place; its buffer holds at least maxLength + 1 characters.
    void SubstituteSymbols(char* line, int maxLength);

    // Whether SubstituteSymbols replaces `run`, a maximal run of identifier characters of a
    // line: some name equals it, ignoring ASCII case.
    bool IsSymbolRun(std::string_view run);

    int Count() const;
    const std::string& Name(int index) const;
    const std::string& Value(int index) const;

private:
    // The ordered scan's steps for one symbol on the line; each value it inserts queues the
    // later symbols whose names occur in it.
    void SubstituteOne(int index, char* line, int maxLength);
    // Queues the symbols after `after` whose names equal a run of identifier characters in
    // text[0, length).
    void QueueCandidates(const char* text, int length, int after);

    ErrorText& m_errorText;
    CTokenizer m_tokenizer;
    std::vector<std::string> m_names;
    std::vector<std::string> m_values;
    // The case variants of one folded name, and the line during which they were last queued.
    struct Variants {
        std::vector<int> indices;  // ascending
        unsigned long queuedInLine = 0;
    };
    std::unordered_map<std::string, Variants> m_byFoldedName;
    unsigned long m_lineCount = 0;
    std::size_t m_longestName = 0;
    // Per-line scratch: a min-heap of symbol indices still to try, and a folded run.
    std::vector<int> m_candidates;
    std::string m_folded;
};

}  // namespace zentrip
