#include "app/dialogs/run_records_dlg.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/qt_text.h"
#include "app/common/window_fonts.h"

namespace zentrip {

bool OpenOnDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }

CRunRecordsDlg::CRunRecordsDlg(std::string folder, UrlOpener openUrl, QWidget* parent)
    : QDialog(parent),
      m_folder(std::move(folder)),
      m_openUrl(std::move(openUrl)),
      m_queue([this] { m_queueWake.Wake(); }) {
    setWindowTitle("Run Records");
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = new QTreeWidget(this);
    m_list->setObjectName("runList");
    m_list->setAccessibleName("Run Records");
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    QStringList titles;
    for (const RunColumn column : kRunColumns) titles << Latin1(RunColumnTitle(column));
    m_list->setHeaderLabels(titles);
    // The order is the list rules', not the widget's own sorting.
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(0, Qt::DescendingOrder);
    m_list->header()->setStretchLastSection(false);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("recordText");
    m_text->setAccessibleName("Run Record");
    m_text->setReadOnly(true);
    m_text->setUndoRedoEnabled(false);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(FixedPitchFont());

    m_panes = new QSplitter(Qt::Horizontal, this);
    m_panes->addWidget(m_list);
    m_panes->addWidget(m_text);
    m_panes->setStretchFactor(1, 1);

    m_openFolder = new QPushButton("Open Folder", this);
    m_openFolder->setObjectName("openFolder");
    m_openFolder->setAccessibleName("Open Folder");
    m_openFolder->setAutoDefault(false);  // Return opens nothing

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_openFolder);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panes, 1);
    layout->addLayout(buttons);
    resize(1100, 460);

    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CRunRecordsDlg::OrderBy);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CRunRecordsDlg::ShowChosen);
    connect(m_openFolder, &QPushButton::clicked, this, &CRunRecordsDlg::OpenFolder);
    Reload();
}

CRunRecordsDlg::~CRunRecordsDlg() { m_queue.Close(); }

void CRunRecordsDlg::Reload() {
    const std::uint64_t read = ++m_reads;
    m_reader.Post([this, read, folder = m_folder] {
        const std::vector<std::string> files = RunRecordFiles(folder);
        std::vector<RunRecordRow> rows;
        rows.reserve(files.size());
        for (std::size_t i = 0; i < files.size(); ++i)
            rows.push_back(ReadRunRecordRow(i + 1, files[i]));
        m_queue.Post([this, read, rows = std::move(rows)]() mutable {
            if (read == m_reads) TakeRows(std::move(rows));
        });
    });
}

void CRunRecordsDlg::TakeRows(std::vector<RunRecordRow> rows) {
    m_rows = std::move(rows);
    m_shown.clear();  // a record still being written has grown since
    if (m_chosen.empty() && !m_rows.empty()) m_chosen = m_rows.front().path;
    SortRunRecordRows(m_rows, m_order.column, m_order.ascending);
    FillList();
    if (m_rows.empty()) m_text->setPlainText("No run records yet.");
}

void CRunRecordsDlg::OrderBy(int column) {
    if (column < 0 || column >= static_cast<int>(kRunColumns.size())) return;
    m_order.Click(kRunColumns[static_cast<std::size_t>(column)]);
    m_list->header()->setSortIndicator(
        column, m_order.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    SortRunRecordRows(m_rows, m_order.column, m_order.ascending);
    FillList();
}

void CRunRecordsDlg::FillList() {
    const std::string chosen = m_chosen;
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    QTreeWidgetItem* current = nullptr;
    for (const RunRecordRow& row : m_rows) {
        QStringList texts;
        for (const RunColumn column : kRunColumns) texts << Latin1(RunColumnValue(row, column));
        items << new QTreeWidgetItem(texts);
        if (row.path == chosen) current = items.back();
    }
    m_list->addTopLevelItems(items);
    int wanted = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_list->columnCount(); ++column) {
        m_list->resizeColumnToContents(column);
        wanted += m_list->columnWidth(column);
    }
    // The first rows decide the list's share: every column if it fits in three fifths.
    if (!m_sized && !m_rows.empty()) {
        m_sized = true;
        const int width = m_panes->width();
        const int list = std::min(wanted, width * 3 / 5);
        m_panes->setSizes({list, width - list});
    }
    if (current) {
        m_list->setCurrentItem(current);
        m_list->scrollToItem(current);
    }
    ShowChosen();
}

void CRunRecordsDlg::ShowChosen() {
    const int index = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (index < 0) return;
    m_chosen = m_rows[static_cast<std::size_t>(index)].path;
    if (m_chosen == m_shown) return;
    m_shown = m_chosen;
    const std::uint64_t show = ++m_shows;
    m_reader.Post([this, show, path = m_chosen] {
        std::string why;
        const auto view = ReadRunRecord(path, false, &why);
        const std::string text = view ? RunRecordText(*view) : "Cannot read " + path + ": " + why;
        m_queue.Post([this, show, text] {
            if (show == m_shows) m_text->setPlainText(Latin1Lines(text));
        });
    });
}

void CRunRecordsDlg::OpenFolder() {
    if (m_openUrl(QUrl::fromLocalFile(PathText(m_folder)))) return;
    auto* box = new QMessageBox(QMessageBox::Warning, "Run Records",
                                "Couldn't open the folder " + PathText(m_folder) + ".",
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace zentrip
