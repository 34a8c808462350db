#include "app/worker/editor_analysis.h"

#include <algorithm>

#include "app/worker/results_source.h"

namespace zentrip {

int EditorAnalysis::ProgramLine(int editorLine) const {
    return ProgramLineAt(lineStarts, editorLine);
}

std::vector<const Problem*> EditorAnalysis::ProblemsOf(int line) const {
    const auto lineOf = [this](std::size_t i) { return program.problems[i].line; };
    const auto first = std::partition_point(byLine.begin(), byLine.end(),
                                            [&](std::size_t i) { return lineOf(i) < line; });
    const auto last =
        std::partition_point(first, byLine.end(), [&](std::size_t i) { return lineOf(i) == line; });
    std::vector<const Problem*> problems;
    for (auto at = first; at != last; ++at) problems.push_back(&program.problems[*at]);
    return problems;
}

const Problem* EditorAnalysis::ProblemAt(int editorLine, int column) const {
    for (const Problem* problem : ProblemsOf(ProgramLine(editorLine))) {
        if (column >= problem->start && column < problem->start + std::max(problem->length, 1))
            return problem;
    }
    return nullptr;
}

std::string EditorAnalysis::ProblemText(const Problem& problem) const {
    if (problem.place.path == path || problem.place.path.empty()) return problem.message;
    return problem.place.path + ":" + std::to_string(problem.place.line) + ": " + problem.message;
}

EditorAnalysis AnalyseEditorText(const std::string& text, const StatusMarks& marks,
                                 const std::string& path) {
    EditorAnalysis analysis;
    analysis.path = path;
    analysis.program = AnalyseProgram(marks.Unmarked(text, 0, text.size()), path);
    analysis.lineStarts = ProgramLineStarts(text, marks.Ranges());
    analysis.byLine.resize(analysis.program.problems.size());
    for (std::size_t i = 0; i < analysis.byLine.size(); ++i) analysis.byLine[i] = i;
    std::stable_sort(
        analysis.byLine.begin(), analysis.byLine.end(), [&](std::size_t a, std::size_t b) {
            return analysis.program.problems[a].line < analysis.program.problems[b].line;
        });
    return analysis;
}

}  // namespace zentrip
