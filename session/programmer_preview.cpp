// The expansion preview: the editor's text expanded as a run would deliver it, shown in the
// results pane in the run's echo form, with nothing sent and no port opened.
#include "platform/temp_file.h"
#include "script/preprocessor.h"
#include "session/programmer.h"
#include "session/run_text.h"
#include "text/format_text.h"

namespace zentrip {

void CProgrammer::PreviewExpansion() {
    TextSink& results = m_host.ResultsPane();
    results.SetText("");
    // The preprocessor reads files; the text goes through a private temporary one, as a run
    // from the window does, so include names resolve the same way.
    TempFile file;
    if (!file.Create(m_host.SourceEditor().ProgramText(0, std::string::npos))) {
        m_host.MessageBox("Error creating temporary file.\rUnable to preview the expansion.",
                          MessageBoxButtons::Ok, MessageBoxIcon::Stop);
        return;
    }
    // Wait commands move virtual time on instead of pausing; time-set lines read the local
    // time from now on.
    VirtualClock clock(m_clock.LocalNow());
    CPreprocessor preprocessor(clock);
    // Its line numbers name source places as a run's do.
    m_places.Clear(file.Path());
    if (!preprocessor.OpenFile(file.Path().c_str())) {
        Show(Format("Error: Couldn't open %s\r", m_host.PaneText(file.Path()).c_str()));
        return;
    }
    char buffer[CPreprocessor::kRunReadSize + 1] = {};
    for (int lineNumber = 1;; ++lineNumber) {
        const int length = preprocessor.ReadLine(buffer, CPreprocessor::kRunReadSize);
        if (length == CPreprocessor::kEndOfFile) return;
        m_places.Record(lineNumber, preprocessor.LinePlace());
        if (length < 0) {
            Show(Format("\r\nFatal Error in Line %d (%s)\r", lineNumber, preprocessor.ErrorText()));
            return;
        }
        if (preprocessor.IsHidden()) continue;
        std::string line(buffer);
        NormaliseLineEnd(line);
        Show(Format("[%5d] %s", lineNumber, line.c_str()));
    }
}

}  // namespace zentrip
