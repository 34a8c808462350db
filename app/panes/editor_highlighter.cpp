#include "app/panes/editor_highlighter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "app/panes/text_pane.h"
#include "script/preprocessor.h"

namespace zentrip {

namespace {

// A change of at most this many characters is typing: its lines are coloured on their own.
constexpr int kTypedChange = 4096;

// The editor's colours, all of them. Hues at the lightness of the editor's own text colour,
// so they read on a light and on a dark theme alike; Zentrip's status lines are drawn over
// them in their own grey.
QTextCharFormat SpanFormat(SpanKind kind, const QColor& text) {
    const bool darkText = text.lightness() < 128;
    const auto tint = [darkText](int hue) {
        return QColor::fromHsl(hue, 190, darkText ? 85 : 170);
    };
    QTextCharFormat format;
    switch (kind) {
        case SpanKind::kComment:
            format.setForeground(tint(120));
            break;
        case SpanKind::kDirective:
            format.setForeground(tint(275));
            break;
        case SpanKind::kCommand:
            format.setForeground(tint(320));
            break;
        case SpanKind::kSymbol:
            format.setForeground(tint(30));
            break;
        case SpanKind::kIncludeName:
            format.setForeground(tint(180));
            break;
        case SpanKind::kSent:
            format.setForeground(tint(220));
            break;
    }
    return format;
}

QColor ProblemColour(const QColor& text) {
    return QColor::fromHsl(0, 230, text.lightness() < 128 ? 115 : 150);
}

// Which analysis coloured a line.
struct ShownBy final : QTextBlockUserData {
    explicit ShownBy(int shown) : analysis(shown) {}
    int analysis;
};

int ShownAnalysis(const QTextBlock& block) {
    const auto* shown = static_cast<const ShownBy*>(block.userData());
    return shown ? shown->analysis : -1;
}

}  // namespace

EditorHighlighter::EditorHighlighter(TextPane& editor)
    : QSyntaxHighlighter(static_cast<QObject*>(&editor)), m_editor(editor) {
    // Counted before the highlighter sees the change, so the changed lines know the analysis
    // is no longer the text's.
    connect(editor.document(), &QTextDocument::contentsChange, this, &EditorHighlighter::Changed);
    connect(&editor, &TextPane::LongEditShown, this, [this] { Changed(0, 0, kTypedChange + 1); });
    setDocument(editor.document());
    connect(editor.verticalScrollBar(), &QScrollBar::valueChanged, this,
            &EditorHighlighter::RefreshInView);
    connect(&editor, &QPlainTextEdit::updateRequest, this, &EditorHighlighter::RefreshInView);
}

void EditorHighlighter::Changed(int, int removed, int added) {
    ++m_edits;
    m_smallChange = std::max(removed, added) <= kTypedChange;
}

void EditorHighlighter::Show(std::shared_ptr<const EditorAnalysis> analysis, std::uint64_t edits) {
    if (edits != m_edits) return;
    m_analysis = std::move(analysis);
    m_analysedEdits = edits;
    ++m_shown;
    RefreshInView();
}

const EditorAnalysis* EditorHighlighter::Current() const {
    return m_analysis && m_analysedEdits == m_edits ? m_analysis.get() : nullptr;
}

void EditorHighlighter::RefreshInView() {
    if (!Current()) return;
    m_editor.ForLinesInView([this](const QTextBlock& block) {
        if (ShownAnalysis(block) != m_shown) rehighlightBlock(block);
    });
}

void EditorHighlighter::highlightBlock(const QString& text) {
    const EditorAnalysis* analysis = Current();
    if (!analysis) {
        // A long text's lines are not each given data of their own while it loads.
        if (currentBlockUserData()) setCurrentBlockUserData(nullptr);
        if (m_smallChange) ColourAlone(text);
        return;
    }
    setCurrentBlockUserData(new ShownBy(m_shown));
    const QColor textColour = m_editor.palette().color(QPalette::Text);
    const int line = analysis->ProgramLine(currentBlock().blockNumber());
    if (line == 0) return;
    for (const Span& span : analysis->program.SpansOfLine(line))
        setFormat(span.start, span.length, SpanFormat(span.kind, textColour));
    for (const Problem* problem : analysis->ProblemsOf(line)) {
        const int end =
            std::min(problem->start + std::max(problem->length, 1), static_cast<int>(text.size()));
        for (int i = problem->start; i < end; ++i) {
            QTextCharFormat marked = format(i);
            marked.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            marked.setUnderlineColor(ProblemColour(textColour));
            setFormat(i, 1, marked);
        }
    }
}

void EditorHighlighter::ColourAlone(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    ErrorText errors;
    CSymbolTable noSymbols(errors);
    std::vector<Span> spans;
    constexpr int kPiece = CPreprocessor::kRunReadSize - 1;
    char piece[kPiece + 1];
    for (int column = 0; column == 0 || column < bytes.size(); column += kPiece) {
        const int length = std::min(kPiece, static_cast<int>(bytes.size()) - column);
        std::copy_n(bytes.constData() + column, length, piece);
        piece[length] = '\0';
        AppendLineSpans(piece, noSymbols, column, spans);
    }
    const QColor textColour = m_editor.palette().color(QPalette::Text);
    for (const Span& span : spans)
        setFormat(span.start, span.length, SpanFormat(span.kind, textColour));
}

}  // namespace zentrip
