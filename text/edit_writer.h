// CEditWriter: the one way progress and result text enters a text control. Carriage returns
// start lines (CR LF is inserted), bare line feeds add none, a backspace erases the character
// before it (also one already shown), and the control is kept near 128000 characters.
#pragma once

#include <string_view>

#include "text/text_sink.h"

namespace zentrip {

class CEditWriter {
public:
    // Content above this is cut back to kKeptLength characters before the next insertion.
    static constexpr std::size_t kTrimThreshold = 127000;
    static constexpr std::size_t kKeptLength = 128000;

    void Append(TextSink& sink, std::string_view text);
};

}  // namespace zentrip
