// CProgrammer: the programming run and everything around it that needs the one serial port
// of the main window: the run from the working file (direct, remote session and local tone
// modes), programming from the editor's text, the file choice, and the modem set-up and
// hang-up. It holds the run state, the serial settings, the port, the clock and the host
// through which it reaches the window (session/run_host.h).
//
// Threads: every operation runs on one thread, the one that does serial work (the window
// thread, or a worker whose host marshals window calls). RequestStop, AbortRun and
// IsProgrammingActive may be called from any thread.
//
// The port belongs to a run while it is active: InitModem and HangUp are refused then
// (InitModem says so in a message box, HangUp returns false silently), and
// ProgramFromFile, ProgramAllInWindow and ProgramSelected refuse a second run. A window
// asks IsProgrammingActive before it lets the Mini Terminal open the port, and stops the
// run and waits for its end before it closes. So no other operation reopens or closes the
// port under a run.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "link/comm_settings.h"
#include "link/link_host.h"
#include "link/modem.h"
#include "link/remote_session.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/serial_device.h"
#include "session/run_host.h"
#include "session/run_places.h"

namespace zentrip {

class CPreprocessor;
class ResultsTee;
class RunRecord;
class TempFile;

class CProgrammer {
public:
    // How the last run ended; the command line turns it into its exit status.
    enum class RunOutcome {
        NotStarted,       // refused, no working file, port or program file not opened
        Complete,         // end of file reached (see ErrorCount for controller errors)
        HaltedByUser,     // Stop
        HaltedByError,    // No to the continue question
        HaltedFatal,      // fatal preprocessor error
        HaltedDeviceLost  // the serial device vanished
    };

    // Real serial devices.
    CProgrammer(RunHost& host, Clock& clock);
    // Devices from `opener` (a fake line in tests).
    CProgrammer(RunHost& host, Clock& clock, SerialDeviceOpener& opener);
    ~CProgrammer();
    CProgrammer(const CProgrammer&) = delete;
    CProgrammer& operator=(const CProgrammer&) = delete;

    // The serial settings: COM port, data rate of a run, modem init string, and the device
    // path of each port number (the port opens DevicePathOf(Settings(), port)).
    CommSettings& Settings() { return m_commSettings; }
    const CommSettings& Settings() const { return m_commSettings; }
    void SetPort(int port) { m_commSettings.port = port; }
    void SetRate(std::uint32_t rate) { m_commSettings.dataRate = rate; }
    CSerialPort& SerialPort() { return m_serialPort; }

    // The run (control 1000) and the Stop / "Hide Status Display" button (control 1005):
    // StopProgramming is RequestStop plus folding the status display when no run is in
    // progress, so it belongs on the thread that owns the host's window operations.
    void ProgramFromFile();
    void StopProgramming();
    // The run stops after the current line (a wait command in progress finishes first). Only
    // stores an atomic, for a window whose run works on another thread.
    void RequestStop() { m_stopRequested = true; }
    // Stops the run as Stop does and also cuts short a wait command in progress, for the ways
    // out that cannot wait (closing the window, a termination signal). Only stores atomics, so
    // any thread and a signal handler may call it.
    void AbortRun();
    bool IsProgrammingActive() const { return m_programmingActive.load(); }

    // Modem set-up and hang-up on the configured port; false when refused during a run.
    bool InitModem();
    bool HangUp();

    // Programming from the editor (controls 1002, 1006, 1007, 1008).
    void SelectWorkingFile();
    void ShowFileInEditor(const std::string& path);
    void ClearEditor();
    void ProgramAllInWindow();
    void ProgramSelected();
    // Fills the results pane with what a run of the editor's text would deliver, numbered as
    // the run numbers its lines; wait commands are skipped and no port is opened.
    void PreviewExpansion();

    // Each run from here on leaves a record in `folder` (session/run_record.h); an empty
    // folder is one that cannot be had, which each run then says. Empty (the default): none.
    void SetRecordFolder(std::optional<std::string> folder) { m_recordFolder = std::move(folder); }

    void SetWorkingFile(std::string path) { m_workingFile = std::move(path); }
    const std::string& WorkingFile() const { return m_workingFile; }

    // The last run.
    RunOutcome LastOutcome() const { return m_outcome; }
    int ErrorCount() const { return m_errorCount; }
    int LineNumber() const { return m_lineNumber; }
    const SessionState& Session() const { return m_session; }
    // Where each line of the last (or current) run was read.
    const RunPlaces& Places() const { return m_places; }

private:
    enum class LoopEnd { EndOfFile, UserHalt, Halted };

    LoopEnd RunLines(CPreprocessor& preprocessor);
    bool SendLine(std::string& line, bool hidden);
    void EndRun();
    bool DeviceLostHalt();
    std::int64_t RunSeconds();
    void Show(std::string_view text);
    void ShowErrors();
    // Tells the host where the current line was read and why it failed.
    void ReportFailedLine(std::string_view why);
    bool ProgramFromText(const std::string& text);
    // The run's record (session/programmer_record.cpp).
    void StartRecord();
    void RecordIncludes(CPreprocessor& preprocessor);
    void RecordFailedLine(std::string_view line, std::string_view verdict);
    void FinishRecord();
    void TellRecordTrouble(std::string_view what);
    std::string OutcomeText() const;

    RunHost& m_host;
    Clock& m_clock;
    CSerialPort m_serialPort;
    CModem m_modem;

    CommSettings m_commSettings;

    std::atomic<bool> m_programmingActive{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_abortRequested{false};  // also ends wait commands early
    bool m_directMode = false;
    SessionState m_session;  // m_remoteSession, m_sessionInProgress, m_password
    std::string m_workingFile;
    TempFile* m_temporaryProgram = nullptr;  // the working file of a run from the editor
    std::string m_editorProgramName;         // what a run from the editor is filed under

    std::optional<std::string> m_recordFolder;
    std::unique_ptr<RunRecord> m_record;  // the running run's
    std::unique_ptr<ResultsTee> m_tee;    // the results pane, also feeding m_record
    std::string m_recordTrouble;          // why the record stopped, to tell after the Show
    std::string m_notStartedStep;         // which step a run that did not start failed at

    RunOutcome m_outcome = RunOutcome::NotStarted;
    int m_lineNumber = 0;
    int m_errorCount = 0;
    RunPlaces m_places;
    std::int64_t m_deadline = 0;  // RunSeconds() when more connect time is due
};

// The file choice's filter: pairs of description and pattern, "|" between them.
inline constexpr const char* kProgramFileFilter =
    "Orvane Files (*.orv) | *.orv | All Files (*.*) | *.* ||";

// The source editor's text for the file at path, as ShowFileInEditor shows it: line ends
// become CR LF. Nothing when the file cannot be read, with the system's reason.
std::optional<std::string> EditorTextOfFile(const std::string& path, std::string* reason);
// Shows what EditorTextOfFile read in the editor, or instead the notice that the file
// cannot be shown, with the reason, among the editor's status lines.
void ShowInEditor(TextSink& editor, TextSink& status, const std::optional<std::string>& text,
                  const std::string& reason);

}  // namespace zentrip
