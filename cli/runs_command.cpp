// zentrip-cli runs: the records that programming runs left (session/run_records.h), newest
// first, a line each, or one of them whole; in JSON for scripts.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "session/run_record.h"
#include "session/run_records.h"
#include "text/escaped_text.h"
#include "text/format_text.h"

namespace zentrip::cli {

namespace {

constexpr int kDefaultCount = 20;

const char kHelp[] =
    "usage: zentrip-cli runs [--count N | --all] [--json]\n"
    "       zentrip-cli runs --show N [--json]\n\n"
    "Every programming run, from the window and from zentrip-cli program, leaves a record in\n"
    "$XDG_STATE_HOME/zentrip/runs (default ~/.local/state/zentrip/runs); the newest 1000\n"
    "are kept. This lists them, newest first, a line each: its number, start time, program,\n"
    "device, outcome and error count. A run cut short (a crash, a kill, a pulled cable)\n"
    "shows as unfinished.\n\n"
    "options:\n"
    "  --count N   list the newest N records (default 20)\n"
    "  --all       list every record\n"
    "  --show N    print record N of the list (1 is the newest) whole: its header, then\n"
    "              the results text exactly as the run showed it (on a terminal, control\n"
    "              characters show as \\xHH)\n"
    "  --json      the list, or the record, as JSON (text as Latin-1 characters)\n\n"
    "Exit status: 0, 1 when record N does not exist or cannot be read, 64 for a command\n"
    "line that cannot be understood.\n";

struct RunsOptions {
    int count = kDefaultCount;  // 0: all
    int show = 0;
    bool json = false;
};

// Bytes a terminal would act on, as \xHH; line ends and tabs stay when `keepLines`.
std::string Visible(std::string_view text, bool keepLines) {
    std::string shown;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool line = keepLines && (c == '\r' || c == '\n' || c == '\t');
        shown += (u >= 0x20 && u < 0x7f) || line ? std::string(1, c) : Format("\\x%02X", u);
    }
    return shown;
}

// A JSON string of Latin-1 bytes: every byte is the character of that code.
std::string Json(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7f) {
            out += c;
        } else {
            out += Format("\\u%04x", u);
        }
    }
    return out + "\"";
}

// A header value as the bytes it stands for.
std::string Unescaped(const std::string& value) {
    return UnescapeText(value, QuoteEscape::Bare).value_or(value);
}

// The header as one JSON object: a key a record writes once per included file is an array
// however many there are (none: no key), as is any other key that occurs more than once, so a
// reader keeps every value.
std::string JsonHeader(const std::vector<std::pair<std::string, std::string>>& header) {
    std::vector<std::pair<std::string, std::vector<std::string>>> keys;
    for (const auto& [key, value] : header) {
        auto same =
            std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == key; });
        if (same == keys.end()) same = keys.insert(keys.end(), {key, {}});
        same->second.push_back(Json(Unescaped(value)));
    }
    std::string out = "{";
    for (const auto& [key, values] : keys) {
        if (out.size() > 1) out += ", ";
        out += Json(key) + ": ";
        if (values.size() == 1 && key != record_key::kIncludedFile) {
            out += values[0];
            continue;
        }
        out += "[";
        for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + values[i];
        out += "]";
    }
    return out + "}";
}

// A table entry for --count or --show, which take a number from 1 on.
CommandOption NumberOption(std::string_view name, int* to) {
    return {name, "a number from 1 on", [name, to](const std::string& value, std::string* error) {
                long n = 0;
                if (ParseWholeNumber(value, &n) && n > 0 && n <= 1000000) {
                    *to = static_cast<int>(n);
                    return true;
                }
                *error = std::string(name) + " needs a number from 1 on";
                return false;
            }};
}

int Parse(int argc, char** argv, RunsOptions& options) {
    const std::vector<CommandOption> table = {
        Flag("--json", &options.json),
        {"--all", "",
         [&options](const std::string&, std::string*) {
             options.count = 0;
             return true;
         }},
        NumberOption("--count", &options.count),
        NumberOption("--show", &options.show),
    };
    std::vector<std::string> operands;
    if (const int status = ReadCommandArgs(argc, argv, table, kHelp, &operands); status >= 0) {
        return status;
    }
    if (!operands.empty()) return PrintUsageError(argv[0], "unknown argument " + operands[0]);
    return -1;
}

void List(const std::vector<std::string>& files, const RunsOptions& options) {
    const std::size_t count =
        options.count == 0 ? files.size() : std::min<std::size_t>(files.size(), options.count);
    if (options.json) std::fputs("[", stdout);
    for (std::size_t i = 0; i < count; ++i) {
        const RunRecordRow row = ReadRunRecordRow(i + 1, files[i]);
        if (options.json) {
            const bool counted = !row.errors.empty() &&
                                 row.errors.find_first_not_of("0123456789") == std::string::npos;
            std::printf(
                "%s\n  {\"number\": %zu, \"file\": %s, \"start\": %s, \"program\": %s, "
                "\"device\": %s, \"outcome\": %s, \"errors\": %s, \"finished\": %s}",
                i ? "," : "", row.number, Json(row.path).c_str(), Json(row.start).c_str(),
                Json(Unescaped(row.program)).c_str(), Json(Unescaped(row.device)).c_str(),
                Json(Unescaped(row.outcome)).c_str(), counted ? row.errors.c_str() : "null",
                row.finished ? "true" : "false");
        } else {
            std::printf("%4zu", row.number);
            for (const RunColumn column : kRunColumns) {
                std::printf("  %s%s", column == RunColumn::Errors ? "errors: " : "",
                            Visible(RunColumnValue(row, column), false).c_str());
            }
            std::fputs("\n", stdout);
        }
    }
    if (options.json) std::fputs(count ? "\n]\n" : "]\n", stdout);
    if (!options.json && count == 0) std::fputs("No run records yet.\n", stderr);
}

int Show(const std::vector<std::string>& files, const RunsOptions& options) {
    if (static_cast<std::size_t>(options.show) > files.size()) {
        std::fprintf(stderr, "zentrip-cli runs: there is no record %d (there are %zu)\n",
                     options.show, files.size());
        return 1;
    }
    const std::string& path = files[options.show - 1];
    std::string why;
    const auto view = ReadRunRecord(path, false, &why);
    if (!view) {
        std::fprintf(stderr, "zentrip-cli runs: cannot read %s: %s\n", path.c_str(), why.c_str());
        return 1;
    }
    if (options.json) {
        std::printf(
            "{\"file\": %s, \"finished\": %s, \"header\": %s,\n \"results\": %s,\n"
            " \"after results\": %s}\n",
            Json(path).c_str(), view->finished ? "true" : "false", JsonHeader(view->header).c_str(),
            Json(view->results).c_str(), Json(view->rest).c_str());
        return 0;
    }
    std::string text = RunRecordText(*view);
    if (isatty(STDOUT_FILENO)) text = Visible(text, true);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace

int RunRuns(int argc, char** argv) {
    RunsOptions options;
    if (const int status = Parse(argc, argv, options); status >= 0) return status;
    const std::vector<std::string> files = RunRecordFiles(DefaultRunRecordFolder());
    if (options.show > 0) return Show(files, options);
    List(files, options);
    return 0;
}

}  // namespace zentrip::cli
