// RunRecord: the file one programming run leaves behind, so that what was sent where, and
// whether it took, can be answered after the window has closed. Written as the run goes: the
// header known at the start, then the results text exactly as the results pane received it,
// each piece written at once, so a run cut short leaves a readable record marked unfinished.
// Finish puts the complete record (end time, outcome, included files, failed lines) in its
// place in one rename.
//
// The file (CR LF line ends throughout, like the results):
//   a title line, "Key: value" header lines (values escaped: control and non-ASCII bytes as
//   \xHH), an empty line, the results text; a finished record's header also says the
//   results' length, and the failed lines follow the results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sha256.h"

namespace zentrip {

struct RunRecordStart {
    std::int64_t startSeconds = 0;  // calendar time
    std::string program;            // the name the record is filed under
    std::string workingFile;        // the file the run reads
    std::string mode;               // "direct", "remote session" or "local tone"
    int port = 0;
    std::string device;
    std::uint32_t rate = 0;
};

struct RunRecordEnd {
    std::int64_t endSeconds = 0;
    std::string outcome;
    int errors = 0;
};

class RunRecord {
public:
    static constexpr std::size_t kKept = 1000;  // records a folder keeps, the new one included

    RunRecord() = default;
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    // Makes the folder if need be, removes its oldest records beyond kKept - 1, creates the
    // record (mode 0600: results may hold a password) and writes its header. False with the
    // reason in *why; the record is then off.
    bool Start(const std::string& folder, const RunRecordStart& start, std::string* why);
    bool IsOn() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

    // Results text, written at once. False when it could not be: the record is then off (the
    // file stays, marked unfinished) and *why says why.
    bool AppendResults(std::string_view text, std::string* why);
    // An include file the run read; the same file read twice is listed once.
    void AddIncludedFile(const std::string& path, const FileDigest& digest);
    // A line the controller refused, with the verdict text.
    void AddFailedLine(int lineNumber, std::string_view line, std::string_view verdict);
    // Writes the finished record in the running one's place and ends the record. False with
    // the reason in *why (the running record then stays, marked unfinished).
    bool Finish(const RunRecordEnd& end, std::string* why);

private:
    struct Included {
        std::string path;
        FileDigest digest;
    };
    struct Failed {
        int lineNumber;
        std::string line;
        std::string verdict;
    };

    std::string Header(const RunRecordEnd* end) const;
    std::string FailedLines() const;
    void Close();

    int m_fd = -1;
    std::string m_path;
    RunRecordStart m_start;
    std::string m_digestLines;  // the working file's size and SHA-256, or why there are none
    std::string m_results;
    std::vector<Included> m_included;
    std::vector<Failed> m_failed;
};

// The header's keys, shared with the reading side (session/run_records.h).
namespace record_key {
inline constexpr std::string_view kTitle = "Zentrip run record";
inline constexpr std::string_view kStart = "Start";
inline constexpr std::string_view kEnd = "End";
inline constexpr std::string_view kOutcome = "Outcome";
inline constexpr std::string_view kErrors = "Errors";
inline constexpr std::string_view kProgram = "Program";
inline constexpr std::string_view kDevice = "Device";
inline constexpr std::string_view kResults = "Results";
inline constexpr std::string_view kIncludedFile = "Included file";  // once per file read
inline constexpr std::string_view kUnfinished = "unfinished";
}  // namespace record_key

// "2026-12-09 14:03:22 +0100": a calendar time as local time with its UTC offset.
std::string RecordTimeText(std::int64_t seconds);
// The record's file name: "2026-12-09T14-03-22_north_hill.orv.txt", the program's name with
// every byte a file name should not hold made '_'.
std::string RecordFileName(std::int64_t startSeconds, std::string_view program);

}  // namespace zentrip
