// LinkHost: the two window services the modem operations and the remote session need: the
// program source editor, where their progress lines go, and the message pump that keeps the
// window alive during a tone-dial wait. The programming run's host (session/run_host.h)
// extends it; keeping it here lets link/ stay below session/.
#pragma once

#include "platform/text_sink.h"

namespace zentrip {

class LinkHost {
public:
    virtual ~LinkHost() = default;

    // The program source editor.
    virtual TextSink& SourceEditor() = 0;
    // Handles the window's pending messages (the Stop button among them) and returns.
    virtual void PumpMessages() = 0;
};

}  // namespace zentrip
