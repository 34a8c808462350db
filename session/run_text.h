// The run's rule for line ends, shared by the run and the expansion preview so both show a
// line the same way.
#pragma once

#include <string>

namespace zentrip {

// A final LF becomes CR, and a line that does not end in CR gets one: every line the run
// delivers ends in CR.
void NormaliseLineEnd(std::string& line);

}  // namespace zentrip
