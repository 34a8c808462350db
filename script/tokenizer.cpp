#include "script/tokenizer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/input_file.h"
#include "script/line_reader.h"

namespace zentrip {
namespace {

constexpr int kMaxTokenLength = CTokenizer::kTokenSize - 1;

bool IsQuote(char ch) { return ch == '"' || ch == '\''; }

char LowerAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; }

}  // namespace

bool CTokenizer::IsDelimiter(char ch) { return static_cast<signed char>(ch) <= 32 || ch == ','; }

bool CTokenizer::IsIdentifierChar(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
           ch == '_';
}

int CTokenizer::GetToken(const char* line, char* out, int index) const {
    out[0] = '\0';
    TokenPlace place;
    if (!FindToken(line, index, &place)) return -1;
    int length = place.end - place.begin;
    if (length > kMaxTokenLength) length = kMaxTokenLength;
    std::memcpy(out, line + place.begin, static_cast<std::size_t>(length));
    out[length] = '\0';
    return place.end;
}

bool CTokenizer::FindToken(const char* line, int index, TokenPlace* place) const {
    int p = 0;
    for (int current = 0;; ++current) {
        while (line[p] != '\0' && IsDelimiter(line[p])) {
            if (line[p++] == ',') break;
        }
        if (line[p] == '\0') return false;

        int begin = p;
        int end = p;
        int next = p;
        const char first = line[p];
        if (IsQuote(first)) {
            begin = p + 1;
            const char* close = std::strchr(line + begin, first);
            end = close ? static_cast<int>(close - line)
                        : begin + static_cast<int>(std::strlen(line + begin));
            next = close ? end + 1 : end;
        } else if (!IsDelimiter(first)) {
            while (line[end] != '\0' && !IsDelimiter(line[end])) ++end;
            next = end;
        }
        // A delimiter right after a consumed comma is an empty token; p stays put.

        if (current == index) {
            *place = {p, begin, end, next};
            return true;
        }
        p = next;
    }
}

int CTokenizer::FindNoCase(const char* needle, const char* haystack, int start) const {
    const int needleLength = static_cast<int>(std::strlen(needle));
    const int last = static_cast<int>(std::strlen(haystack)) - needleLength;
    for (int i = start < 0 ? 0 : start; i <= last; ++i) {
        int k = 0;
        while (k < needleLength && LowerAscii(haystack[i + k]) == LowerAscii(needle[k])) ++k;
        if (k == needleLength) return i + 1;
    }
    return 0;
}

bool CTokenizer::ReplaceAt(char* line, int pos, int length, const char* text) const {
    const std::size_t lineLength = std::strlen(line);
    const std::size_t textLength = std::strlen(text);
    // Out-of-range spans are clamped to the line rather than read past its end.
    const std::size_t head = std::clamp<std::size_t>(pos < 0 ? 0 : pos, 0, lineLength);
    const std::size_t span = std::clamp<std::size_t>(length < 0 ? 0 : length, 0, lineLength - head);

    std::unique_ptr<char[]> result(new (std::nothrow) char[lineLength + textLength + 2]);
    if (!result) return false;
    const std::size_t tail = lineLength - head - span;
    std::memcpy(result.get(), line, head);
    std::memcpy(result.get() + head, text, textLength);
    std::memcpy(result.get() + head + textLength, line + head + span, tail);
    const std::size_t total = head + textLength + tail;
    result[total] = '\0';
    std::memcpy(line, result.get(), total + 1);
    return true;
}

int CTokenizer::FindLineInFile(const SearchKey* list, const char* path, char* copyOut,
                               int startLine) const {
    if (path == nullptr || path[0] == '\0') return -1;
    // Read in text mode like the run reads the program, so pieces and line numbers agree.
    FilePtr file = OpenInputFile(path);
    if (!file) return -1;

    char piece[kFileLineSize];
    for (int number = 1; ReadTextLine(file.get(), piece, kFileLineSize) == ReadResult::kLine;
         ++number) {
        if (number < startLine) continue;
        bool all = true;
        for (const SearchKey* key = list; key != nullptr && all; key = key->next) {
            all = FindNoCase(key->key, piece, 0) != 0;
        }
        if (!all) continue;
        if (copyOut != nullptr) std::strcpy(copyOut, piece);
        return number;
    }
    return 0;
}

const char* CTokenizer::FormatDigits(int value, int digits) {
    if (digits > 9) {
        std::strcpy(m_digits, "0");
        return m_digits;
    }
    char field[16];
    const int printed = std::snprintf(field, sizeof field, "%10d", value);
    if (digits < 1) {
        m_digits[0] = '\0';
        return m_digits;
    }
    const char* last = field + printed - digits;
    for (int i = 0; i < digits; ++i) {
        m_digits[i] = last[i] >= '0' && last[i] <= '9' ? last[i] : '0';
    }
    m_digits[digits] = '\0';
    return m_digits;
}

}  // namespace zentrip
