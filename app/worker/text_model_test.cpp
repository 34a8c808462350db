// The pane model and its widget mirror: whatever the logic and the user do, the widget
// (here a string with one character per widget position) shows exactly the model's text,
// appends stay appends and the cut of a long pane stays a deletion at its start.
#include "app/worker/text_model.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <semaphore>
#include <thread>

#include "app/worker/editor_status_sink.h"
#include "text/edit_writer.h"

namespace zentrip {
namespace {

// The widget's text for a model text: CR LF, a lone CR and a lone LF are each one break.
std::string Render(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        shown += text[i] == '\r' ? '\n' : text[i];
    }
    return shown;
}

struct FakeWidget {
    std::string text;
    std::size_t selectionStart = 0;
    std::size_t selectionEnd = 0;

    void Apply(const TextModel::Update& update) {
        for (const TextModel::Edit& edit : update.edits) {
            ASSERT_LE(edit.start, text.size());
            const std::size_t removed = std::min(edit.removed, text.size() - edit.start);
            ASSERT_TRUE(removed == edit.removed || edit.removed == TextModel::kWholeText);
            text.replace(edit.start, removed, Render(edit.text));
        }
        if (update.selectionChanged) {
            selectionStart = update.selectionStart;
            selectionEnd = update.selectionEnd;
        }
    }
    void Refresh(TextModel& model) { Apply(model.TakeUpdate()); }
};

std::string RandomText(std::mt19937& random, std::size_t maxLength, bool forWidget) {
    static const char kModelChars[] = "ab\r\n\r\n\b";
    static const char kWidgetChars[] = "xy\n";
    const char* chars = forWidget ? kWidgetChars : kModelChars;
    const std::size_t choices = forWidget ? 3 : 7;
    std::string text(random() % (maxLength + 1), ' ');
    for (char& ch : text) ch = chars[random() % choices];
    return text;
}

TEST(TextModel, TheWidgetMirrorsTheModelWhateverTheLogicAndTheUserDo) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        TextModel model;
        FakeWidget widget;
        for (int step = 0; step < 40; ++step) {
            const std::size_t length = model.Length();
            switch (random() % 10) {
                case 0:
                    model.SetText(RandomText(random, 12, false));
                    break;
                case 1:
                    model.SetSelection(random() % (length + 2), random() % (length + 2));
                    model.ReplaceSelection(RandomText(random, 4, false));
                    break;
                case 2:
                    model.SetSelection(random() % (length + 1), random() % (length + 1));
                    model.ClearSelection();
                    break;
                case 3:
                    CEditWriter().Append(model, RandomText(random, 6, false));
                    break;
                case 4:  // a cut that keeps the end, as the results pane's is
                    model.SetText(model.Text().substr(random() % (length + 1)));
                    break;
                case 5: {  // the user types in the widget, which may not show every change yet
                    if (random() % 2) widget.Refresh(model);
                    const std::size_t at = random() % (widget.text.size() + 1);
                    const std::size_t removed = random() % (widget.text.size() - at + 1);
                    const std::string typed = RandomText(random, 3, true);
                    widget.text.replace(at, removed, typed);
                    model.ApplyWidgetEdit(at, removed, typed, true);
                    break;
                }
                case 6:
                    model.AppendStatus(RandomText(random, 6, false));
                    break;
                case 7:
                    if (random() % 2)
                        model.Undo();
                    else
                        model.Redo();
                    break;
                case 8:  // a long change reaches the widget in steps
                    widget.Apply(model.TakeUpdate(1 + random() % 4));
                    break;
                case 9:
                    model.ClearByUser();
                    break;
            }
            if (random() % 3 == 0) {
                widget.Refresh(model);
                ASSERT_EQ(widget.text, Render(model.Text())) << "round " << round;
            }
        }
        widget.Refresh(model);
        ASSERT_EQ(widget.text, Render(model.Text())) << "round " << round;
        std::size_t start = 0;
        std::size_t end = 0;
        model.GetSelection(&start, &end);
        model.SetSelection(start, end);
        widget.Refresh(model);
        EXPECT_EQ(widget.selectionStart, Render(model.Text().substr(0, start)).size());
        EXPECT_EQ(widget.selectionEnd, Render(model.Text().substr(0, end)).size());
    }
}

