// The editor's colours and problem marks on a 300,000-line program, in the main window,
// offscreen, in real time. The program defines 1,000 symbols and uses them, with comments,
// tool commands, an include file and one line a run would refuse. The bench makes it the
// working file, waits until the editor shows it analysed, then types a line in its middle as
// a user does (a key every 40 ms), waits for the new analysis, and scrolls through the text a
// page every 10 ms. It prints the window thread's longest stall (a 5 ms heartbeat's longest
// gap; at most 50 ms) and how long after the last key the marks followed; it exits 1 when a
// stall is longer or the marks are not what the program holds.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_window/programmer_dlg.h"
#include "app/panes/editor_highlighter.h"
#include "bench/heartbeat.h"
#include "bench/idle_window.h"
#include "sim/fake_serial_line.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace zentrip;

constexpr int kLines = 300000;
constexpr qint64 kStallLimitMs = 50;

void WriteProgram(const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < 1000; ++i) file << "#define ZONE_" << i << " " << 100 + i << "\n";
    for (int line = 1000; line < kLines; ++line) {
        switch (line % 6) {
            case 0:
                file << "; arm zone " << line % 1000 << " before the night shift\n";
                break;
            case 1:
                file << "1234 12 ZONE_" << line % 1000 << " ZONE_7 * ; front door\n";
                break;
            case 2:
                file << (line == 150002     ? "#include missing.inc\n"
                         : line % 3000 == 2 ? "#include site.inc\n"
                                            : "#wait 1\n");
                break;
            default:
                file << "1234 45 ZONE_" << line % 997 << " 001 *\n";
                break;
        }
    }
}

// Every line in view has colours (each line of the program has something to colour).
bool ViewColoured(QPlainTextEdit& editor) {
    const QTextBlock last = editor.cursorForPosition({0, editor.viewport()->height()}).block();
    for (QTextBlock block = editor.cursorForPosition({0, 0}).block(); block.isValid();
         block = block.next()) {
        if (!block.text().isEmpty() && block.layout()->formats().isEmpty()) return false;
        if (block == last) break;
    }
    return true;
}

void Type(QWidget& target, const QString& keys, int& at) {
    if (at >= keys.size()) return;
    const QChar ch = keys[at++];
    const int key = ch == '\r' ? int(Qt::Key_Return) : int(ch.toUpper().unicode());
    const QString text = ch == '\r' ? QString("\r") : QString(ch);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&target, &press);
    QCoreApplication::sendEvent(&target, &release);
}

bool Bench(const std::string& path) {
    bench::IdleWindow idle;
    if (!idle.Show()) return false;
    CProgrammerDlg& window = idle.window;
    auto* editor = window.findChild<QPlainTextEdit*>("id1001");
    auto* highlighter = editor->findChild<EditorHighlighter*>();
    const auto analysed = [&] {
        const EditorAnalysis* analysis = highlighter->Current();
        return analysis && analysis->program.LineCount() >= kLines;
    };
    bench::Heartbeat heartbeat;
    heartbeat.Start();
    const qint64 start = heartbeat.Now();
    window.SetStartingFile(path);
    bool ok = testing::RunEventsUntil(
        [&] { return editor->document()->blockCount() == kLines + 1 && analysed(); }, 120000);
    const qint64 shown = heartbeat.Now() - start;
    const qint64 loadStall = heartbeat.Stop();
    ok = ok && ViewColoured(*editor) && highlighter->Current()->program.problems.size() == 1;

    // Typing a new line in the middle of the text.
    heartbeat.Start();
    QTextCursor middle(editor->document()->findBlockByNumber(kLines / 2));
    middle.movePosition(QTextCursor::EndOfBlock);
    editor->setTextCursor(middle);
    editor->centerCursor();
    const QString keys = "\r1234 12 ZONE_5 *";
    int typed = 0;
    QTimer keyTimer;
    QObject::connect(&keyTimer, &QTimer::timeout, [&] { Type(*editor, keys, typed); });
    keyTimer.start(40);
    qint64 lastKey = 0;
    ok = ok && testing::RunEventsUntil([&] { return typed == keys.size(); }, 20000);
    keyTimer.stop();
    lastKey = heartbeat.Now();
    ok = ok && testing::RunEventsUntil(analysed, 60000);
    const qint64 marksAfter = heartbeat.Now() - lastKey;
    ok = ok && ViewColoured(*editor) &&
         editor->document()->findBlockByNumber(kLines / 2 + 1).text() == "1234 12 ZONE_5 *";

    const qint64 typingStall = heartbeat.Stop();

    // Scrolling through the text, a page at a time, then to its end and back to its start.
    heartbeat.Start();
    QScrollBar* bar = editor->verticalScrollBar();
    const int page = bar->pageStep();
    int pages = 0;
    QTimer scrollTimer;
    QObject::connect(&scrollTimer, &QTimer::timeout, [&] {
        ++pages;
        bar->setValue(pages < 300 ? pages * page * 97 : pages == 300 ? bar->maximum() : 0);
    });
    scrollTimer.start(10);
    ok = ok && testing::RunEventsUntil([&] { return pages > 300; }, 60000);
    scrollTimer.stop();
    testing::RunEventsUntil([] { return false; }, 100);
    const qint64 scrollStall = heartbeat.Stop();
    ok = ok && ViewColoured(*editor);

    std::printf(
        "300,000 lines: shown and analysed in %lld ms; longest window stall while loading %lld "
        "ms, typing %lld ms, scrolling %lld ms (limit %lld); marks %lld ms after the last key\n",
        static_cast<long long>(shown), static_cast<long long>(loadStall),
        static_cast<long long>(typingStall), static_cast<long long>(scrollStall),
        static_cast<long long>(kStallLimitMs), static_cast<long long>(marksAfter));
    window.CloseAsSystemCommand();
    testing::RunEventsUntil([&] { return !window.isVisible() && !window.SerialWorkBusy(); }, 10000);
    if (!ok) std::printf("the colours or the marks were not the program's\n");
    return ok && std::max({loadStall, typingStall, scrollStall}) <= kStallLimitMs;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testing::TempDir folder("zentrip-highlight-bench-");
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    setenv("XDG_STATE_HOME", folder.Path().c_str(), 1);  // the typed text's recovery file
    if (chdir(folder.Path().c_str()) != 0) return 1;
    std::ofstream("site.inc") << "; site\n1234 99 ZONE_5 *\n";
    WriteProgram("big.orv");
    QApplication application(argc, argv);
    return Bench(folder.Path("big.orv")) ? 0 : 1;
}
