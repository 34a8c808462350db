#include "session/run_records.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/file_write.h"
#include "platform/system_error.h"
#include "session/run_record.h"

namespace zentrip {

namespace {

// "2026-12-09T14-03-22_" then anything, ".txt".
bool IsRecordName(std::string_view name) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd-dd-dd_";
    if (name.size() < kShape.size() + 4 || !name.ends_with(".txt")) return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kShape[i] == 'd' ? !digit : name[i] != kShape[i]) return false;
    }
    return true;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// One line up to CR LF (taken off); false at the end of the stream.
bool ReadCrLfLine(std::istream& in, std::string* line) {
    if (!std::getline(in, *line)) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

}  // namespace

std::string DefaultRunRecordFolder() {
    const std::string state = StateFolder();
    return state.empty() ? state : state + "/runs";
}

std::vector<std::string> RunRecordFiles(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        if (IsRecordName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end(), std::greater<>());
    for (std::string& name : names) name = folder + "/" + name;
    return names;
}

void PruneRunRecords(const std::string& folder, std::size_t keep) {
    const std::vector<std::string> files = RunRecordFiles(folder);
    for (std::size_t i = keep; i < files.size(); ++i) ::unlink(files[i].c_str());
}

std::string RunRecordView::Value(std::string_view key) const {
    for (const auto& [k, v] : header) {
        if (k == key) return v;
    }
    return "";
}

std::optional<RunRecordView> ReadRunRecord(const std::string& path, bool headerOnly,
                                           std::string* why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = SystemErrorText(errno);
        return std::nullopt;
    }
    RunRecordView view;
    view.path = path;
    std::string line;
    if (!ReadCrLfLine(in, &line) || line != record_key::kTitle) {
        *why = "not a run record";
        return std::nullopt;
    }
    while (ReadCrLfLine(in, &line) && !line.empty()) {
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        view.header.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    const std::string length = view.Value(record_key::kResults);
    view.finished = !length.empty();
    if (headerOnly) return view;
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t size =
        view.finished ? std::strtoull(length.c_str(), nullptr, 10) : body.size();
    view.results = body.substr(0, std::min(size, body.size()));
    view.rest = body.substr(view.results.size());
    return view;
}

std::string RunRecordText(const RunRecordView& view) {
    std::string text = std::string(record_key::kTitle) + "\r\n";
    for (const auto& [key, value] : view.header) text += key + ": " + value + "\r\n";
    return text + "\r\n" + view.results + view.rest;
}

RunRecordRow ReadRunRecordRow(std::size_t number, const std::string& path) {
    using namespace record_key;
    std::string why;
    const auto view = ReadRunRecord(path, true, &why);
    const auto value = [&](std::string_view key) {
        return view ? view->Value(key) : std::string(kUnfinished);
    };
    return {number,         path,
            value(kStart),  value(kProgram),
            value(kDevice), view ? value(kOutcome) : "unreadable: " + why,
            value(kErrors), view && view->finished};
}

std::string_view RunColumnTitle(RunColumn column) {
    // In the order of kRunColumns.
    static constexpr std::string_view kTitles[] = {"Start", "Program", "Device", "Outcome",
                                                   "Errors"};
    static_assert(std::size(kTitles) == kRunColumns.size());
    return kTitles[static_cast<std::size_t>(column)];
}

const std::string& RunColumnValue(const RunRecordRow& row, RunColumn column) {
    switch (column) {
        case RunColumn::Start:
            return row.start;
        case RunColumn::Program:
            return row.program;
        case RunColumn::Device:
            return row.device;
        case RunColumn::Outcome:
            return row.outcome;
        case RunColumn::Errors:
            break;
    }
    return row.errors;
}

void SortRunRecordRows(std::vector<RunRecordRow>& rows, RunColumn column, bool ascending) {
    // -1 for a record without a count (unfinished or unreadable).
    const auto count = [](const RunRecordRow& row) -> long long {
        const std::string& errors = row.errors;
        if (errors.empty() || errors.size() > 9 ||
            errors.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoll(errors);
    };
    // <0, 0 or >0 as a comes before, with or after b in ascending order.
    const auto compare = [&](const RunRecordRow& a, const RunRecordRow& b) -> int {
        switch (column) {
            case RunColumn::Start:
                return a.number == b.number ? 0 : a.number > b.number ? -1 : 1;
            case RunColumn::Errors: {
                const long long x = count(a), y = count(b);
                return x == y ? 0 : x < y ? -1 : 1;
            }
            default:
                return RunColumnValue(a, column).compare(RunColumnValue(b, column));
        }
    };
    std::sort(rows.begin(), rows.end(), [&](const RunRecordRow& a, const RunRecordRow& b) {
        const int order = compare(a, b);
        if (order != 0) return ascending ? order < 0 : order > 0;
        return a.number < b.number;
    });
}

}  // namespace zentrip
