#include "app/worker/text_model.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace zentrip {

namespace {

constexpr std::size_t kEditBudget = 64;

// Where a long insertion is cut for the first of its steps: after a line end when there is
// one, and never between the CR and LF of a pair.
std::size_t CutPoint(std::string_view text, std::size_t budget) {
    const std::size_t lineEnd = text.rfind('\n', budget - 1);
    if (lineEnd != std::string_view::npos) return lineEnd + 1;
    std::size_t cut = std::max<std::size_t>(budget, 1);
    if (text[cut - 1] == '\r' && cut < text.size() && text[cut] == '\n') ++cut;
    return cut;
}

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
    m_undo.clear();
    m_redo.clear();
    m_typed = false;
    // The results pane keeps its last characters by setting them as its new text: that is a
    // cut at the start, and the widget only loses its first lines.
    const std::string_view old = m_text;
    const bool suffix = text.size() < old.size() && old.substr(old.size() - text.size()) == text;
    Edit edit = ReplaceLocked(0, suffix ? old.size() - text.size() : old.size(),
                              suffix ? std::string_view() : text);
    m_marks.Clear();
    m_start = m_end = 0;
    Queue(std::move(edit), true, false, std::move(lock), true);
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

TextModel::Update TextModel::TakeUpdate(std::size_t budget) {
    std::lock_guard lock(m_mutex);
    Update update;
    std::vector<Edit>& pending = m_pending.edits;
    std::size_t taken = 0;
    for (; taken < pending.size() && budget > 0; ++taken) {
        Edit& edit = pending[taken];
        if (edit.text.size() <= budget) {
            budget -= edit.text.size();
            continue;
        }
        const std::size_t cut = CutPoint(edit.text, budget);
        update.edits.assign(std::make_move_iterator(pending.begin()),
                            std::make_move_iterator(pending.begin() + taken));
        update.edits.push_back({edit.start, edit.removed, edit.text.substr(0, cut)});
        edit.start += WidgetLength(update.edits.back().text);
        edit.removed = 0;
        edit.text.erase(0, cut);
        pending.erase(pending.begin(), pending.begin() + taken);
        update.more = true;
        return update;
    }
    update.edits.assign(std::make_move_iterator(pending.begin()),
                        std::make_move_iterator(pending.begin() + taken));
    pending.erase(pending.begin(), pending.begin() + taken);
    update.more = !pending.empty();
    m_waiting = update.more;
    if (update.more) return update;
    update.selectionChanged = std::exchange(m_pending.selectionChanged, false);
    update.scrollCaret = std::exchange(m_pending.scrollCaret, false);
    update.statusChanged = std::exchange(m_pending.statusChanged, false);
    if (update.selectionChanged) {
        update.selectionStart = WidgetPosition(m_start);
        update.selectionEnd = WidgetPosition(m_end);
    }
    if (update.statusChanged) update.status = WidgetStatus();
    return update;
}

std::string TextModel::ProgramText(std::size_t start, std::size_t end) const {
    std::lock_guard lock(m_mutex);
    return m_marks.Unmarked(m_text, start, end);
}

void TextModel::AppendStatus(std::string_view text) {
    std::unique_lock lock(m_mutex);
    Edit edit = ReplaceLocked(m_text.size(), m_text.size(), text, true);
    Queue(std::move(edit), false, false, std::move(lock), true);
}

std::string TextModel::StatusText() const {
    std::lock_guard lock(m_mutex);
    std::string status;
    for (const StatusMarks::Range& range : m_marks.Ranges())
        status.append(m_text, range.start, range.end - range.start);
    return status;
}

void TextModel::RemoveStatus(std::size_t start, std::size_t end) {
    std::unique_lock lock(m_mutex);
    // From the last range back, so the positions of those before stay.
    std::size_t offset = 0;
    std::vector<StatusMarks::Range> cuts;
    for (const StatusMarks::Range& range : m_marks.Ranges()) {
        const std::size_t length = range.end - range.start;
        const std::size_t from = std::clamp(start, offset, offset + length);
        const std::size_t to = std::clamp(end, offset, offset + length);
        if (from < to) cuts.push_back({range.start + from - offset, range.start + to - offset});
        offset += length;
    }
    if (cuts.empty()) return;
    // The history's positions would no longer hold.
    m_undo.clear();
    m_redo.clear();
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        Pend(ReplaceLocked(cut->start, cut->end, {}));
        if (m_start > cut->start) m_start -= std::min(m_start, cut->end) - cut->start;
        if (m_end > cut->start) m_end -= std::min(m_end, cut->end) - cut->start;
    }
    Queue(std::nullopt, false, false, std::move(lock), true);
}

