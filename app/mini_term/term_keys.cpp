#include "app/mini_term/term_keys.h"

namespace zentrip {

namespace {

constexpr char kDelete = 0x7F;

// Ctrl with a key that has a control code: Ctrl+A..Z are 1..26, Ctrl+[ \ ] ^ _ are 27..31,
// Ctrl+@ is 0, Ctrl+Enter is LF, Ctrl+Backspace DEL and Ctrl+Escape ESC. -1: Ctrl types nothing
// with this key.
int ControlCode(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key - Qt::Key_A + 1;
    switch (key) {
        case Qt::Key_At:
            return 0;
        case Qt::Key_BracketLeft:
        case Qt::Key_Escape:
            return 0x1B;
        case Qt::Key_Backslash:
            return 0x1C;
        case Qt::Key_BracketRight:
            return 0x1D;
        case Qt::Key_AsciiCircum:
            return 0x1E;
        case Qt::Key_Underscore:
            return 0x1F;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return '\n';
        case Qt::Key_Backspace:
            return kDelete;
        default:
            return -1;
    }
}

}  // namespace

std::string TypedBytes(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    // Ctrl together with Alt is AltGr on some keyboards: the character it makes counts.
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier)) {
        const int code = ControlCode(key);
        return code < 0 ? std::string() : std::string(1, static_cast<char>(code));
    }
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return "\r";
        case Qt::Key_Backspace:
            return "\b";
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return "\t";
        case Qt::Key_Escape:
            return "\x1B";
        default:
            break;
    }
    std::string bytes;
    for (const QChar c : text) {
        // Other keys' control codes (Delete's DEL among them) are not characters they type.
        if (c.unicode() > 0xFF || c.unicode() < 0x20 || c.unicode() == kDelete) continue;
        bytes += static_cast<char>(c.unicode());
    }
    return bytes;
}

bool IsPasteKey(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    return (key == Qt::Key_Insert && modifiers == Qt::ShiftModifier) ||
           (key == Qt::Key_V && modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
}

std::string PastedBytes(const QString& text) {
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\r' || c == '\n') {
            bytes += '\r';
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\t' || (c >= 0x20 && c <= 0xFF && c != kDelete)) {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

}  // namespace zentrip
