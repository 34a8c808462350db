#include "script/program_analysis.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/input_file.h"
#include "script/line_kind.h"
#include "script/line_reader.h"
#include "script/preprocessor.h"

namespace zentrip {

namespace {

constexpr int kReadSize = CPreprocessor::kRunReadSize;
constexpr int kPieceLength = kReadSize - 1;
constexpr const char* kLongLine =
    "Line longer than 2046 characters: a run reads the rest as a line of its own.";

// Wait commands pass at once; time-set lines read the computer's clock.
class NoWaitClock final : public Clock {
public:
    std::uint64_t TickMs() override { return DefaultClock().TickMs(); }
    void SleepMs(std::uint32_t) override {}
    bool InterruptibleSleepMs(std::uint32_t, const std::atomic<bool>&) override { return true; }
    std::int64_t CalendarSeconds() override { return DefaultClock().CalendarSeconds(); }
    LocalTime LocalNow() override { return DefaultClock().LocalNow(); }
};

// The columns a problem in a line of the text marks: the include name, a command's first
// parameter or else its word; the whole line for any other.
struct Mark {
    int start = 0;
    int end = 0;
};

Mark ProblemMark(const char* line) {
    const CTokenizer tokenizer;
    TokenPlace place;
    const auto token = [&](int offset, int index) {
        if (!tokenizer.FindToken(line + offset, index, &place)) return false;
        place.start += offset;
        place.next += offset;
        return true;
    };
    switch (ClassifyLine(tokenizer, line)) {
        case LineKind::kInclude:
            if (token(0, 1) || token(0, 0)) return {place.start, place.next};
            break;
        case LineKind::kDefine:
        case LineKind::kCommand:
            if (token(1, 1)) return {place.start, place.next};
            if (token(1, 0)) return {0, place.next};
            break;
        case LineKind::kComment:
        case LineKind::kOther:
            break;
    }
    int end = static_cast<int>(std::strlen(line));
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    return {0, end};
}

// One pass of the preprocessor over the text, reading the text's own pieces alongside.
class Analysis {
public:
    Analysis(std::string_view text, const std::string& path)
        : m_path(path), m_source(OpenInputText(text)) {
        m_preprocessor.SetReadOnAfterFailures();
        m_open = m_source && m_preprocessor.OpenText(path.c_str(), text);
    }

    ProgramAnalysis Run() {
        while (m_open && m_preprocessor.IsOpen()) {
            const int result = m_preprocessor.ReadLine(m_delivered, kReadSize);
            if (result == CPreprocessor::kEndOfFile) break;
            const SourcePlace& place = m_preprocessor.LinePlace();
            // No include shares the text's path: its name would be refused as recursion.
            const bool fromText = place.path == m_path;
            if (fromText && (place.line != m_line || place.column != m_column)) TextPiece(place);
            if (result < 0) {
                AddProblem(m_preprocessor.ErrorText(), place);
            } else if (place.column > 0) {
                AddLongLine(place, fromText);
            }
        }
        return std::move(m_result);
    }

private:
    // The text's own piece that the preprocessor has just read.
    void TextPiece(const SourcePlace& place) {
        std::size_t length = 0;
        if (ReadTextLine(m_source.get(), m_piece, kReadSize, &length) != ReadResult::kLine) return;
        std::vector<std::size_t>& starts = m_result.lineStarts;
        while (m_result.LineCount() < place.line) starts.push_back(m_result.spans.size());
        AppendLineSpans(m_piece, m_preprocessor.Symbols(), place.column, m_result.spans);
        m_line = place.line;
        m_column = place.column;
        m_marked = false;
        const bool endsLine = m_piece[length - 1] == '\n';
        m_pieceEnd = place.column + static_cast<int>(length) - (endsLine ? 1 : 0);
    }

    // A problem of the text's last piece, or of the include line that led to an include file.
    void AddProblem(std::string message, const SourcePlace& place) {
        if (!m_marked) {
            const Mark mark = ProblemMark(m_piece);
            m_mark = {m_column + mark.start, m_column + mark.end};
            m_marked = true;
        }
        m_result.problems.push_back(
            {m_line, m_mark.start, m_mark.end - m_mark.start, std::move(message), place});
    }

    // One problem for all the pieces of a long line, marking them in the text.
    void AddLongLine(const SourcePlace& place, bool fromText) {
        std::vector<Problem>& problems = m_result.problems;
        if (place.column == kPieceLength) {
            if (fromText) {
                m_mark = {place.column, m_pieceEnd};
                m_marked = true;
            }
            AddProblem(kLongLine, place);
        } else if (fromText && !problems.empty() && problems.back().line == place.line &&
                   problems.back().message == kLongLine) {
            problems.back().length = m_pieceEnd - problems.back().start;
        }
    }

    const std::string& m_path;
    FilePtr m_source;
    NoWaitClock m_clock;
    CPreprocessor m_preprocessor{m_clock};
    bool m_open = false;
    ProgramAnalysis m_result;
    int m_line = 0;  // where the text's last piece was read
    int m_column = -1;
    int m_pieceEnd = 0;
    Mark m_mark;  // of the text's last piece, once a problem needed it
    bool m_marked = false;
    char m_delivered[kReadSize + 1] = {};
    char m_piece[kReadSize + 1] = {};
};

}  // namespace

std::span<const Span> ProgramAnalysis::SpansOfLine(int line) const {
    if (line < 1 || line > LineCount()) return {};
    const std::size_t begin = lineStarts[static_cast<std::size_t>(line - 1)];
    const std::size_t end =
        line < LineCount() ? lineStarts[static_cast<std::size_t>(line)] : spans.size();
    return std::span<const Span>(spans).subspan(begin, end - begin);
}

ProgramAnalysis AnalyseProgram(std::string_view text, const std::string& path) {
    return Analysis(text, path).Run();
}

}  // namespace zentrip
