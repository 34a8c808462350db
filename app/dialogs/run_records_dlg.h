// CRunRecordsDlg: the records programming runs left (session/run_records.h), listed newest
// first with the columns of `zentrip-cli runs` and ordered by a click on a column's title,
// the chosen record whole beside the list, and "Open Folder". The folder and the records are
// read off the window thread, so a folder of a thousand never stalls a window; the answers
// come back through the window's own queue. Escape closes it; it waits on nothing.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/common/thread_wake.h"
#include "app/worker/background_queue.h"
#include "app/worker/window_queue.h"
#include "session/run_records.h"

class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QUrl;

namespace zentrip {

// Opens a folder (or file) in the desktop's program for it; false when none would take it.
using UrlOpener = std::function<bool(const QUrl&)>;
bool OpenOnDesktop(const QUrl& url);

class CRunRecordsDlg final : public QDialog {
    Q_OBJECT

public:
    CRunRecordsDlg(std::string folder, UrlOpener openUrl, QWidget* parent);
    ~CRunRecordsDlg() override;

    // Reads the folder again; the order chosen stays.
    void Reload();

private:
    void TakeRows(std::vector<RunRecordRow> rows);
    void OrderBy(int column);
    // Draws the rows in their order, keeping the chosen record chosen.
    void FillList();
    void ShowChosen();
    void OpenFolder();

    std::string m_folder;
    UrlOpener m_openUrl;
    std::vector<RunRecordRow> m_rows;  // in the list's order
    RunRecordOrder m_order;
    std::string m_chosen;       // the chosen record's path
    std::string m_shown;        // the path of the record shown, or being read to be shown
    std::uint64_t m_reads = 0;  // folder reads asked for; only the last one's answer counts
    std::uint64_t m_shows = 0;  // the same for the record shown
    bool m_sized = false;       // the list's share of the width is set

    QSplitter* m_panes = nullptr;
    QTreeWidget* m_list = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_openFolder = nullptr;

    WindowQueue m_queue;
    ThreadWake m_queueWake{this, [this] { m_queue.Drain(); }};
    BackgroundQueue m_reader;  // last: its work posts to everything above
};

}  // namespace zentrip
