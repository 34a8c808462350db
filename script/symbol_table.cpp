#include "script/symbol_table.h"

#include <cstring>
#include <new>

namespace zentrip {
namespace {

bool IsNameStart(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}

}  // namespace

CSymbolTable::CSymbolTable(ErrorText& errorText) : m_errorText(errorText) {}

CSymbolTable::~CSymbolTable() = default;

int CSymbolTable::DefineSymbol(const char* name, const char* value) {
    if (Count() >= kCapacity) {
        m_errorText.Set("Symbol table full.");
        return 0;
    }
    if (std::strlen(name) < 2) {
        m_errorText.Format(
            "Illegal symbol name '%s'; symbols must be\r\nat least two characters in length.",
            name);
        return 0;
    }
    if (!IsNameStart(name[0])) {
        m_errorText.Format(
            "Illegal symbol name '%s'; symbols must start with\r\nA-Z or underscore.", name);
        return 0;
    }
    for (const char* ch = name + 1; *ch != '\0'; ++ch) {
        if (!CTokenizer::IsIdentifierChar(*ch)) {
            m_errorText.Format("Illegal symbol name '%s'; invalid chars in symbol name.", name);
            return 0;
        }
    }
    for (const std::string& stored : m_names) {
        if (stored == name) {
            m_errorText.Format("Multiply defined symbol '%s'", name);
            return 0;
        }
    }

    // Out of memory: no message, nothing stored. Reserving first makes the appends below
    // unable to fail, so the table never holds half a definition.
    try {
        std::string nameCopy(name);
        std::string valueCopy(value);
        m_names.reserve(m_names.size() + 1);
        m_values.reserve(m_values.size() + 1);
        m_names.push_back(std::move(nameCopy));
        m_values.push_back(std::move(valueCopy));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return Count();
}

void CSymbolTable::SubstituteSymbols(char* line, int maxLength) {
    for (int i = 0; i < Count(); ++i) {
        const char* name = m_names[i].c_str();
        const char* value = m_values[i].c_str();
        const int nameLength = static_cast<int>(m_names[i].size());
        const int valueLength = static_cast<int>(m_values[i].size());
        int p = 0;
        for (;;) {
            const int found = m_tokenizer.FindNoCase(name, line, p);
            if (found == 0) break;
            const int lineLength = static_cast<int>(std::strlen(line));
            if (valueLength + lineLength > maxLength) break;
            const int r = found - 1;
            const char after = line[r + nameLength];
            const bool whole = (r == 0 || !CTokenizer::IsIdentifierChar(line[r - 1])) &&
                               (after == '\0' || !CTokenizer::IsIdentifierChar(after));
            if (whole) {
                m_tokenizer.ReplaceAt(line, r, nameLength, value);
                p = r + valueLength;
            } else {
                p = r + nameLength;
            }
            if (p >= static_cast<int>(std::strlen(line)) - 2) break;
        }
    }
}

int CSymbolTable::Count() const { return static_cast<int>(m_names.size()); }

const std::string& CSymbolTable::Name(int index) const { return m_names[index]; }

const std::string& CSymbolTable::Value(int index) const { return m_values[index]; }

}  // namespace zentrip
