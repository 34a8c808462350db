// MemoryTextSink: a text control held in memory, for the command line and for tests. An
// optional observer learns of every change (what was inserted, set or deleted) in order.
#pragma once

#include <functional>
#include <string>

#include "text/text_sink.h"

namespace zentrip {

class MemoryTextSink final : public TextSink {
public:
    enum class Change { Inserted, Set, Deleted };
    using Observer = std::function<void(Change change, std::string_view text)>;

    void SetObserver(Observer observer) { m_observer = std::move(observer); }

    std::size_t Length() const override { return m_text.size(); }
    std::string Text() const override { return m_text; }
    void SetText(std::string_view text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t* start, std::size_t* end) const override;
    void ScrollCaret() override {}
    void ClearSelection() override;
    void ReplaceSelection(std::string_view text) override;

private:
    void Notify(Change change, std::string_view text) {
        if (m_observer) m_observer(change, text);
    }

    std::string m_text;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
    Observer m_observer;
};

}  // namespace zentrip
