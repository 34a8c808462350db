// CProgrammerDlg and the program's source: the editor's colours and the problems a run would
// refuse, found while the user types, and the way from a results line to where its run line
// was read.
#include <QAction>
#include <QDialog>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/common/qt_text.h"
#include "app/common/window_fonts.h"
#include "app/main_window/programmer_dlg.h"
#include "app/panes/editor_highlighter.h"
#include "app/panes/text_pane.h"
#include "app/worker/results_source.h"

namespace zentrip {

namespace {

constexpr int kAnalysisDelayMs = 300;  // after the last change of the text
// What an editor's text without a file of its own is analysed as.
constexpr const char* kEditorTextName = "(editor)";

}  // namespace

void CProgrammerDlg::SetUpSourceViews() {
    m_highlighter = new EditorHighlighter(*m_editor);
    m_analysisTimer = new QTimer(this);
    m_analysisTimer->setSingleShot(true);
    m_analysisTimer->setInterval(kAnalysisDelayMs);
    connect(m_analysisTimer, &QTimer::timeout, this, &CProgrammerDlg::AnalyseEditor);
    connect(m_editor->document(), &QTextDocument::contentsChange, m_analysisTimer,
            qOverload<>(&QTimer::start));
    connect(m_editor, &TextPane::LongEditShown, m_analysisTimer, qOverload<>(&QTimer::start));
    m_editor->viewport()->installEventFilter(this);
    m_results->viewport()->installEventFilter(this);
    // The results pane's cursor can be moved by keys, so its menu entry is reached without
    // the mouse.
    m_results->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_openInclude = new QAction("Open Include File", this);
    m_openInclude->setEnabled(false);
    connect(m_openInclude, &QAction::triggered, this, &CProgrammerDlg::OpenIncludeFile);
    connect(m_results, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const std::optional<LineSource> source =
            SourceOfResultsLine(m_results->textCursor().block());
        m_openInclude->setEnabled(source && !source->inEditor);
    });
    m_results->AddContextAction(m_openInclude);
}

void CProgrammerDlg::AnalyseEditor() {
    if (!m_state.BeginAnalysis()) return;
    const std::uint64_t edits = m_highlighter->Edits();
    const std::string path = m_editorFile.empty() ? kEditorTextName : m_editorFile;
    m_analyser.Post([this, edits, path] {
        std::shared_ptr<const EditorAnalysis> analysis;
        // Changes the editor has yet to show would change the text again: their own
        // analysis follows them.
        if (m_editorModel.StatusShownNow()) {
            const std::shared_ptr<const TextModel::Kept> kept = m_editorModel.Keep();
            analysis = std::make_shared<const EditorAnalysis>(
                AnalyseEditorText(kept->text, kept->marks, path));
        }
        m_queue.Post([this, edits, analysis] {
            const bool again = m_state.EndAnalysis();
            if (analysis) m_highlighter->Show(analysis, edits);
            if (again) AnalyseEditor();
        });
    });
}

bool CProgrammerDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowProblemTip(help->pos(), help->globalPos());
        return true;
    }
    if (watched == m_results->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        ShowSourceOfResultsLine(mouse->position().toPoint(), mouse->globalPosition().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

void CProgrammerDlg::ShowProblemTip(const QPoint& at, const QPoint& global) {
    const EditorAnalysis* analysis = m_highlighter->Current();
    const QTextCursor cursor = m_editor->cursorForPosition(at);
    const Problem* problem =
        analysis ? analysis->ProblemAt(cursor.blockNumber(), cursor.positionInBlock()) : nullptr;
    if (problem)
        QToolTip::showText(global, Latin1(analysis->ProblemText(*problem)), m_editor->viewport());
    else
        QToolTip::hideText();
}

std::optional<CProgrammerDlg::LineSource> CProgrammerDlg::SourceOfResultsLine(
    const QTextBlock& line) const {
    const std::optional<int> runLine = RunLineOfResultsLine(line.text().toLatin1().toStdString());
    if (!runLine) return std::nullopt;
    const RunPlaces& places = m_work->Places();
    const std::optional<SourcePlace> place = places.Find(*runLine);
    if (!place) return std::nullopt;
    // A run shows the file it programs in the editor, a run from the editor too.
    const bool inEditor =
        place->path == places.ProgramPath() &&
        (m_work->RunInProgress() || m_resultsProgram.fromEditor || place->path == m_editorFile);
    return LineSource{*place, inEditor};
}

int CProgrammerDlg::EditorLineOf(const SourcePlace& place) const {
    if (m_work->RunInProgress() || !m_resultsProgram.fromEditor) return place.line - 1;
    const std::shared_ptr<const TextModel::Kept> kept =
        m_resultsProgram.kept ? m_resultsProgram.kept : m_editorModel.Keep();
    const std::vector<int> starts =
        ProgramLineStarts(kept->text, kept->marks.Ranges(), m_resultsProgram.start);
    return place.line <= static_cast<int>(starts.size())
               ? starts[static_cast<std::size_t>(place.line - 1)]
               : -1;
}

void CProgrammerDlg::ShowSourceOfResultsLine(const QPoint& at, const QPoint& global) {
    const std::optional<LineSource> source =
        SourceOfResultsLine(m_results->cursorForPosition(at).block());
    if (!source) return;
    const QTextBlock block =
        source->inEditor ? m_editor->document()->findBlockByNumber(EditorLineOf(source->place))
                         : QTextBlock();
    if (block.isValid()) {
        QTextCursor line(block);
        line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        m_editor->setTextCursor(line);
        m_editor->ensureCursorVisible();
        return;
    }
    const std::string where = source->place.path + ":" + std::to_string(source->place.line);
    QToolTip::showText(global,
                       PathText(where) +
                           ": not in the editor; Open Include File on this "
                           "pane's menu shows it",
                       m_results->viewport());
}

void CProgrammerDlg::OpenIncludeFile() {
    const std::optional<LineSource> source = SourceOfResultsLine(m_results->textCursor().block());
    if (!source || source->inEditor) return;
    m_loader.Post([this, place = source->place] {
        std::string reason;
        const std::optional<std::string> text = EditorTextOfFile(place.path, &reason);
        m_queue.Post([this, place, text, reason] { ShowIncludeFile(place, text, reason); });
    });
}

void CProgrammerDlg::ShowIncludeFile(const SourcePlace& place,
                                     const std::optional<std::string>& text,
                                     const std::string& reason) {
    if (m_state.Closing()) return;
    if (!text) {
        OpenBox("Couldn't open " + PathText(place.path) + "\n" + Latin1(reason),
                MessageBoxButtons::Ok, MessageBoxIcon::Stop, nullptr);
        return;
    }
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(PathText(place.path) + " (read-only)");
    auto* view = new QPlainTextEdit(dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(FixedPitchFont());
    view->setAccessibleName(PathText(place.path));
    QString shown = Latin1(*text);
    shown.replace("\r\n", "\n");
    view->setPlainText(shown);
    QTextCursor line(view->document()->findBlockByNumber(place.line - 1));
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view->setTextCursor(line);
    (new QVBoxLayout(dialog))->addWidget(view);
    dialog->resize(width() * 3 / 4, height() / 2);
    Track(dialog);
    dialog->show();
    view->centerCursor();
}

}  // namespace zentrip
