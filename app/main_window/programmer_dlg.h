// CProgrammerDlg: Zentrip's main window. It shows the program source editor, the buttons
// that start and stop programming runs, the serial settings, and the status area that
// unfolds below them during a run; it can be dragged by its background, swallows Escape,
// and collapses before it closes. Serial work (runs, modem set-up and hang-up) runs on the
// window's worker (app/worker/serial_work.h); this class only draws, forwards and carries out the
// window operations the worker hands it.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/common/thread_wake.h"
#include "app/dialogs/run_records_dlg.h"
#include "app/main_window/fold_animator.h"
#include "app/main_window/window_drag.h"
#include "app/worker/background_queue.h"
#include "app/worker/run_window.h"
#include "app/worker/serial_work.h"
#include "app/worker/text_model.h"
#include "app/worker/window_queue.h"
#include "app/worker/window_state.h"
#include "link/comm_settings.h"
#include "platform/clock.h"
#include "platform/serial_device.h"
#include "script/source_place.h"

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextBlock;
class QTimer;

namespace zentrip {

class EditorHighlighter;
class TextPane;

// What the window works with: the real clock and devices, or a test's fakes.
struct WindowServices {
    Clock* clock = &DefaultClock();
    SerialDeviceOpener* opener = &PosixSerialOpener();
    // With --simulate: the device every job's COM port opens instead of the stored one.
    std::string simulatedDevice;
    // Shows the run records' folder ("Open Folder").
    UrlOpener openUrl = &OpenOnDesktop;
};

class CProgrammerDlg final : public QDialog, private RunWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Zentrip V2.21";

