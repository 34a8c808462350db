// LinkHost: the two window services the modem operations and the remote session need: the
// program source editor, where their progress lines go, and the pump the long waits (a tone
// dial) call so that a Stop comes through. The programming run's host (session/run_host.h)
// extends it; keeping it here lets link/ stay below session/.
#pragma once

#include "text/text_sink.h"

namespace zentrip {

class LinkHost {
public:
    virtual ~LinkHost() = default;

    // The program source editor.
    virtual TextSink& SourceEditor() = 0;
    // Where Zentrip's own lines for the editor go (the modem set-up's, the session's, notices):
    // a window that keeps them apart from the user's program gives a sink of its own.
    virtual TextSink& EditorStatus() { return SourceEditor(); }
    // Lets a Stop asked for meanwhile reach the work, and returns: the console takes its
    // Ctrl-C here; the main window, whose serial work has a thread of its own, does nothing.
    virtual void PumpMessages() = 0;
    // Whether a failed port open is followed, on the next line of its text, by the device and
    // the system's reason. A host that names them in its own way says no.
    virtual bool NamesOpenFailures() const { return true; }
};

}  // namespace zentrip
