#include "session/run_text.h"

namespace zentrip {

void NormaliseLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.back() = '\r';
    if (line.empty() || line.back() != '\r') line += '\r';
}

}  // namespace zentrip
