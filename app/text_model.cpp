#include "app/text_model.h"

#include <algorithm>
#include <optional>

namespace zentrip {

namespace {

constexpr std::size_t kEditBudget = 64;

bool PairAt(std::string_view text, std::size_t i) {
    return i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
}

// Characters of `text` in the widget: each CR LF pair is one.
std::size_t WidgetLength(std::string_view text) {
    std::size_t pairs = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) pairs += PairAt(text, i);
    return text.size() - pairs;
}

}  // namespace

void TextModel::SetWake(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

std::size_t TextModel::Length() const {
    std::lock_guard lock(m_mutex);
    return m_text.size();
}

std::string TextModel::Text() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

std::size_t TextModel::Loads() const {
    std::lock_guard lock(m_mutex);
    return m_loads;
}

void TextModel::SetText(std::string_view text) {
    std::unique_lock lock(m_mutex);
    ++m_loads;
    // The results pane keeps its last characters by setting them as its new text: that is a
    // cut at the start, and the widget only loses its first lines.
    const std::string_view old = m_text;
    const bool suffix = text.size() < old.size() && old.substr(old.size() - text.size()) == text;
    Edit edit = ReplaceLocked(0, suffix ? old.size() - text.size() : old.size(),
                              suffix ? std::string_view() : text);
    m_start = m_end = 0;
    Queue(std::move(edit), true, false, std::move(lock));
}

void TextModel::SetSelection(std::size_t start, std::size_t end) {
    std::unique_lock lock(m_mutex);
    m_start = std::min(start, m_text.size());
    m_end = std::min(std::max(end, m_start), m_text.size());
    Queue(std::nullopt, true, false, std::move(lock));
}

void TextModel::GetSelection(std::size_t* start, std::size_t* end) const {
    std::lock_guard lock(m_mutex);
    if (start) *start = m_start;
    if (end) *end = m_end;
}

void TextModel::ScrollCaret() { Queue(std::nullopt, false, true, std::unique_lock(m_mutex)); }

void TextModel::ClearSelection() {
    std::unique_lock lock(m_mutex);
    if (m_start == m_end) return;
    Edit edit = ReplaceLocked(m_start, m_end, {});
    m_end = m_start;
    Queue(std::move(edit), true, false, std::move(lock));
}

void TextModel::ReplaceSelection(std::string_view text) {
    std::unique_lock lock(m_mutex);
    Edit edit = ReplaceLocked(m_start, m_end, text);
    m_start = m_end = m_start + text.size();
    Queue(std::move(edit), true, false, std::move(lock));
}

TextModel::Update TextModel::TakeUpdate() {
    std::lock_guard lock(m_mutex);
    Update update = std::move(m_pending);
    m_pending = Update{};
    m_waiting = false;
    if (update.selectionChanged) {
        update.selectionStart = WidgetPosition(m_start);
        update.selectionEnd = WidgetPosition(m_end);
    }
    return update;
}

void TextModel::ApplyWidgetEdit(std::size_t start, std::size_t removed, std::string_view inserted,
                                bool exact) {
    std::unique_lock lock(m_mutex);
    const std::size_t widgetLength = m_text.size() - m_pairs;
    start = std::min(start, widgetLength);
    removed = std::min(removed, widgetLength - start);
    std::string text;
    for (char ch : inserted) {
        if (ch == '\n')
            text += "\r\n";
        else
            text += ch;
    }
    const std::size_t modelStart = ModelPosition(start);
    Edit edit = ReplaceLocked(modelStart, ModelPosition(start + removed), text);
    m_start = m_end = modelStart + text.size();
    // The widget already shows the edit; it only needs the model's form when a CR and an LF
    // met to form one line end, or when it holds characters the model could not take.
    const std::size_t widgetHolds = edit.removed - removed + inserted.size();
    if (exact && widgetHolds == WidgetLength(edit.text)) return;
    edit.removed = widgetHolds;
    Queue(std::move(edit), false, false, std::move(lock));
}

void TextModel::SetWidgetSelection(std::size_t start, std::size_t end) {
    std::lock_guard lock(m_mutex);
    m_start = ModelPosition(std::min(start, end));
    m_end = ModelPosition(std::max(start, end));
}

TextModel::Edit TextModel::ReplaceLocked(std::size_t start, std::size_t end,
                                         std::string_view text) {
    start = std::min(start, m_text.size());
    end = std::min(std::max(end, start), m_text.size());
    const Region region = Widen(start, end);
    Edit edit;
    edit.start = WidgetPosition(region.start);
    const std::size_t oldPairs = PairsIn(region.start, region.end);
    edit.removed = region.end - region.start - oldPairs;
    m_text.replace(start, end - start, text);
    const std::size_t newEnd = region.end - (end - start) + text.size();
    m_pairs = m_pairs - oldPairs + PairsIn(region.start, newEnd);
    edit.text = m_text.substr(region.start, newEnd - region.start);
    return edit;
}

void TextModel::Queue(std::optional<Edit> edit, bool selectionChanged, bool scroll,
                      std::unique_lock<std::mutex> lock) {
    if (edit) {
        std::vector<Edit>& edits = m_pending.edits;
        // Consecutive insertions (a run's lines) reach the widget as one.
        if (!edits.empty() && edit->removed == 0 && edit->start == m_pendingEnd) {
            edits.back().text += edit->text;
        } else {
            edits.push_back(*edit);
        }
        m_pendingEnd = edit->start + WidgetLength(edit->text);
        // A widget far behind (a fast run filling a long pane, each line an append and a cut)
        // is better served by one new text than by replaying every step.
        if (edits.size() > kEditBudget) {
            edits.assign(1, Edit{0, kWholeText, m_text});
            m_pendingEnd = m_text.size() - m_pairs;
        }
    }
    m_pending.selectionChanged = m_pending.selectionChanged || selectionChanged;
    m_pending.scrollCaret = m_pending.scrollCaret || scroll;
    const bool wake = !m_waiting;
    m_waiting = true;
    const std::function<void()> wakeUp = wake ? m_wake : nullptr;
    lock.unlock();
    if (wakeUp) wakeUp();
}

// A region to replace, widened so that it neither splits a CR LF pair nor leaves a CR or
// LF at its edges that could pair with a character inside it after the change.
TextModel::Region TextModel::Widen(std::size_t start, std::size_t end) const {
    if (start > 0 && m_text[start - 1] == '\r') --start;
    if (end < m_text.size() && m_text[end] == '\n') ++end;
    return {start, end};
}

std::size_t TextModel::PairsIn(std::size_t start, std::size_t end) const {
    std::size_t pairs = 0;
    for (std::size_t i = start; i + 1 < end; ++i) pairs += PairAt(m_text, i);
    return pairs;
}

// Counting from the nearer end keeps appends and cuts cheap in a long pane.
std::size_t TextModel::WidgetPosition(std::size_t position) const {
    if (position <= m_text.size() / 2) return position - PairsIn(0, position);
    return position - (m_pairs - PairsIn(position - 1, m_text.size()));
}

std::size_t TextModel::ModelPosition(std::size_t widgetPosition) const {
    const std::size_t widgetLength = m_text.size() - m_pairs;
    widgetPosition = std::min(widgetPosition, widgetLength);
    if (widgetPosition <= widgetLength / 2) {
        std::size_t position = 0;
        for (std::size_t w = 0; w < widgetPosition; ++w)
            position += PairAt(m_text, position) ? 2 : 1;
        return position;
    }
    std::size_t position = m_text.size();
    for (std::size_t w = widgetLength; w > widgetPosition; --w)
        position -= position >= 2 && PairAt(m_text, position - 2) ? 2 : 1;
    return position;
}

}  // namespace zentrip
