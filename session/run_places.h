// RunPlaces: where each line a run delivered was read, by its line number, so that a failed
// line can be named by file and line, and a window can show where a results-pane line came
// from. A window may read it from its own thread while the run records.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/source_place.h"

namespace zentrip {

class RunPlaces {
public:
    // A new run of the program at `programPath` (as the run opens it).
    void Clear(std::string programPath = {});
    // The program's own lines have this path; an include file's lines another.
    std::string ProgramPath() const;
    // The place of line `lineNumber` (from 1) of the run.
    void Record(int lineNumber, const SourcePlace& place);
    // Path and line of that line; empty for a number the run has not delivered.
    std::optional<SourcePlace> Find(int lineNumber) const;

private:
    struct Entry {
        std::uint32_t path = 0;  // index in m_paths
        int line = 0;
    };

    mutable std::mutex m_mutex;
    std::string m_programPath;
    std::vector<std::string> m_paths;  // each path once: a run reads few files
    std::unordered_map<std::string, std::uint32_t> m_pathIndex;
    std::vector<Entry> m_lines;  // line number n at index n - 1
};

}  // namespace zentrip
