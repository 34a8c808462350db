// EditorHighlighter: the source editor's colours and problem marks. The analysis of the text
// is made off the window thread (app/worker/editor_analysis.h); highlighting a line only looks its
// spans up. A new analysis colours the lines in view at once and every other line when it
// comes into view, so a long program costs the window no more than a screenful. A line the
// user changes since the last analysis is coloured on its own meanwhile (without its symbols
// or problems), and the rest keep their colours.
#pragma once

#include <QSyntaxHighlighter>
#include <cstdint>
#include <memory>

#include "app/worker/editor_analysis.h"

namespace zentrip {

class TextPane;

class EditorHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit EditorHighlighter(TextPane& editor);

    // Changes of the editor's text so far: an analysis made after the count was read is the
    // text's as long as the count stays.
    std::uint64_t Edits() const { return m_edits; }
    // The analysis of the text as it stood at `edits`; dropped when the text changed since.
    void Show(std::shared_ptr<const EditorAnalysis> analysis, std::uint64_t edits);
    // The analysis the editor shows, when it is that of the text as it is now.
    const EditorAnalysis* Current() const;

protected:
    void highlightBlock(const QString& text) override;

private:
    void Changed(int position, int removed, int added);
    void ColourAlone(const QString& text);
    // Lines in view that another analysis coloured are coloured by this one.
    void RefreshInView();

    TextPane& m_editor;
    std::shared_ptr<const EditorAnalysis> m_analysis;
    std::uint64_t m_edits = 0;
    std::uint64_t m_analysedEdits = 0;  // Edits() of the text m_analysis is of
    int m_shown = 0;                    // analyses shown so far: each line knows its own
    bool m_smallChange = false;         // the last change was typing, not a load
};

}  // namespace zentrip
