#include "app/worker/window_run_host.h"

#include <chrono>
#include <future>
#include <memory>

namespace zentrip {

namespace {

// One tick of the unfold animation: the longest a pump waits for the window to grow.
constexpr std::chrono::milliseconds kUnfoldPumpWait{10};

// The answer the window gives, or `otherwise` when the window went before it could answer.
template <typename T>
T Await(std::future<T> answer, T otherwise) {
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return otherwise;
    }
}

}  // namespace

void WindowRunHost::NoteHeights(int height, int fullHeight) {
    {
        std::lock_guard lock(m_heightMutex);
        m_height = height;
        m_fullHeight = fullHeight;
    }
    m_heightChanged.notify_all();
}

void WindowRunHost::AwaitHeight(int height) {
    std::unique_lock lock(m_heightMutex);
    if (m_height >= height) return;
    m_heightChanged.wait_for(lock, kUnfoldPumpWait);
}

void WindowRunHost::Post(std::function<void(RunWindow&)> operation) {
    m_queue.Post([&window = m_window, operation = std::move(operation)] { operation(window); });
}

void WindowRunHost::SetLineNumberText(std::string_view text) {
    // A run faster than the window needs only the latest number shown: one update waits at a
    // time and carries whatever number is current when the window gets to it.
    {
        std::lock_guard lock(m_lineMutex);
        m_lineNumber = text;
        if (m_lineNumberPosted) return;
        m_lineNumberPosted = true;
    }
    Post([this](RunWindow& window) {
        std::string latest;
        {
            std::lock_guard lock(m_lineMutex);
            latest = m_lineNumber;
            m_lineNumberPosted = false;
        }
        window.SetLineNumberText(latest);
    });
}

void WindowRunHost::SetTotalErrorsText(std::string_view text) {
    Post([text = std::string(text)](RunWindow& window) { window.SetTotalErrorsText(text); });
}

void WindowRunHost::SetWorkingFileText(std::string_view text) {
    Post([text = std::string(text)](RunWindow& window) { window.SetWorkingFileText(text); });
}

MessageBoxAnswer WindowRunHost::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                           MessageBoxIcon icon) {
    if (buttons == MessageBoxButtons::Ok) {
        Post([text = std::string(text), icon](RunWindow& window) {
            window.OpenMessageBox(text, MessageBoxButtons::Ok, icon, nullptr);
        });
        return MessageBoxAnswer::Ok;
    }
    auto promise = std::make_shared<std::promise<MessageBoxAnswer>>();
    std::future<MessageBoxAnswer> answer = promise->get_future();
    // The window holds the only promise: if it goes without answering, the future says so.
    Post(
        [text = std::string(text), buttons, icon, promise = std::move(promise)](RunWindow& window) {
            window.OpenMessageBox(text, buttons, icon,
                                  [promise](MessageBoxAnswer given) { promise->set_value(given); });
        });
    return Await(std::move(answer), MessageBoxAnswer::No);
}

std::optional<std::string> WindowRunHost::ChooseProgramFile(std::string_view,
                                                            std::string_view filter) {
    auto promise = std::make_shared<std::promise<std::optional<std::string>>>();
    std::future<std::optional<std::string>> chosen = promise->get_future();
    Post([filter = std::string(filter), promise = std::move(promise)](RunWindow& window) {
        window.OpenFileChoice(filter, [promise](std::optional<std::string> path) {
            promise->set_value(std::move(path));
        });
    });
    return Await(std::move(chosen), std::optional<std::string>());
}

void WindowRunHost::EnableProgramButton(bool enable) {
    Post([enable](RunWindow& window) { window.EnableProgramButton(enable); });
}

void WindowRunHost::ShowStopButton(std::string_view caption) {
    Post([caption = std::string(caption)](RunWindow& window) { window.ShowStopButton(caption); });
}

void WindowRunHost::SetStopButtonCaption(std::string_view caption) {
    Post([caption = std::string(caption)](RunWindow& window) {
        window.SetStopButtonCaption(caption);
    });
}

void WindowRunHost::ShowStatusDisplay() {
    Post([](RunWindow& window) { window.ShowStatusDisplay(); });
}

void WindowRunHost::HideStatusDisplay() {
    Post([](RunWindow& window) { window.HideStatusDisplay(); });
}

void WindowRunHost::SetCursor(RunCursor cursor) {
    Post([cursor](RunWindow& window) { window.SetRunCursor(cursor); });
}

void WindowRunHost::FocusEditor() {
    Post([](RunWindow& window) { window.FocusEditor(); });
}

}  // namespace zentrip