bool TextModel::Typed() const {
    std::lock_guard lock(m_mutex);
    return m_typed;
}

void TextModel::MarkSaved() {
    std::lock_guard lock(m_mutex);
    m_typed = false;
}

void TextModel::ClearByUser() {
    std::unique_lock lock(m_mutex);
    if (m_text.empty()) return;
    Record({0, m_text, {}, m_marks.Within(0, m_text.size())});
    Edit edit = ReplaceLocked(0, m_text.size(), {});
    m_start = m_end = 0;
    Queue(std::move(edit), true, false, std::move(lock), true);
}

bool TextModel::Undo() { return Step(m_undo, m_redo, true, std::unique_lock(m_mutex)); }

bool TextModel::Redo() { return Step(m_redo, m_undo, false, std::unique_lock(m_mutex)); }

bool TextModel::CanUndo() const {
    std::lock_guard lock(m_mutex);
    return !m_undo.empty();
}

bool TextModel::CanRedo() const {
    std::lock_guard lock(m_mutex);
    return !m_redo.empty();
}

std::shared_ptr<const TextModel::Kept> TextModel::Keep() const {
    std::lock_guard lock(m_mutex);
    return std::make_shared<const Kept>(Kept{m_text, m_marks, m_undo, m_redo, m_typed});
}

void TextModel::Reinstate(const Kept& kept) {
    std::unique_lock lock(m_mutex);
    // A modem set-up may have appended its lines since; they stay, marked as they are.
    const std::size_t end = kept.text.size();
    if (m_text.size() < end || m_text.compare(0, end, kept.text) != 0 ||
        !m_marks.Unmarked(m_text, end, m_text.size()).empty())
        return;
    const std::vector<StatusMarks::Range> appended = m_marks.Within(end, m_text.size());
    m_marks = kept.marks;
    m_marks.Mark(end, appended);
    m_undo = kept.undo;
    m_redo = kept.redo;
    m_typed = kept.typed;
    Queue(std::nullopt, false, false, std::move(lock), true);
}

void TextModel::Record(UndoStep step) {
    m_typed = true;
    m_redo.clear();
    if (!m_undo.empty()) {
        // Typing goes back a run of characters at a time, up to a line end.
        UndoStep& last = m_undo.back();
        const bool typing = step.removed.empty() && last.removed.empty() &&
                            last.start + last.inserted.size() == step.start &&
                            step.inserted.find('\n') == std::string::npos &&
                            (last.inserted.empty() || last.inserted.back() != '\n');
        if (typing) {
            last.inserted += step.inserted;
            return;
        }
    }
    m_undo.push_back(std::move(step));
}

// Takes the last step of `from` back (undo) or does it again, and files it in `to`.
bool TextModel::Step(std::vector<UndoStep>& from, std::vector<UndoStep>& to, bool undo,
                     std::unique_lock<std::mutex> lock) {
    if (from.empty()) return false;
    UndoStep step = std::move(from.back());
    from.pop_back();
    const std::string& gone = undo ? step.inserted : step.removed;
    const std::string& back = undo ? step.removed : step.inserted;
    Edit edit = ReplaceLocked(step.start, step.start + gone.size(), back);
    if (undo) m_marks.Mark(step.start, step.removedMarks);
    m_start = m_end = step.start + back.size();
    m_typed = true;
    to.push_back(std::move(step));
    Queue(std::move(edit), true, true, std::move(lock), true);
    return true;
}

