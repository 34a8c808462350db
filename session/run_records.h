// The folder of run records (session/run_record.h) and reading them back, for `zentrip-cli
// runs` and the window's list: where the folder is, which files in it are records, newest
// first, the oldest removed, and one record split into header, results and the rest.
#pragma once

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

}  // namespace zentrip
