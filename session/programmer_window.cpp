// CProgrammer's operations around the source editor: choosing and showing the working file,
// and programming the editor's text (all of it or the selection) through a temporary file.
#include <algorithm>
#include <optional>

#include "platform/input_file.h"
#include "platform/temp_file.h"
#include "script/line_reader.h"
#include "session/programmer.h"
#include "session/window_texts.h"
#include "text/edit_writer.h"

namespace zentrip {

namespace {

constexpr const char* kTempFileError =
    "Error creating temporary file.\rUnable to program from window.";
constexpr int kPieceSize = 500;  // each read takes at most 499 characters

}  // namespace

void CProgrammer::SelectWorkingFile() {
    std::optional<std::string> path = m_host.ChooseProgramFile("*.*", kProgramFileFilter);
    if (!path) return;
    m_workingFile = *path;
    m_host.SetWorkingFileText(m_workingFile);
    ShowFileInEditor(m_workingFile);
}

void CProgrammer::ShowFileInEditor(const std::string& path) {
    std::string reason;
    const std::optional<std::string> text = EditorTextOfFile(path, &reason);
    ShowInEditor(m_host.SourceEditor(), m_host.EditorStatus(), text, reason);
}

void ShowInEditor(TextSink& editor, TextSink& status, const std::optional<std::string>& text,
                  const std::string& reason) {
    editor.SetText(text ? *text : "");
    if (!text)
        CEditWriter().Append(status, "\r** File content couldn't be displayed. **\r" + reason + "\r");
}

std::optional<std::string> EditorTextOfFile(const std::string& path, std::string* reason) {
    // Read as the run reads it (text mode: CR LF is one line end); a FIFO or a directory is
    // refused rather than left to block the window or show nothing.
    const FilePtr file = OpenInputFile(path.c_str(), reason);
    if (!file) return std::nullopt;
    std::string text;
    char piece[kPieceSize];
    std::size_t length = 0;
    auto put = [&](char ch) { piece[length++] = ch; };
    while ((length = 0, ReadTextPiece(file.get(), kPieceSize - 1, put)) > 0) {
        // A NUL ends the piece's text, as in a zero-terminated string, but not its line.
        std::string_view part(piece, length);
        const std::size_t end = part.find_first_of(std::string_view("\r\n", 2));
        text += part.substr(0, std::min(end, part.find('\0')));
        if (end != std::string_view::npos) text += "\r\n";
    }
    return text;
}


void CProgrammer::ClearEditor() { m_host.SourceEditor().SetText(""); }

void CProgrammer::ProgramAllInWindow() {
    if (m_programmingActive) {
        m_host.MessageBox(kAlreadyProgramming, MessageBoxButtons::Ok, MessageBoxIcon::None);
        return;
    }
    TextSink& editor = m_host.SourceEditor();
    const std::string text = editor.Text();
    const std::string program = editor.ProgramText(0, text.size());
    if (program.size() < 2) return;
    if (ProgramFromText(program)) editor.SetText(text);
}

void CProgrammer::ProgramSelected() {
    if (m_programmingActive) {
        m_host.MessageBox(kAlreadyProgramming, MessageBoxButtons::Ok, MessageBoxIcon::None);
        return;
    }
    TextSink& editor = m_host.SourceEditor();
    const std::string text = editor.Text();
    if (editor.ProgramText(0, text.size()).size() < 2) return;
    std::size_t start = 0;
    std::size_t end = 0;
    editor.GetSelection(&start, &end);
    if (start == end) {
        m_host.MessageBox(
            "First select the text you want sent to the\rcontroller in the EDIT window.",
            MessageBoxButtons::Ok, MessageBoxIcon::Information);
        return;
    }
    start = std::min(start, text.size());
    end = std::min(std::max(end, start), text.size());
    if (!ProgramFromText(editor.ProgramText(start, end))) return;
    editor.SetText(text);
    editor.SetSelection(start, end);
    editor.ScrollCaret();
    m_host.FocusEditor();
}

// Runs `text` as the working file for one run; the caller restores the editor when this
// returns true. The temporary file is gone when it returns.
bool CProgrammer::ProgramFromText(const std::string& text) {
    TempFile file;
    if (!file.Create(text)) {
        m_host.MessageBox(kTempFileError, MessageBoxButtons::Ok, MessageBoxIcon::Stop);
        return false;
    }
    const std::string userFile = m_workingFile;
    m_workingFile = file.Path();
    m_temporaryProgram = &file;
    const std::size_t slash = userFile.find_last_of('/');
    m_editorProgramName = userFile.empty() ? "editor" : userFile.substr(slash + 1);
    ClearEditor();
    ProgramFromFile();
    m_temporaryProgram = nullptr;
    m_editorProgramName.clear();
    m_workingFile = userFile;
    return true;
}

}  // namespace zentrip
