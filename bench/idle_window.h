// The main window for the window benches: on a fake serial line in virtual time, shown, and
// past its start-up's serial work.
#pragma once

#include "app/main_window/programmer_dlg.h"
#include "platform/clock.h"
#include "sim/fake_serial_line.h"
#include "tests/support/qt_wait.h"

namespace zentrip::bench {

struct IdleWindow {
    VirtualClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    CProgrammerDlg window{WindowServices{&clock, &opener, {}}};

    // Shows the window; false when its start-up never ended.
    bool Show() {
        window.show();
        return testing::RunEventsUntil([this] { return !window.SerialWorkBusy(); }, 20000);
    }
};

}  // namespace zentrip::bench
