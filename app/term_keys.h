// The bytes a key press types into the terminal, as the platform's character messages give
// them: control combinations as their control codes (Ctrl+C is 0x03), Enter as CR, Backspace
// as BS, characters as their Latin-1 code. Keys that type no character (arrows, Delete,
// function keys) and characters outside Latin-1 give nothing.
#pragma once

#include <QString>
#include <Qt>
#include <string>

namespace zentrip {

std::string TypedBytes(int key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace zentrip