TEST(TextModel, StatusLinesAreNeverProgramTextAndUndoTakesBackOnlyTheUsersEdits) {
    TextModel model;
    FakeWidget widget;
    model.SetText("ONE\r\n");
    EditorStatusSink status(model);
    CEditWriter().Append(status, "Done?\r");
    CEditWriter().Append(status, "\b\b\b.\r");  // the writer's backspaces take only its own text
    widget.Refresh(model);
    ASSERT_EQ(widget.text, "ONE\nDone.\n");
    model.SetWidgetSelection(0, 3);
    widget.text.insert(2, "x");  // inside the program, then inside the status line
    model.ApplyWidgetEdit(2, 0, "x", true);
    widget.text.insert(7, "y");
    model.ApplyWidgetEdit(7, 0, "y", true);
    model.AppendStatus("Initializing\r\n");
    EXPECT_EQ(model.Text(), "ONxE\r\nDoyne.\r\nInitializing\r\n");
    EXPECT_EQ(model.ProgramText(0, TextModel::kWholeText), "ONxE\r\ny");
    EXPECT_EQ(model.ProgramText(3, 9), "E\r\ny");
    EXPECT_EQ(model.StatusText(), "Done.\r\nInitializing\r\n");
    EXPECT_TRUE(model.Typed());

    // Undo takes back the user's edits, never a load or a status line.
    EXPECT_TRUE(model.Undo());
    EXPECT_TRUE(model.Undo());
    EXPECT_FALSE(model.Undo());
    EXPECT_EQ(model.Text(), "ONE\r\nDone.\r\nInitializing\r\n");
    model.ClearByUser();
    EXPECT_EQ(model.Text(), "");
    EXPECT_TRUE(model.Undo());
    EXPECT_EQ(model.ProgramText(0, TextModel::kWholeText), "ONE\r\n");
    widget.Refresh(model);
    EXPECT_EQ(widget.text, Render(model.Text()));
    model.SetText("TWO");
    EXPECT_FALSE(model.Typed());
    EXPECT_FALSE(model.CanUndo());
}

