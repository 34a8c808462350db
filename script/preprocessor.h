// CPreprocessor: one file scope of a program. The root reads the program file and owns the
// symbol table, the scope names and the error text; each include line creates a child scope
// for the included file. ReadLine hands the run one processed line per call.
//
// Choices where the language leaves room:
// - A first token longer than the 255 characters of a token buffer is cut to 255 by the
//   tokenizer, so it is never "#include" or "#define"; it makes a comment line when it begins
//   with ';'. Tokens used as names or values are cut the same way.
// - wait: a negative number waits nothing; a number whose milliseconds exceed the 32-bit
//   unsigned range waits the longest time a 32-bit count allows, 4294967295 ms.
// - Split paths and scope names are std::string: any name the platform allows fits.
// - n is the read size: ReadLine refuses n < 2 (-1, no message: no piece could hold a
//   character) and uses at most 4095, the room of m_line. A time-set line that would not fit
//   the n + 1 bytes of the line buffer is cut to n characters.
// - Only regular files open: a directory, FIFO or device fails like a missing file.
// - A file that cannot be read any further (an I/O error, not its end) gives -1 with the
//   message "Error reading file '%s'." instead of passing for the end of the file.
// - Include files nest at most kMaxIncludeDepth deep below the program file: each level
//   keeps a file open and a call frame busy, and a chain deep enough would run out of either.
//   The include line one deeper gives -1 with "Unable to include '%s': more than 256 nested
//   include files.".
// - Whenever a child scope is destroyed, its name and those of its own includes leave the
//   scope names, so that a caller that reads on after a failure sees no stale names.
// - Line numbers count the lines of each file, ended by LF; the pieces of a line longer than
//   the read size share its number.
#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/input_file.h"
#include "script/error_text.h"
#include "script/source_place.h"
#include "script/symbol_table.h"
#include "script/tokenizer.h"

namespace zentrip {

class CPreprocessor {
public:
    // ReadLine results below 0.
    static constexpr int kFailed = -1;  // not open, a command failed, no child scope
    static constexpr int kRecursion = -2;
    static constexpr int kEndOfFile = -3;
    static constexpr int kIncludeFailed = -4;  // no include name, or include not openable

    static constexpr int kRunReadSize = 2047;  // the n a programming run passes ReadLine
    static constexpr int kLineSize = 4096;  // m_line; the largest usable n is kLineSize - 1
    static constexpr std::size_t kMaxIncludeDepth = 256;

    // A root scope; wait and time-set commands use `clock`.
    explicit CPreprocessor(Clock& clock = DefaultClock());
    // A child scope of `root`.
    explicit CPreprocessor(CPreprocessor& root);
    virtual ~CPreprocessor();
    CPreprocessor(const CPreprocessor&) = delete;
    CPreprocessor& operator=(const CPreprocessor&) = delete;

    bool OpenFile(const char* path);
    // Reads `text` (which must outlive the reading) as the file `path`: the name of the text
    // for the scope names and the source places.
    bool OpenText(const char* path, std::string_view text);
    // Delivers the next line into buf (n + 1 bytes); its length, or a result above.
    int ReadLine(char* buf, int n);
    // `out` holds at least n + 1 bytes, as does `line`.
    bool ProcessLine(char* out, char* line, int n);
    bool IsOpen() const { return m_isOpen; }
    // The hide flag of the innermost scope.
    bool IsHidden() const;
    // `line` holds the read size of the last ReadLine or ProcessLine (2047 before any) plus
    // one byte; a time-set command rewrites it within that room.
    bool ExecuteCommand(char* line);
    // The root's error text.
    const char* ErrorText() const;
    // Where the line that ReadLine delivered last, or failed on, was read.
    const SourcePlace& LinePlace() const { return m_root->m_place; }
    // The run's symbols, as they stand after the last line.
    CSymbolTable& Symbols() { return *m_root->m_symbols; }
    // Set on the root for checking a text rather than running it: a scope that finds a
    // failure in one of its lines reads on with its next line instead of closing, so that
    // every failure of the text shows. A read error still ends the scope.
    void SetReadOnAfterFailures() { m_readOnAfterFailures = true; }
    // Set on the root: once `interrupt` is set, a wait command in progress ends early and
    // later ones do not wait. Null (the default): waits run their full time.
    void SetWaitInterrupt(const std::atomic<bool>* interrupt) { m_waitInterrupt = interrupt; }
    // Set on the root: told of every include file a scope opens, with its stream, before a
    // line of it is read.
    using IncludeObserver = std::function<void(const std::string& path, std::FILE* file)>;
    void SetIncludeObserver(IncludeObserver observer) { m_includeObserver = std::move(observer); }

private:
    bool OpenStream(const char* path, FilePtr file);
    void NotePiece(std::size_t length, bool endsLine);
    int HandleInclude(char* buf);
    // Closes this scope's file after a failure it found itself (unless reading on).
    void CloseWithError();
    void DestroyChild();
    bool DefineCommand(const char* text);
    bool WaitCommand(const char* text);
    bool TimeSetCommand(char* line, bool is7330);

    CPreprocessor* m_root;
    zentrip::ErrorText m_errorText;                      // root only
    std::unique_ptr<CSymbolTable> m_symbols;             // root only
    std::vector<std::string> m_ownedScopeNames;          // root only
    std::vector<std::string>* m_scopeNames;              // the root's list
    Clock* m_clock;                                      // the root's clock
    const std::atomic<bool>* m_waitInterrupt = nullptr;  // root only
    IncludeObserver m_includeObserver;                   // root only
    SourcePlace m_place;                                 // root only
    bool m_readOnAfterFailures = false;                  // root only
    CTokenizer m_tokenizer;
    std::unique_ptr<CPreprocessor> m_child;
    FilePtr m_file;
    std::string m_path;  // as opened, for messages
    bool m_isOpen = false;
    bool m_hidden = false;
    std::size_t m_depth = 0;  // index of this scope's scope name
    int m_lineNumber = 0;     // of the last piece read from this file
    int m_column = 0;         // where that piece begins in its line
    std::size_t m_pieceLength = 0;
    bool m_pieceEndedLine = true;
    int m_lineLimit = 2047;   // room of the line ExecuteCommand rewrites
    char m_line[kLineSize] = {};
};

}  // namespace zentrip