    explicit CProgrammerDlg(WindowServices services = {}, QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    // The settings as every serial job uses them (with --simulate, the configured port
    // opens the simulator); the stored ones keep the real device.
    CommSettings EffectiveSettings() const;
    const CommSettings& Settings() const { return m_settings; }
    // Serial work asked for and not yet over; a run among it. The port is closed otherwise.
    bool SerialWorkBusy() const { return m_work->Busy(); }
    bool RunInProgress() const { return m_work->RunInProgress(); }

    // The port, rate and device paths of `chosen` become the window's (the modem string
    // stays), and the "COM PORT" button shows them; they are saved when the window closes.
    void TakeSerialSettings(const CommSettings& chosen);

    // FILE on the command line: the working file, shown once the modem set-up is over.
    void SetStartingFile(const std::string& path);
    // The window's Close command as a termination signal gives it: stop a run without asking,
    // save the settings, collapse, hang up, close.
    void CloseAsSystemCommand();

    using CloseStep = WindowState::CloseStep;

signals:
    // The window has gone through its close sequence; the program may end.
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Construction.
    void BuildControls();
    void ConnectControls();
    QWidget* Control(int id) const;

    // Handlers.
    using EditorLock = WindowState::EditorLock;
    // Runs `operation` on the worker, unless a run is under way, which the user is told.
    void StartUnlessRunning(SerialWork::JobKind kind, void (CProgrammer::*operation)(),
                            EditorLock lock = EditorLock::None);
    void LockEditor(EditorLock lock);
    // Controls the fold hides (below `height`) take no focus: Tab reaches only what shows.
    void FocusOnlyVisible(int height);
    void OnSelect();
    void OnClearWindow();
    void OnStop();
    void OnSaveResults();
    // The one Run Records window, opened or brought to the front and read again.
    void OnRunRecords();
    void OnComPort();
    void OnModemString();
    void OnAbout();
    void OnMiniTerminal();
    void OpenMiniTerminal();
    // A way out waits for the ports; this goes on with it once they are free.
    void ResumeCloseIfPortsFree();
    void OpenDialog(QDialog* dialog);
    // A message box with `text` as shown (OpenMessageBox takes the program's Latin-1 text).
    void OpenBox(const QString& text, MessageBoxButtons buttons, MessageBoxIcon icon,
                 Answered answered);
    void ChooseWorkingFile(const std::string& path);
    void ShowPortButtonText();

    // Jobs on the worker.
    // Nothing new starts once the window is closing, except the close's own hang-up.
    void StartJob(SerialWork::JobKind kind, SerialWork::Job job,
                  std::function<void()> after = nullptr, bool forClose = false);
    void JobEnded(SerialWork::JobKind kind);
    // Dialogs open over the window: a way out answers them No (or cancels them).
    void Track(QDialog* dialog);
    void AnswerOpenDialogsNo();

    // Typed work (programmer_dlg_save.cpp). `then` follows a save that succeeded.
    void OnSaveProgram(std::function<void()> then = nullptr);
    void OnSaveProgramAs(std::function<void()> then = nullptr);
    bool SaveProgramTo(const std::string& path);
    // Runs `then` once what the user typed since the last load or save is saved or may go:
    // asked with Save, Discard and Cancel; Cancel runs nothing.
    void KeepTypedWorkThen(std::function<void()> then);
    // A termination signal: unsaved typed text goes to a recovery file named on stderr.
    void KeepTypedWorkForSignal();

    // The close sequences; AskToClose first asks whether a run under way may be stopped.
    void AskToClose(std::vector<CloseStep> steps);
    void RequestClose(std::vector<CloseStep> steps);
    void NextCloseStep();
    void TakeCloseStep(std::optional<CloseStep> step);

    // The editor's colours and problem marks, and the way from a results line to its source
    // (programmer_dlg_source.cpp).
    void SetUpSourceViews();
    // Analyses the editor's text off the window thread; the highlighter shows the result.
    void AnalyseEditor();
    void ShowProblemTip(const QPoint& at, const QPoint& global);
    // Where a results line's run line was read, and whether the editor shows that file.
    struct LineSource {
        SourcePlace place;
        bool inEditor = false;
    };
    std::optional<LineSource> SourceOfResultsLine(const QTextBlock& line) const;
    // The editor line (from 0) of a place in the editor; -1 when the text has no such line.
    int EditorLineOf(const SourcePlace& place) const;
    void ShowSourceOfResultsLine(const QPoint& at, const QPoint& global);
    void OpenIncludeFile();
    void ShowIncludeFile(const SourcePlace& place, const std::optional<std::string>& text,
                         const std::string& reason);

    // RunWindow: the worker's window operations, on the window thread.
    void SetLineNumberText(const std::string& text) override;
    void SetTotalErrorsText(const std::string& text) override;
    void SetWorkingFileText(const std::string& text) override;
    void OpenMessageBox(const std::string& text, MessageBoxButtons buttons, MessageBoxIcon icon,
                        Answered answered) override;
    void OpenFileChoice(const std::string& filter, Chosen chosen) override;
    void EnableProgramButton(bool enable) override;
    void ShowStopButton(const std::string& caption) override;
    void SetStopButtonCaption(const std::string& caption) override;
    void ShowStatusDisplay() override;
    void HideStatusDisplay() override;
    void SetRunCursor(RunCursor cursor) override;
    void FocusEditor() override;

    WindowServices m_services;
    CommSettings m_settings;
    CommSettings m_loadedSettings;  // as the start-up found them: the close saves what differs
    std::string m_workingFile;
    std::string m_startingFile;  // shown in the editor after the start-up's modem set-up
    std::string m_editorFile;    // the file the editor shows, which Save Program writes
    WindowState m_state;
    // During a run from the editor: what the run found when it began on the worker.
    std::shared_ptr<std::shared_ptr<const TextModel::Kept>> m_keptEditor;
    // What the results pane's line numbers count: the lines of the editor's text from `start`
    // (a preview: the text as it is, `kept` empty) or the working file's.
    struct ResultsProgram {
        bool fromEditor = false;
        std::shared_ptr<const TextModel::Kept> kept;
        std::size_t start = 0;
    };
    ResultsProgram m_resultsProgram;

    TextModel m_editorModel;
    TextModel m_resultsModel;
    WindowQueue m_queue;
    ThreadWake m_queueWake{this, [this] { m_queue.Drain(); }};

    QLineEdit* m_workingFileField = nullptr;
    TextPane* m_editor = nullptr;
    TextPane* m_results = nullptr;
    QPushButton* m_programButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_comPortButton = nullptr;
    QCheckBox* m_directCheck = nullptr;
    QLineEdit* m_lineNumber = nullptr;
    QLineEdit* m_totalErrors = nullptr;
    QPixmap m_background;
    EditorHighlighter* m_highlighter = nullptr;
    QTimer* m_analysisTimer = nullptr;  // starts again with each change of the editor's text
    QAction* m_openInclude = nullptr;

    std::unique_ptr<FoldAnimator> m_animator;
    WindowDrag m_drag;
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> m_foldedControls;  // and their policy
    QPointer<CRunRecordsDlg> m_runRecords;
    std::vector<QPointer<QDialog>> m_openDialogs;  // answered No or cancelled on a way out

    std::uint64_t m_loads = 0;   // files given to the loader; only the last one's result counts
    BackgroundQueue m_loader;    // reads the files the editor shows
    BackgroundQueue m_analyser;  // analyses the editor's text
    std::unique_ptr<SerialWork> m_work;  // last: its worker uses everything above
};

}  // namespace zentrip
