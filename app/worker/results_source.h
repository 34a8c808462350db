// Which run line a line of the results pane names, and where the lines of a program run from
// the editor lie in the editor, so a double-click can lead from one to the other.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "app/worker/status_marks.h"

namespace zentrip {

// The run's number of the line a results-pane line is about: the echo "[%5d] ..." and the
// verdicts "Error in Line %d (...)" and "Fatal Error in Line %d (...)"; nothing for any other.
std::optional<int> RunLineOfResultsLine(std::string_view line);

// The editor lines (from 0, as the widget counts them: a CR LF, a lone CR and a lone LF each
// end one) where the lines of a program begin, element i for line i + 1. The program is what a
// run from the editor programs: `text` from `start` on without the status characters `marks`,
// its lines ending at LF.
std::vector<int> ProgramLineStarts(std::string_view text,
                                   const std::vector<StatusMarks::Range>& marks,
                                   std::size_t start = 0);

// The program line that begins on editor line `editorLine`, from 1; 0 for none.
int ProgramLineAt(const std::vector<int>& starts, int editorLine);

}  // namespace zentrip
