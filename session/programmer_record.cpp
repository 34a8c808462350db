// CProgrammer's side of the run records: starting one when a run starts, feeding it the
// results and the refused lines, and finishing it with the outcome. A record that cannot be
// written never stops the run; the run says once why it is not (or no longer) recorded.
#include <cstdlib>

#include "platform/sha256.h"
#include "script/preprocessor.h"
#include "session/programmer.h"
#include "session/results_tee.h"
#include "session/run_record.h"
#include "text/format_text.h"

namespace zentrip {

namespace {

std::string AbsolutePath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string absolute = resolved;
    std::free(resolved);
    return absolute;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

void CProgrammer::StartRecord() {
    m_notStartedStep.clear();
    if (!m_recordFolder) return;
    auto record = std::make_unique<RunRecord>();
    RunRecordStart start;
    start.startSeconds = m_clock.CalendarSeconds();
    start.program = m_temporaryProgram ? m_editorProgramName : BaseName(m_workingFile);
    start.workingFile = AbsolutePath(m_workingFile);
    if (m_temporaryProgram) start.workingFile += " (the editor's text)";
    start.mode = m_directMode                ? "direct"
                 : m_session.m_remoteSession ? "remote session"
                                             : "local tone";
    start.port = m_commSettings.port;
    start.device = m_serialPort.DevicePathOf(m_commSettings.port);
    start.rate = m_commSettings.dataRate;
    std::string why;
    if (!record->Start(*m_recordFolder, start, &why)) {
        TellRecordTrouble("This run is not recorded: " + why);
        return;
    }
    m_record = std::move(record);
    m_tee = std::make_unique<ResultsTee>(m_host.ResultsPane(), [this](std::string_view text) {
        std::string trouble;
        if (!m_record->AppendResults(text, &trouble))
            m_recordTrouble = "The record of this run stops here: " + trouble;
    });
}

void CProgrammer::RecordIncludes(CPreprocessor& preprocessor) {
    if (!m_record) return;
    preprocessor.SetIncludeObserver([this](const std::string& path, std::FILE* file) {
        if (const auto digest = DigestOfDescriptor(fileno(file)))
            m_record->AddIncludedFile(AbsolutePath(path), *digest);
    });
}

void CProgrammer::RecordFailedLine(std::string_view line, std::string_view verdict) {
    if (m_record) m_record->AddFailedLine(m_lineNumber, line, verdict);
}

void CProgrammer::FinishRecord() {
    if (!m_record) return;
    m_tee.reset();
    std::string why;
    const RunRecordEnd end{m_clock.CalendarSeconds(), OutcomeText(), m_errorCount};
    const bool finished = m_record->Finish(end, &why);
    m_record.reset();
    if (!finished) TellRecordTrouble("The record of this run is left unfinished: " + why);
}

void CProgrammer::TellRecordTrouble(std::string_view what) {
    m_host.Diagnostic(what);
    Show(Format("\r** %.*s **\r", static_cast<int>(what.size()), what.data()));
}

std::string CProgrammer::OutcomeText() const {
    switch (m_outcome) {
        case RunOutcome::NotStarted:
            return "not started: " + m_notStartedStep;
        case RunOutcome::Complete:
            if (m_errorCount == 0) return "complete";
            return Format("complete with %d controller error%s", m_errorCount,
                          m_errorCount == 1 ? "" : "s");
        case RunOutcome::HaltedByUser:
            return "halted by the user";
        case RunOutcome::HaltedByError:
            return "halted by an error condition";
        case RunOutcome::HaltedFatal:
            return "fatal error";
        case RunOutcome::HaltedDeviceLost:
            return "halted: the serial device was lost";
    }
    return "";
}

}  // namespace zentrip
