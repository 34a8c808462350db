// ResultsTee: the results pane as a recorded run writes it. Every call goes on to the pane;
// what is inserted is also handed to `inserted`, so the run's record gets exactly the text
// the pane received, as the command line's stdout does.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "text/text_sink.h"

namespace zentrip {

class ResultsTee final : public TextSink {
public:
    ResultsTee(TextSink& pane, std::function<void(std::string_view)> inserted)
        : m_pane(pane), m_inserted(std::move(inserted)) {}

    std::size_t Length() const override { return m_pane.Length(); }
    std::string Text() const override { return m_pane.Text(); }
    void SetText(std::string_view text) override { m_pane.SetText(text); }
    void SetSelection(std::size_t start, std::size_t end) override {
        m_pane.SetSelection(start, end);
    }
    void GetSelection(std::size_t* start, std::size_t* end) const override {
        m_pane.GetSelection(start, end);
    }
    void ScrollCaret() override { m_pane.ScrollCaret(); }
    void ClearSelection() override { m_pane.ClearSelection(); }
    void ReplaceSelection(std::string_view text) override {
        // The record first: whatever the pane has shown, the record holds already.
        m_inserted(text);
        m_pane.ReplaceSelection(text);
    }

private:
    TextSink& m_pane;
    std::function<void(std::string_view)> m_inserted;
};

}  // namespace zentrip
