// CPreprocessor: one file scope of a program. The root reads the program file and owns the
// symbol table, the scope names and the error text; each include line creates a child scope
// for the included file. ReadLine hands the run one processed line per call.
#pragma once

#include "platform/clock.h"
#include "script/error_text.h"

namespace zentrip {

class CPreprocessor {
public:
    // ReadLine results below 0.
    static constexpr int kFailed = -1;          // not open, a command failed, no child scope
    static constexpr int kRecursion = -2;
    static constexpr int kEndOfFile = -3;
    static constexpr int kIncludeFailed = -4;   // no include name, or include not openable

    // A root scope; wait and time-set commands use `clock`.
    explicit CPreprocessor(Clock& clock = DefaultClock());
    // A child scope of `root`.
    explicit CPreprocessor(CPreprocessor& root);
    virtual ~CPreprocessor();
    CPreprocessor(const CPreprocessor&) = delete;
    CPreprocessor& operator=(const CPreprocessor&) = delete;

    bool OpenFile(const char* path);
    // Delivers the next line into buf (n + 1 bytes); its length, or a result above.
    int ReadLine(char* buf, int n);
    bool ProcessLine(char* out, char* line, int n);
    // The hide flag of the innermost scope.
    bool IsHidden() const;
    bool ExecuteCommand(char* line);
    // The root's error text.
    const char* ErrorText() const;
};

}  // namespace zentrip
