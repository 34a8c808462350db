#include "tests/doubles/memory_run_host.h"

#include <algorithm>

namespace zentrip {

namespace {

const char* ChangeName(MemoryTextSink::Change change) {
    switch (change) {
        case MemoryTextSink::Change::Inserted:
            return "+ ";
        case MemoryTextSink::Change::Set:
            return "= ";
        case MemoryTextSink::Change::Deleted:
            return "- ";
    }
    return "? ";
}

}  // namespace

MemoryRunHost::MemoryRunHost(Clock* clock) : m_clock(clock) {
    m_editor.SetObserver([this](MemoryTextSink::Change change, std::string_view text) {
        Record("editor" + std::string(ChangeName(change)) + std::string(text));
    });
    m_results.SetObserver([this](MemoryTextSink::Change change, std::string_view text) {
        Record("results" + std::string(ChangeName(change)) + std::string(text));
    });
}

void MemoryRunHost::PumpMessages() {
    m_pumpTicks.push_back(m_clock ? m_clock->TickMs() : 0);
    // The unfold animation advances one 20-pixel step per dispatched timer message.
    if (m_unfolding) {
        m_height = std::min(m_height + 20, kFullHeight);
        m_unfolding = m_height < kFullHeight;
    }
    if (m_onPump) m_onPump();
}

void MemoryRunHost::SetLineNumberText(std::string_view text) {
    m_lineNumber = text;
    Record("line " + m_lineNumber);
}

void MemoryRunHost::SetTotalErrorsText(std::string_view text) {
    m_totalErrors = text;
    Record("errors " + m_totalErrors);
}

void MemoryRunHost::SetWorkingFileText(std::string_view text) {
    Record("working file " + std::string(text));
}

MessageBoxAnswer MemoryRunHost::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                           MessageBoxIcon icon) {
    m_boxTexts.emplace_back(text);
    if (m_onBox) m_onBox(text);
    const bool question = buttons != MessageBoxButtons::Ok;
    MessageBoxAnswer answer = question ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    std::string event = question ? "box yesno" : "box ok";
    if (icon == MessageBoxIcon::Stop) event += " stop";
    if (icon == MessageBoxIcon::Information) event += " information";
    event += answer == MessageBoxAnswer::Yes  ? " -> yes"
             : answer == MessageBoxAnswer::No ? " -> no"
                                              : " -> ok";
    Record(event + ": " + std::string(text));
    return answer;
}

std::optional<std::string> MemoryRunHost::ChooseProgramFile(std::string_view initialName,
                                                            std::string_view filter) {
    std::optional<std::string> choice;
    if (!m_choices.empty()) {
        choice = std::move(m_choices.front());
        m_choices.pop_front();
    }
    Record("choose file " + std::string(initialName) + " [" + std::string(filter) + "] -> " +
           (choice ? *choice : "cancel"));
    return choice;
}

void MemoryRunHost::EnableProgramButton(bool enable) {
    m_programEnabled = enable;
    Record(enable ? "program button on" : "program button off");
}

void MemoryRunHost::ShowStopButton(std::string_view caption) {
    m_stopVisible = true;
    m_stopCaption = caption;
    Record("stop button shown " + m_stopCaption);
}

void MemoryRunHost::SetStopButtonCaption(std::string_view caption) {
    m_stopCaption = caption;
    Record("stop button " + m_stopCaption);
}

void MemoryRunHost::ShowStatusDisplay() {
    m_unfolding = m_height < kFullHeight - 1;
    Record("show status display");
}

void MemoryRunHost::HideStatusDisplay() {
    m_unfolding = false;
    m_height = kCollapsedHeight;
    Record("hide status display");
}

void MemoryRunHost::SetCursor(RunCursor cursor) {
    Record(cursor == RunCursor::Wait ? "cursor wait" : "cursor arrow");
}

void MemoryRunHost::FocusEditor() { Record("focus editor"); }

}  // namespace zentrip
