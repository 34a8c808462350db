// Dragging the main window by its background: the press remembers the cursor (client
// coordinates) and the window's position; every move with the button held shifts that
// position by how far the cursor is from where it was pressed. As the window follows, the
// cursor comes back to the same client position, so each move adds the latest movement.
// A move without a press in the window moves nothing. Qt-free, so the rule has plain tests.
#pragma once

#include <optional>

namespace zentrip {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

class WindowDrag {
public:
    void Press(ScreenPoint cursor, ScreenPoint windowPosition);
    // Where the window goes for a move of the cursor to `cursor`; none without a press.
    std::optional<ScreenPoint> Move(ScreenPoint cursor);
    void Release() { m_position.reset(); }

private:
    ScreenPoint m_pressed;
    std::optional<ScreenPoint> m_position;
};

}  // namespace zentrip
