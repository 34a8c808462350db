#include "cli/console_host.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zentrip::cli {

namespace {

// The message box's own line ends are CR LF, as in the window; a terminal wants LF.
std::string ForTerminal(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

ConsoleHost::ConsoleHost(ConsoleOutput& output, ErrorPolicy policy, bool directChecked,
                         InterruptWatch* interrupts, int answers)
    : m_output(output),
      m_policy(policy),
      m_directChecked(directChecked),
      m_interrupts(interrupts),
      m_answers(answers) {
    // Only insertions reach the streams: a stream cannot take back what it has written,
    // and the cut of a long pane only drops text that has long scrolled past.
    m_results.SetObserver([this](MemoryTextSink::Change change, std::string_view text) {
        if (change == MemoryTextSink::Change::Inserted) m_output.Out(text);
    });
    m_editor.SetObserver([this](MemoryTextSink::Change change, std::string_view text) {
        if (change == MemoryTextSink::Change::Inserted) m_output.Err(ForTerminal(text));
    });
}

void ConsoleHost::PumpMessages() {
    if (!m_interrupts || !m_interrupts->TakeStopRequest()) return;
    m_output.Err(std::string("\n** Stop requested (") + m_interrupts->StopSource() +
                 "): the run stops after the current line (a second Ctrl-C or signal ends at "
                 "once). **\n");
    if (m_stop) m_stop();
}

void ConsoleHost::LineFailedAt(const SourcePlace& place, std::string_view why) {
    m_output.Err(place.path + ":" + std::to_string(place.line) + ": " + ForTerminal(why) + "\n");
}

void ConsoleHost::SetLineNumberText(std::string_view text) {
    m_output.SetLineNumber(std::atoi(std::string(text).c_str()));
}

void ConsoleHost::SetTotalErrorsText(std::string_view text) {
    m_output.SetErrorCount(std::atoi(std::string(text).c_str()));
}

MessageBoxAnswer ConsoleHost::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                         MessageBoxIcon) {
    m_output.Err("\n" + ForTerminal(text) + "\n");
    if (buttons == MessageBoxButtons::Ok) return MessageBoxAnswer::Ok;
    switch (m_policy) {
        case ErrorPolicy::kContinue:
            m_output.Err("[--on-error continue: Yes]\n");
            return MessageBoxAnswer::Yes;
        case ErrorPolicy::kStop:
            m_output.Err("[--on-error stop: No]\n");
            return MessageBoxAnswer::No;
        case ErrorPolicy::kAsk:
            break;
    }
    m_output.Err("[y/N] ");
    // Ctrl-C or a signal at the question is the No answer (and the Stop button).
    bool interrupted = false;
    const bool yes = ReadYes(m_answers, [&] {
        interrupted = interrupted || (m_interrupts && m_interrupts->TakeStopRequest());
        return interrupted;
    });
    if (interrupted) {
        m_output.Err("[" + std::string(m_interrupts->StopSource()) + ": No]\n");
        if (m_stop) m_stop();
    } else if (!isatty(m_answers)) {
        // Typed answers echo on the terminal; answers from a pipe are shown here instead.
        m_output.Err(yes ? "y\n" : "n\n");
    }
    m_output.InputEchoed();
    return yes ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
}

}  // namespace zentrip::cli
