// Screenshots of Zentrip's windows for docs/screenshots/. Each window's file registers its
// shots with a ShotRegistrar; zentrip-screenshots starts Zentrip once, offscreen, the way
// `zentrip --simulate examples/demo.orv` starts, and takes every shot in the order of their
// numbers, each from the state the earlier ones left. Add a window's shots in a file of its
// own here: a number (gaps of ten leave room), a file name and a function.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zentrip {

class CProgrammerApp;

namespace shots {

class Session;

struct Shot {
    int order;
    const char* name;  // the PNG's file name
    std::function<bool(Session&)> take;
};

class Session {
public:
    Session(CProgrammerApp& app, QString folder) : m_app(app), m_folder(std::move(folder)) {}

    CProgrammerApp& App() { return m_app; }
    // Takes the shot; false when it failed.
    bool Take(const Shot& shot);
    // Lets the program run (event loop, worker, simulator) until `done` holds; false after
    // `timeoutMs`.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
    // Lets the program run for a while, for animations and repaints to settle.
    void Settle(int ms = 300);
    // Writes the widget's picture as <folder>/<name of the shot being taken>; false (and why,
    // on stderr) on failure.
    bool Save(QWidget& widget);

private:
    CProgrammerApp& m_app;
    QString m_folder;
    QString m_shot;
};

class ShotRegistrar {
public:
    explicit ShotRegistrar(Shot shot);
};

}  // namespace shots
}  // namespace zentrip
