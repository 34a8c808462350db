#include "app/main_window/window_drag.h"

namespace zentrip {

void WindowDrag::Press(ScreenPoint cursor, ScreenPoint windowPosition) {
    m_pressed = cursor;
    m_position = windowPosition;
}

std::optional<ScreenPoint> WindowDrag::Move(ScreenPoint cursor) {
    if (!m_position) return std::nullopt;
    m_position->x += cursor.x - m_pressed.x;
    m_position->y += cursor.y - m_pressed.y;
    return m_position;
}

}  // namespace zentrip
