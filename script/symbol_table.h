// CSymbolTable: the run's name/value pairs from define commands, and their substitution into
// lines. Up to 10000 symbols, never removed or changed; definition order decides everything.
#pragma once

#include <string>
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

    int Count() const;
    const std::string& Name(int index) const;
    const std::string& Value(int index) const;

  private:
    ErrorText& m_errorText;
    CTokenizer m_tokenizer;
    std::vector<std::string> m_names;
    std::vector<std::string> m_values;
};

}  // namespace zentrip
