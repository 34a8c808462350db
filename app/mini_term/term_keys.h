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

// Whether the key pastes into the terminal: Shift+Insert and Ctrl+Shift+V (Ctrl+V types 0x16).
bool IsPasteKey(int key, Qt::KeyboardModifiers modifiers);
// Pasted text as the keys that type it: each line end (CR LF, LF or CR) as Enter's CR, tabs as
// Tab, Latin-1 characters as themselves; other control characters and characters outside
// Latin-1 type nothing.
std::string PastedBytes(const QString& text);

}  // namespace zentrip
