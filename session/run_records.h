// The folder of run records (session/run_record.h) and reading them back, for `zentrip-cli
// runs` and the window's list: where the folder is, which files in it are records, newest
// first, the oldest removed, one record split into header, results and the rest, and the list
// the command and the window both show: its rows, columns and orders.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentrip {

// $XDG_STATE_HOME/zentrip/runs, else ~/.local/state/zentrip/runs; empty without either.
std::string DefaultRunRecordFolder();

// The records' paths in `folder`, newest first (by the start time in their names).
std::vector<std::string> RunRecordFiles(const std::string& folder);
// Removes the oldest records beyond the newest `keep`.
void PruneRunRecords(const std::string& folder, std::size_t keep);

struct RunRecordView {
    std::string path;
    // The header's keys and values, in order; values as written (escaped, so safe to show).
    std::vector<std::pair<std::string, std::string>> header;
    bool finished = false;
    std::string results;  // the results text, byte for byte
    std::string rest;     // after the results in a finished record: the failed lines

    // The value of `key`, or empty.
    std::string Value(std::string_view key) const;
};

// headerOnly leaves results and rest empty (a list needs only the header). Empty when the
// file cannot be read or is not a record; *why says which.
std::optional<RunRecordView> ReadRunRecord(const std::string& path, bool headerOnly,
                                           std::string* why);

// The record whole, as `runs --show` prints it: title, header, empty line, results, the rest.
std::string RunRecordText(const RunRecordView& view);

// One record in the list. Values as the header writes them (escaped, so safe to show); a
// record that cannot be read shows "unfinished" with the reason as its outcome.
struct RunRecordRow {
    std::size_t number = 0;  // its place in the list, newest first, from 1
    std::string path;
    std::string start;
    std::string program;
    std::string device;
    std::string outcome;
    std::string errors;
    bool finished = false;
};

// The list's row of the `number`th newest record, `path`, reading only its header.
RunRecordRow ReadRunRecordRow(std::size_t number, const std::string& path);

enum class RunColumn { Start, Program, Device, Outcome, Errors };
inline constexpr std::array<RunColumn, 5> kRunColumns{
    RunColumn::Start, RunColumn::Program, RunColumn::Device, RunColumn::Outcome, RunColumn::Errors};
std::string_view RunColumnTitle(RunColumn column);
const std::string& RunColumnValue(const RunRecordRow& row, RunColumn column);

// The list's order: newest first at the start; a click on a column's title orders by it (the
// start newest first, the others from the smallest), a second click the other way round.
struct RunRecordOrder {
    RunColumn column = RunColumn::Start;
    bool ascending = false;

    void Click(RunColumn clicked) {
        ascending = clicked == column ? !ascending : clicked != RunColumn::Start;
        column = clicked;
    }
};

// Orders the rows by `column`: the start by time, the errors by count (a record without one
// before every count), the rest byte by byte; equal rows stay newest first.
void SortRunRecordRows(std::vector<RunRecordRow>& rows, RunColumn column, bool ascending);

}  // namespace zentrip
