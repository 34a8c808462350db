// What each kind of key sends from the terminal.
#include "app/mini_term/term_keys.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    std::string bytes;
};

TEST(TermKeys, Bytes) {
    using namespace std::string_literals;
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const std::vector<KeyCase> cases = {
        {"letter", Qt::Key_A, none, "a", "a"},
        {"Latin-1 letter", Qt::Key_Eacute, none, QString(QChar(0xE9)), "\xE9"},
        {"outside Latin-1", Qt::Key_unknown, none, QString(QChar(0x20AC)), ""},
        {"Enter is CR", Qt::Key_Return, none, "\r", "\r"},
        {"Backspace is BS", Qt::Key_Backspace, none, "\b", "\b"},
        {"Tab", Qt::Key_Tab, none, "\t", "\t"},
        {"Escape", Qt::Key_Escape, none, "\x1b", "\x1b"},
        {"Ctrl+Escape", Qt::Key_Escape, ctrl, "", "\x1b"},
        {"Ctrl+C without a control text", Qt::Key_C, ctrl, "c", "\x03"},
        {"Ctrl+C with one", Qt::Key_C, ctrl, "\x03", "\x03"},
        {"Ctrl+Shift+Z", Qt::Key_Z, ctrl | Qt::ShiftModifier, "", "\x1a"},
        {"Ctrl+@ is zero", Qt::Key_At, ctrl, "", "\0"s},
        {"Ctrl+] ", Qt::Key_BracketRight, ctrl, "", "\x1d"},
        {"Ctrl+Enter is LF", Qt::Key_Return, ctrl, "", "\n"},
        {"Ctrl+digit types nothing", Qt::Key_1, ctrl, "1", ""},
        {"AltGr (Ctrl+Alt) types its character", Qt::Key_Q, ctrl | Qt::AltModifier, "@", "@"},
        {"arrow", Qt::Key_Left, none, "", ""},
        {"Delete types nothing", Qt::Key_Delete, none, "\x7f", ""},
        {"several characters at once", Qt::Key_unknown, none, "ab", "ab"},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(TypedBytes(c.key, c.modifiers, c.text), c.bytes) << c.name;
    }
}

TEST(TermKeys, Paste) {
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    EXPECT_TRUE(IsPasteKey(Qt::Key_Insert, Qt::ShiftModifier));
    EXPECT_TRUE(IsPasteKey(Qt::Key_V, ctrlShift));
    EXPECT_FALSE(IsPasteKey(Qt::Key_V, Qt::ControlModifier));
    EXPECT_FALSE(IsPasteKey(Qt::Key_Insert, Qt::NoModifier));
    const QString text = QString("a\r\nb\nc\rd\te\x01\x7f") + QChar(0xE9) + QChar(0x20AC);
    EXPECT_EQ(PastedBytes(text), "a\rb\rc\rd\te\xE9");
}

}  // namespace
}  // namespace zentrip
