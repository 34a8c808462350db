#include "script/symbol_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace zentrip {
namespace {

bool IsNameStart(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}

void FoldInto(std::string& folded, const char* text, std::size_t length) {
    folded.assign(text, length);
    for (char& ch : folded) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    }
}

// Room for one more element, growing geometrically (an exact reserve would copy every time).
template <typename T>
void ReserveOneMore(std::vector<T>& items) {
    if (items.size() < items.capacity()) return;
    items.reserve(std::max<std::size_t>(8, items.size() * 2));
}

}  // namespace

CSymbolTable::CSymbolTable(ErrorText& errorText) : m_errorText(errorText) {}

CSymbolTable::~CSymbolTable() = default;

int CSymbolTable::DefineSymbol(const char* name, const char* value) {
    if (Count() >= kCapacity) {
        m_errorText.Set("Symbol table full.");
        return 0;
    }
    const std::size_t nameLength = std::strlen(name);
    if (nameLength < 2) {
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

    // Out of memory: no message, nothing stored. Everything that allocates happens before
    // the first append, so the table never holds half a definition.
    try {
        std::string key;
        FoldInto(key, name, nameLength);
        std::vector<int>& variants = m_byFoldedName[key].indices;
        for (int index : variants) {
            if (m_names[index] == name) {
                m_errorText.Format("Multiply defined symbol '%s'", name);
                return 0;
            }
        }
        std::string nameCopy(name, nameLength);
        std::string valueCopy(value);
        ReserveOneMore(m_names);
        ReserveOneMore(m_values);
        ReserveOneMore(variants);
        m_names.push_back(std::move(nameCopy));
        m_values.push_back(std::move(valueCopy));
        variants.push_back(Count() - 1);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_longestName = std::max(m_longestName, nameLength);
    return Count();
}

void CSymbolTable::SubstituteSymbols(char* line, int maxLength) {
    if (Count() == 0) return;
    ++m_lineCount;
    m_candidates.clear();
    QueueCandidates(line, static_cast<int>(std::strlen(line)), -1);
    while (!m_candidates.empty()) {
        std::pop_heap(m_candidates.begin(), m_candidates.end(), std::greater<>());
        const int index = m_candidates.back();
        m_candidates.pop_back();
        SubstituteOne(index, line, maxLength);
    }
}

void CSymbolTable::SubstituteOne(int index, char* line, int maxLength) {
    const char* name = m_names[index].c_str();
    const char* value = m_values[index].c_str();
    const int nameLength = static_cast<int>(m_names[index].size());
    const int valueLength = static_cast<int>(m_values[index].size());
    int p = 0;
    for (;;) {
        const int found = m_tokenizer.FindNoCase(name, line, p);
        if (found == 0) return;
        if (valueLength + static_cast<int>(std::strlen(line)) > maxLength) return;
        const int r = found - 1;
        const char after = line[r + nameLength];
        const bool whole = (r == 0 || !CTokenizer::IsIdentifierChar(line[r - 1])) &&
                           (after == '\0' || !CTokenizer::IsIdentifierChar(after));
        if (whole) {
            // The value sits between non-identifier characters, so its own runs are the
            // only new runs in the line.
            if (m_tokenizer.ReplaceAt(line, r, nameLength, value)) {
                QueueCandidates(line + r, valueLength, index);
            }
            p = r + valueLength;
        } else {
            p = r + nameLength;
        }
        if (p >= static_cast<int>(std::strlen(line)) - 2) return;
    }
}

void CSymbolTable::QueueCandidates(const char* text, int length, int after) {
    int i = 0;
    while (i < length) {
        if (!CTokenizer::IsIdentifierChar(text[i])) {
            ++i;
            continue;
        }
        const int begin = i;
        while (i < length && CTokenizer::IsIdentifierChar(text[i])) ++i;
        const std::size_t runLength = static_cast<std::size_t>(i - begin);
        if (runLength < 2 || runLength > m_longestName) continue;
        FoldInto(m_folded, text + begin, runLength);
        const auto found = m_byFoldedName.find(m_folded);
        if (found == m_byFoldedName.end()) continue;
        // Once per line is enough: the first time queued every variant after an index no
        // larger than `after`, and those after the current symbol are still waiting.
        Variants& variants = found->second;
        if (variants.queuedInLine == m_lineCount) continue;
        variants.queuedInLine = m_lineCount;
        const std::vector<int>& indices = variants.indices;
        for (auto it = std::upper_bound(indices.begin(), indices.end(), after); it != indices.end();
             ++it) {
            m_candidates.push_back(*it);
            std::push_heap(m_candidates.begin(), m_candidates.end(), std::greater<>());
        }
    }
}

bool CSymbolTable::IsSymbolRun(std::string_view run) {
    if (run.size() < 2 || run.size() > m_longestName) return false;
    FoldInto(m_folded, run.data(), run.size());
    const auto found = m_byFoldedName.find(m_folded);
    return found != m_byFoldedName.end() && !found->second.indices.empty();
}

int CSymbolTable::Count() const { return static_cast<int>(m_names.size()); }

const std::string& CSymbolTable::Name(int index) const { return m_names[index]; }

const std::string& CSymbolTable::Value(int index) const { return m_values[index]; }

}  // namespace zentrip
