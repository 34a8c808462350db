#include "script/preprocessor.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "script/line_kind.h"
#include "script/line_reader.h"
#include "script/text_compare.h"

namespace zentrip {

namespace {

// Name and extension of a path: what is left after a drive ("C:") and the directory (up to
// the last slash or backslash).
std::string NameAndExtension(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        path.remove_prefix(2);
    }
    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return std::string(path);
}

// Copies the string `from` into `to`, at most `limit` characters, and terminates it.
void CopyLine(char* to, const char* from, int limit) {
    if (to == from) return;
    const std::size_t length = strnlen(from, static_cast<std::size_t>(limit));
    std::memmove(to, from, length);
    to[length] = '\0';
}

}  // namespace

CPreprocessor::CPreprocessor(Clock& clock)
    : m_root(this),
      m_symbols(std::make_unique<CSymbolTable>(m_errorText)),
      m_scopeNames(&m_ownedScopeNames),
      m_clock(&clock) {}

CPreprocessor::CPreprocessor(CPreprocessor& root)
    : m_root(root.m_root),
      m_scopeNames(root.m_root->m_scopeNames),
      m_clock(root.m_root->m_clock),
      m_hidden(root.m_root->m_hidden) {}

CPreprocessor::~CPreprocessor() = default;

bool CPreprocessor::OpenFile(const char* path) {
    if (m_isOpen || path == nullptr) return false;
    return OpenStream(path, OpenInputFile(path));
}

bool CPreprocessor::OpenText(const char* path, std::string_view text) {
    if (path == nullptr) return false;
    return OpenStream(path, OpenInputText(text));
}

bool CPreprocessor::OpenStream(const char* path, FilePtr file) {
    if (m_isOpen || !file) return false;
    try {
        m_path = path;
        m_scopeNames->resize(std::min(m_scopeNames->size(), m_depth));
        m_scopeNames->push_back(NameAndExtension(path));
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_file = std::move(file);
    m_isOpen = true;
    if (m_root != this && m_root->m_includeObserver)
        m_root->m_includeObserver(m_path, m_file.get());
    return true;
}

int CPreprocessor::ReadLine(char* buf, int n) {
    if (!m_isOpen || n < 2) return kFailed;
    n = std::min(n, kLineSize - 1);
    try {
        if (m_child) {
            const int result = m_child->ReadLine(buf, n);
            if (result >= 0) return result;
            // A check reads on in an include file that stays open after its failure.
            if (result != kEndOfFile && m_root->m_readOnAfterFailures && m_child->m_isOpen) {
                return result;
            }
            DestroyChild();
            if (result != kEndOfFile) return result;
        }
        std::size_t length = 0;
        switch (ReadTextLine(m_file.get(), buf, n, &length)) {
            case ReadResult::kLine:
                NotePiece(length, buf[length - 1] == '\n');
                break;
            case ReadResult::kEnd:
                m_file.reset();
                m_isOpen = false;
                return kEndOfFile;
            case ReadResult::kError:
                NotePiece(0, true);
                m_root->m_errorText.Format("Error reading file '%s'.", m_path.c_str());
                m_file.reset();
                m_isOpen = false;
                return kFailed;
        }
        if (ClassifyLine(m_tokenizer, buf) == LineKind::kInclude) return HandleInclude(buf);
        const bool processed = ProcessLine(m_line, buf, n);
        CopyLine(buf, m_line, n);
        return processed ? static_cast<int>(std::strlen(buf)) : kFailed;
    } catch (const std::bad_alloc&) {
        return kFailed;
    }
}

int CPreprocessor::HandleInclude(char* buf) {
    zentrip::ErrorText& error = m_root->m_errorText;
    char name[CTokenizer::kTokenSize];
    if (m_tokenizer.GetToken(buf, name, 1) < 0) {
        error.Set("Missing filename for #include directive.");
        CloseWithError();
        return kIncludeFailed;
    }
    if (!OpenInputFile(name)) {
        error.Format("Unable to open include file '%s'.", name);
        CloseWithError();
        return kIncludeFailed;
    }
    const std::string scopeName = NameAndExtension(name);
    for (const std::string& open : *m_scopeNames) {
        if (EqualNoCase(open, scopeName)) {
            error.Set("Illegal recursion. Specified file already in scope.");
            CloseWithError();
            return kRecursion;
        }
    }
    if (m_depth >= kMaxIncludeDepth) {
        error.Format("Unable to include '%s': more than %zu nested include files.", name,
                     kMaxIncludeDepth);
        CloseWithError();
        return kFailed;
    }
    try {
        m_child = std::make_unique<CPreprocessor>(*m_root);
    } catch (const std::bad_alloc&) {
        error.Set("General Error - unable to start child preprocessor.");
        CloseWithError();
        return kFailed;
    }
    m_child->m_depth = m_depth + 1;
    m_child->OpenFile(name);  // a failure here surfaces as -1 on the next ReadLine
    return static_cast<int>(std::strlen(buf));
}

bool CPreprocessor::ProcessLine(char* out, char* line, int n) {
    if (n < 0) n = 0;
    m_lineLimit = n;
    const LineKind kind = ClassifyLine(m_tokenizer, line);
    if (kind == LineKind::kComment) {
        CopyLine(out, line, n);
        return true;
    }
    if (kind != LineKind::kDefine) m_root->m_symbols->SubstituteSymbols(line, n);
    bool succeeded = true;
    if (line[0] == '#') succeeded = ExecuteCommand(line);
    CopyLine(out, line, n);
    return succeeded;
}

bool CPreprocessor::IsHidden() const {
    const CPreprocessor* scope = this;
    while (scope->m_child) scope = scope->m_child.get();
    return scope->m_hidden;
}

const char* CPreprocessor::ErrorText() const { return m_root->m_errorText.c_str(); }

void CPreprocessor::NotePiece(std::size_t length, bool endsLine) {
    if (m_pieceEndedLine) {
        ++m_lineNumber;
        m_column = 0;
    } else {
        m_column = static_cast<int>(std::min<std::size_t>(m_column + m_pieceLength, INT_MAX));
    }
    m_pieceLength = length;
    m_pieceEndedLine = endsLine;
    SourcePlace& place = m_root->m_place;
    place.path.assign(m_path);
    place.line = m_lineNumber;
    place.column = m_column;
}

void CPreprocessor::CloseWithError() {
    if (m_root->m_readOnAfterFailures) return;
    m_file.reset();
    m_isOpen = false;
}

void CPreprocessor::DestroyChild() {
    m_child.reset();
    if (m_scopeNames->size() > m_depth + 1) m_scopeNames->resize(m_depth + 1);
}

}  // namespace zentrip
