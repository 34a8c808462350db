// CTokenizer: the lexical rules of program lines, shared by the preprocessor, the run's file
// scan and the "#session" line. Blanks, control characters, bytes 0x80..0xFF and commas
// separate tokens; a quote opens a quoted token only at a token's first position.
#pragma once

namespace zentrip {

// One record of a search list for FindLineInFile; only key and next are consulted.
struct SearchKey {
    char key[128] = {};
    char value[128] = {};
    int flag = 0;
    SearchKey* next = nullptr;
};

// Where token `index` of a line lies: `start` is its first character (its opening quote, if
// quoted), [begin, end) its text without quotes, `next` where the scan for the following token
// begins (past a closing quote).
struct TokenPlace {
    int start = 0;
    int begin = 0;
    int end = 0;
    int next = 0;
};

class CTokenizer {
public:
    static constexpr int kTokenSize = 256;      // callers' token buffers; tokens are cut at 255
    static constexpr int kFileLineSize = 510;   // FindLineInFile reads at most 509 characters

    // Copies token `index` (from 0) of `line` into `out` (kTokenSize bytes). -1 when there is
    // no such token (out is then empty); otherwise where the scan stopped. A token longer than
    // 255 characters is cut to its first 255; the scan position is not affected.
    int GetToken(const char* line, char* out, int index) const;
    // The scan of GetToken without the copy: false when the line has no such token.
    bool FindToken(const char* line, int index, TokenPlace* place) const;
    static bool IsDelimiter(char ch);
    static bool IsIdentifierChar(char ch);
    // 1-based position of `needle` in `haystack` at index `start` or later, ignoring ASCII
    // case; 0 when none. A negative start counts as 0.
    int FindNoCase(const char* needle, const char* haystack, int start) const;
    // Replaces `length` characters at `pos` by `text`; the caller's buffer holds the result.
    // A span reaching past the line's end is cut at the end. False when no memory could be had;
    // the line is then unchanged.
    bool ReplaceAt(char* line, int pos, int length, const char* text) const;
    // 1-based number of the first line at or after `startLine` holding every key of `list`
    // (ignoring case); 0 when none; -1 when the path is empty or names no readable regular
    // file. Lines are read in text mode (a CR before an LF dropped) in pieces of at most 509
    // characters, each piece counted as a line. The found piece goes to `copyOut` (kFileLineSize bytes) when given.
    int FindLineInFile(const SearchKey* list, const char* path, char* copyOut, int startLine) const;
    // `value` as exactly `digits` digits; the text stays valid until the next call.
    const char* FormatDigits(int value, int digits);

private:
    char m_digits[16] = {};
};

}  // namespace zentrip