bool TextModel::ApplyWidgetEdit(std::size_t start, std::size_t removed, std::string_view inserted,
                                bool exact) {
    std::unique_lock lock(m_mutex);
    if (!PastPending(&start, removed, inserted.size())) return false;
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
    const std::size_t modelEnd = ModelPosition(start + removed);
    if (m_text.compare(modelStart, modelEnd - modelStart, text) == 0) return false;  // formats
    const bool status = m_marks.Touches(modelStart, modelEnd);
    Record({modelStart, m_text.substr(modelStart, modelEnd - modelStart), text,
            m_marks.Within(modelStart, modelEnd)});
    Edit edit = ReplaceLocked(modelStart, modelEnd, text);
    m_start = m_end = modelStart + text.size();
    // The widget already shows the edit; it only needs the model's form when a CR and an LF
    // met to form one line end, or when it holds characters the model could not take.
    const std::size_t widgetHolds = edit.removed - removed + inserted.size();
    if (exact && widgetHolds == WidgetLength(edit.text)) {
        if (status) Queue(std::nullopt, false, false, std::move(lock), true);
        return status;
    }
    edit.removed = widgetHolds;
    Queue(std::move(edit), false, false, std::move(lock), status);
    return status;
}

std::optional<std::vector<StatusMarks::Range>> TextModel::StatusShownNow() const {
    std::lock_guard lock(m_mutex);
    if (!m_pending.edits.empty()) return std::nullopt;
    return WidgetStatus();
}

std::vector<StatusMarks::Range> TextModel::WidgetStatus() const {
    std::vector<StatusMarks::Range> status;
    for (const StatusMarks::Range& range : m_marks.Ranges())
        status.push_back({WidgetPosition(range.start), WidgetPosition(range.end)});
    return status;
}

bool TextModel::PastPending(std::size_t* start, std::size_t removed, std::size_t added) {
    std::vector<Edit>& edits = m_pending.edits;
    for (Edit& edit : edits) {
        if (edit.start >= *start + removed) {
            edit.start = edit.start + added - removed;
        } else if (edit.removed != kWholeText && edit.start + edit.removed <= *start) {
            *start = *start + WidgetLength(edit.text) - edit.removed;
        } else {
            // The change the widget has yet to show replaces what the user changed.
            edits.assign(1, Edit{0, kWholeText, m_text});
            m_pendingEnd = m_text.size() - m_pairs;
            return false;
        }
    }
    if (!edits.empty()) m_pendingEnd = edits.back().start + WidgetLength(edits.back().text);
    return true;
}

void TextModel::SetWidgetSelection(std::size_t start, std::size_t end) {
    std::lock_guard lock(m_mutex);
    m_start = ModelPosition(std::min(start, end));
    m_end = ModelPosition(std::max(start, end));
}

TextModel::Edit TextModel::ReplaceLocked(std::size_t start, std::size_t end,
                                         std::string_view text, bool status) {
    start = std::min(start, m_text.size());
    end = std::min(std::max(end, start), m_text.size());
    m_marks.Replace(start, end, text.size(), status);
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

void TextModel::Pend(Edit edit) {
    std::vector<Edit>& edits = m_pending.edits;
    // Consecutive insertions (a run's lines) reach the widget as one.
    if (!edits.empty() && edit.removed == 0 && edit.start == m_pendingEnd) {
        edits.back().text += edit.text;
    } else {
        edits.push_back(edit);
    }
    m_pendingEnd = edit.start + WidgetLength(edit.text);
    // A widget far behind (a fast run filling a long pane, each line an append and a cut)
    // is better served by one new text than by replaying every step.
    if (edits.size() > kEditBudget) {
        edits.assign(1, Edit{0, kWholeText, m_text});
        m_pendingEnd = m_text.size() - m_pairs;
    }
}

void TextModel::Queue(std::optional<Edit> edit, bool selectionChanged, bool scroll,
                      std::unique_lock<std::mutex> lock, bool statusChanged) {
    if (edit) Pend(std::move(*edit));
    m_pending.selectionChanged = m_pending.selectionChanged || selectionChanged;
    m_pending.scrollCaret = m_pending.scrollCaret || scroll;
    m_pending.statusChanged = m_pending.statusChanged || statusChanged;
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