// A run replaces the text and puts it back; the marks and history come back with it, also
// when a set-up appended its lines meanwhile, but never over text the user's would lose.
TEST(TextModel, ARunPutsBackMarksAndHistoryOnlyOverItsOwnText) {
    struct Case {
        const char* name;
        const char* restored;  // what the editor holds when the run ends
        const char* appended;  // status lines written after it
        const char* status;    // StatusText() after Reinstate
        bool undoes;
    };
    const Case cases[] = {
        {"the same text", "ONEx\r\nDone.\r\n", "", "Done.\r\n", true},
        {"status appended since", "ONEx\r\nDone.\r\n", "Again\r\n", "Done.\r\nAgain\r\n", true},
        {"other text", "TWO\r\n", "", "", false},
        {"user text after it", "ONEx\r\nDone.\r\nTWO", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextModel model;
        FakeWidget widget;
        model.SetText("ONE\r\n");
        model.AppendStatus("Done.\r\n");
        widget.Refresh(model);
        model.ApplyWidgetEdit(3, 0, "x", true);
        ASSERT_EQ(model.Text(), "ONEx\r\nDone.\r\n");
        const auto kept = model.Keep();
        model.SetText(c.restored);
        model.AppendStatus(c.appended);
        model.Reinstate(*kept);
        EXPECT_EQ(model.StatusText(), c.status);
        EXPECT_EQ(model.Typed(), c.undoes);
        EXPECT_EQ(model.Undo(), c.undoes);
    }
}

TEST(TextModel, SelectionsCountCrLfAsTwoInTheModelAndOneInTheWidget) {
    TextModel model;
    model.SetText("AB\r\nCD\r\nEF");
    model.SetSelection(4, 6);
    const TextModel::Update update = model.TakeUpdate();
    EXPECT_EQ(update.selectionStart, 3u);
    EXPECT_EQ(update.selectionEnd, 5u);
    model.SetWidgetSelection(6, 9);
    std::size_t start = 0;
    std::size_t end = 0;
    model.GetSelection(&start, &end);
    EXPECT_EQ(start, 8u);
    EXPECT_EQ(end, 10u);
}

TEST(TextModel, AWidgetEditTheModelShowsOtherwiseIsPutRight) {
    TextModel model;
    FakeWidget widget;
    model.SetText("a\rx\nb");
    widget.Refresh(model);
    ASSERT_EQ(widget.text, "a\nx\nb");
    // Deleting the x joins the CR and the LF into one line end.
    widget.text.erase(2, 1);
    model.ApplyWidgetEdit(2, 1, "", true);
    EXPECT_EQ(model.Text(), "a\r\nb");
    widget.Refresh(model);
    EXPECT_EQ(widget.text, "a\nb");

    // A character outside Latin-1 reached the model as '?', and the widget shows it so.
    widget.text.insert(1, "\x01");  // one character, outside Latin-1 in the widget
    model.ApplyWidgetEdit(1, 0, "?", false);
    widget.Refresh(model);
    EXPECT_EQ(widget.text, "a?\nb");
    EXPECT_EQ(model.Text(), "a?\r\nb");
}

TEST(TextModel, AppendsStayAppendsAndTheCutOfALongPaneOnlyDropsItsStart) {
    TextModel model;
    FakeWidget widget;
    const std::string line(99, 'x');
    int cuts = 0;
    for (int i = 0; i < 1500; ++i) {
        const bool cutDue = model.Length() > CEditWriter::kKeptLength;
        CEditWriter().Append(model, line + "\r");
        const TextModel::Update update = model.TakeUpdate();
        ASSERT_EQ(update.edits.size(), cutDue ? 2u : 1u) << i;
        if (update.edits.size() == 2) {
            const TextModel::Edit& cut = update.edits[0];
            EXPECT_EQ(cut.start, 0u);
            EXPECT_LE(cut.removed, 101u);
            EXPECT_LE(Render(cut.text).size(), 1u);
            widget.Apply({{cut}});
            ++cuts;
        }
        const TextModel::Edit& append = update.edits.back();
        EXPECT_EQ(append.start, widget.text.size());
        EXPECT_EQ(append.removed, 0u);
        EXPECT_EQ(append.text, line + "\r\n");
        widget.Apply({{append}});
    }
    EXPECT_GT(cuts, 200);
    EXPECT_EQ(model.Length(), CEditWriter::kKeptLength + 101);
    EXPECT_EQ(widget.text, Render(model.Text()));
}

TEST(TextModel, AWriterOnAnotherThreadIsMirroredWithOneWakeAtATime) {
    TextModel model;
    FakeWidget widget;
    std::atomic<int> wakes{0};
    std::atomic<bool> written{false};
    std::counting_semaphore<> woken{0};  // the window thread sleeps until it is woken
    model.SetWake([&] {
        ++wakes;
        woken.release();
    });
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i)
            CEditWriter().Append(model, "line " + std::to_string(i) + "\r");
        written = true;
    });
    int takes = 0;
    while (!written) {
        if (!woken.try_acquire_for(std::chrono::milliseconds(10))) continue;
        widget.Refresh(model);
        ++takes;
        EXPECT_LE(wakes.load(), takes + 1);
    }
    writer.join();
    widget.Refresh(model);
    EXPECT_EQ(widget.text, Render(model.Text()));
    EXPECT_EQ(model.Text().substr(model.Length() - 11), "line 1999\r\n");
}

}  // namespace
}  // namespace zentrip
