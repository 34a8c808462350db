// EditorAnalysis: the analysis of the editor's program (script/program_analysis.h) laid onto
// the editor's lines, as a run from the editor would program its text: Zentrip's status lines
// are left out and the program's lines found again among the editor's. Made off the window
// thread; the window only looks things up in it.
#pragma once

#include <string>
#include <vector>

#include "app/worker/status_marks.h"
#include "script/program_analysis.h"

namespace zentrip {

struct EditorAnalysis {
    // The program line that begins on editor line `editorLine` (from 0); 0 for none.
    int ProgramLine(int editorLine) const;
    // The problems of program line `line`.
    std::vector<const Problem*> ProblemsOf(int line) const;
    // The problem marked at `column` of editor line `editorLine`, or none.
    const Problem* ProblemAt(int editorLine, int column) const;
    // What hovering over `problem` shows: the preprocessor's text, after the place in the
    // include file where the problem lies in one.
    std::string ProblemText(const Problem& problem) const;

    std::string path;  // what the program was analysed as
    ProgramAnalysis program;
    std::vector<int> lineStarts;      // the editor line of each program line
    std::vector<std::size_t> byLine;  // indices in program.problems, by their line
};

// `text` and its status characters `marks` as the editor model holds them; `path` as for
// AnalyseProgram.
EditorAnalysis AnalyseEditorText(const std::string& text, const StatusMarks& marks,
                                 const std::string& path);

}  // namespace zentrip
