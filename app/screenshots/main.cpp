// zentrip-screenshots FOLDER: runs Zentrip's windows offscreen against the simulated
// controller and writes the registered shots (see shots.h) into FOLDER as PNG files.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/program/programmer_app.h"
#include "app/screenshots/shots.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"

namespace zentrip::shots {

namespace {

std::vector<Shot>& Registry() {
    static std::vector<Shot> shots;
    return shots;
}

}  // namespace

ShotRegistrar::ShotRegistrar(Shot shot) { Registry().push_back(std::move(shot)); }

bool Session::Take(const Shot& shot) {
    m_shot = shot.name;
    return shot.take(*this);
}

bool Session::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return testing::RunEventsUntil(done, timeoutMs);
}

void Session::Settle(int ms) {
    const QDeadlineTimer deadline(ms);
    testing::RunEventsUntil([&] { return deadline.hasExpired(); }, ms + 100);
}

bool Session::Save(QWidget& widget) {
    const QString path = QDir(m_folder).filePath(m_shot);
    if (widget.grab().save(path)) return true;
    std::fprintf(stderr, "zentrip-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace zentrip::shots

int main(int argc, char** argv) {
    using namespace zentrip;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's own settings stay untouched: Zentrip reads and saves a private copy.
    const testing::TempDir config("zentrip-shots-");
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    // Nor do its runs join the user's run records, and the text a shot types goes to a
    // recovery file there.
    const testing::TempDir state("zentrip-shots-");
    setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zentrip-screenshots FOLDER\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    // Include names in the demo are relative to the top folder.
    QDir::setCurrent(ZENTRIP_SOURCE_DIR);

    CProgrammerApp app({"--simulate", "examples/demo.orv"});
    if (!app.Ok()) return 1;
    shots::Session session(app, folder);
    std::vector<shots::Shot> shots = shots::Registry();
    std::sort(shots.begin(), shots.end(),
              [](const shots::Shot& a, const shots::Shot& b) { return a.order < b.order; });
    int failed = 0;
    for (const shots::Shot& shot : shots) {
        const bool ok = session.Take(shot);
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", shot.name);
        failed += ok ? 0 : 1;
    }
    app.Window().CloseAsSystemCommand();
    session.WaitUntil([&] { return !app.Window().isVisible() && !app.Window().SerialWorkBusy(); });
    return failed == 0 ? 0 : 1;
}
