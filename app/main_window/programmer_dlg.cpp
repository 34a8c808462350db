// CProgrammerDlg: construction from the template, start-up, the handlers of its own controls,
// painting, dragging and Escape.
#include "app/main_window/programmer_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "app/common/dialog_layout.h"
#include "app/common/pane_colours.h"
#include "app/common/qt_text.h"
#include "app/common/window_fonts.h"
#include "app/dialogs/about_dlg.h"
#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/file_dialogs.h"
#include "app/dialogs/prompt_dlg.h"
#include "app/main_window/programmer_dlg_template.h"
#include "app/panes/text_pane.h"
#include "app/program/resources.h"
#include "app/worker/editor_status_sink.h"
#include "link/comm_settings_choices.h"
#include "platform/file_write.h"
#include "platform/system_error.h"
#include "session/run_records.h"
#include "session/window_texts.h"
#include "text/edit_writer.h"

namespace zentrip {

namespace {

const QColor kErrorText(255, 0, 0);
// Labels and the check box lie on the dark background image: their text is light.
const QColor kCaptionText(222, 228, 234);

// Breaks `text` into lines that fit `width` pixels, at blanks, as a multi-line check box does.
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
    QString wrapped;
    QString line;
    for (const QString& word : text.split(' ')) {
        const QString longer = line.isEmpty() ? word : line + ' ' + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            wrapped += line + '\n';
            line = word;
        } else {
            line = longer;
        }
    }
    return wrapped + line;
}

void ColourAsResult(QWidget* widget, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, kPaneBackground);
    palette.setColor(QPalette::Window, kPaneBackground);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
}

}  // namespace

CProgrammerDlg::CProgrammerDlg(WindowServices services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)), m_queue([this] { m_queueWake.Wake(); }) {
    setWindowTitle(m_services.simulatedDevice.empty() ? kCaption
                                                      : QString(kCaption) + " (simulated)");
    setWindowIcon(ProgramIcon());
    // A fixed-size window: nothing to maximise.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    m_background = QPixmap(kBackgroundResource);
    BuildControls();
    m_editorModel.SetWake([this] {
        m_queue.Post([this] {
            m_editor->Refresh();
            if (m_state.FileShown(m_editorModel.Loads())) {
                m_editorFile = m_workingFile;
                LockEditor(EditorLock::None);
            }
        });
    });
    m_resultsModel.SetWake([this] { m_queue.Post([this] { m_results->Refresh(); }); });

    const QRect full = DialogRect(0, 0, kTemplateWidth, kTemplateHeight);
    resize(full.size());
    const QRect button = Control(ids::kProgramAllInWindow)->geometry();
    m_animator = std::make_unique<FoldAnimator>(
        *this, FoldHeights{full.height(), CollapsedHeight(button.y() + button.height())});
    RunWindow& window = *this;
    m_work = std::make_unique<SerialWork>(m_queue, window, m_editorModel, m_resultsModel,
                                          *m_services.clock, *m_services.opener);
    connect(m_animator.get(), &FoldAnimator::Stepped, this, [this](int height) {
        m_work->Host().NoteHeights(height, m_animator->Heights().full);
        FocusOnlyVisible(height);
    });
    ConnectControls();
    SetUpSourceViews();

    // The start-up's order: the Stop button's caption, the settings and the port button,
    // the modem set-up (on the worker, so the window shows at once), then the fold.
    SetStopButtonCaption(kHideStatusCaption);
    // Values that fell back to their defaults are named where the modem set-up reports.
    EditorStatusSink status(m_editorModel);
    for (const std::string& warning : LoadSettings(m_settings))
        CEditWriter().Append(status, warning + "\r");
    m_loadedSettings = m_settings;
    ShowPortButtonText();
    StartJob(
        SerialWork::JobKind::Modem, [](CProgrammer& programmer) { programmer.InitModem(); },
        [this] {
            m_state.EndStartup();
            if (!m_startingFile.empty()) ChooseWorkingFile(m_startingFile);
        });
    m_animator->SetHeight(m_animator->Heights().collapsed);
    FocusOnlyVisible(m_animator->Heights().collapsed);
    // The simulated controller hangs on a simulated cable.
    if (!m_services.simulatedDevice.empty()) m_directCheck->setChecked(true);
}

CProgrammerDlg::~CProgrammerDlg() {
    m_queue.Close();
    AnswerOpenDialogsNo();
    m_work.reset();
}

void CProgrammerDlg::BuildControls() {
    const QFont dialogFont = DialogFont();
    const QFont fixedFont = FixedPitchFont();
    setFont(dialogFont);
    for (const ControlTemplate& control : kProgrammerDlgTemplate) {
        const QString text = Latin1Lines(control.text);
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::Label: {
                auto* label = new QLabel(text, this);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = label;
                break;
            }
            case ControlKind::ReadOnlyField: {
                auto* field = new QLineEdit(this);
                field->setReadOnly(true);
                widget = field;
                break;
            }
            case ControlKind::Button:
                widget = new QPushButton(text, this);
                break;
            case ControlKind::CheckBox:
                widget = new QCheckBox(this);
                break;
            case ControlKind::TextPane:
                widget = new TextPane(
                    control.id == ids::kSourceEditor ? m_editorModel : m_resultsModel, this);
                break;
        }
        PlaceControl(widget, control.x, control.y, control.width, control.height);
        NameControl(widget, control.id, text);
        if (control.kind == ControlKind::Label) {
            // The stand-in font may be wider than the template's; a label is never cut.
            widget->resize(std::max(widget->width(), widget->sizeHint().width()), widget->height());
        } else if (control.kind == ControlKind::CheckBox) {
            const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                  style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            static_cast<QCheckBox*>(widget)->setText(
                WrapToWidth(text, QFontMetrics(dialogFont), widget->width() - indicator));
        }
        if (control.kind == ControlKind::Label || control.kind == ControlKind::CheckBox) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::WindowText, kCaptionText);
            widget->setPalette(palette);
        }
    }

    m_workingFileField = static_cast<QLineEdit*>(Control(ids::kWorkingFile));
    m_editor = static_cast<TextPane*>(Control(ids::kSourceEditor));
    m_results = static_cast<TextPane*>(Control(ids::kResults));
    m_programButton = static_cast<QPushButton*>(Control(ids::kProgramFromFile));
    m_stopButton = static_cast<QPushButton*>(Control(ids::kStop));
    m_comPortButton = static_cast<QPushButton*>(Control(ids::kComPort));
    m_directCheck = static_cast<QCheckBox*>(Control(ids::kDirectCheck));
    m_lineNumber = static_cast<QLineEdit*>(Control(ids::kLineNumber));
    m_totalErrors = static_cast<QLineEdit*>(Control(ids::kTotalErrors));

    for (QWidget* fixed :
         {static_cast<QWidget*>(m_editor), static_cast<QWidget*>(m_results),
          static_cast<QWidget*>(m_lineNumber), static_cast<QWidget*>(m_totalErrors)})
        fixed->setFont(fixedFont);
    ColourAsResult(m_results, kPaneText);
    ColourAsResult(m_workingFileField, kPaneText);
    ColourAsResult(m_lineNumber, kPaneText);
    ColourAsResult(m_totalErrors, kErrorText);
    m_results->setReadOnly(true);
    m_results->setUndoRedoEnabled(false);
    m_stopButton->hide();
    // Fields and panes are named by their labels.
    m_workingFileField->setAccessibleName("Working File");
    m_editor->setAccessibleName("Program Source Data");
    m_results->setAccessibleName("Programming Status and Results");
    m_lineNumber->setAccessibleName("Line Number");
    m_totalErrors->setAccessibleName("Total Errors");
}

QWidget* CProgrammerDlg::Control(int id) const {
    return findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

void CProgrammerDlg::ConnectControls() {
    auto button = [this](int id) { return static_cast<QPushButton*>(Control(id)); };
    auto onClick = [this](QPushButton* control, void (CProgrammer::*operation)(), EditorLock lock) {
        connect(control, &QPushButton::clicked, this, [this, operation, lock] {
            StartUnlessRunning(SerialWork::JobKind::Run, operation, lock);
        });
    };
    // A run from the file shows the file in the editor, in place of what was typed there.
    connect(m_programButton, &QPushButton::clicked, this, [this] {
        auto start = [this] {
            StartUnlessRunning(SerialWork::JobKind::Run, &CProgrammer::ProgramFromFile,
                               EditorLock::UntilShown);
        };
        if (m_work->RunInProgress())
            start();
        else
            KeepTypedWorkThen(start);
    });
    onClick(button(ids::kProgramSelected), &CProgrammer::ProgramSelected, EditorLock::WhileRunning);
    onClick(button(ids::kProgramAllInWindow), &CProgrammer::ProgramAllInWindow,
            EditorLock::WhileRunning);
    connect(button(ids::kSelect), &QPushButton::clicked, this, &CProgrammerDlg::OnSelect);
    connect(button(ids::kClearWindow), &QPushButton::clicked, this, &CProgrammerDlg::OnClearWindow);
    connect(m_stopButton, &QPushButton::clicked, this, &CProgrammerDlg::OnStop);
    connect(m_comPortButton, &QPushButton::clicked, this, &CProgrammerDlg::OnComPort);
    connect(button(ids::kModemString), &QPushButton::clicked, this, &CProgrammerDlg::OnModemString);
    connect(button(ids::kMiniTerminal), &QPushButton::clicked, this,
            &CProgrammerDlg::OnMiniTerminal);
    // Linux gives a program no window menu of its own: the About box is on the window's
    // context menu and on F1.
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CProgrammerDlg::OnAbout);
    connect(button(ids::kExit), &QPushButton::clicked, this, [this] {
        AskToClose({CloseStep::Collapse, CloseStep::HangUp, CloseStep::Save, CloseStep::Finish});
    });

    auto* preview = new QAction("Preview Expansion", this);
    connect(preview, &QAction::triggered, this, [this] {
        // Its lines go to the results pane, which must show; they count the editor's lines.
        if (!m_work->RunInProgress()) {
            ShowStatusDisplay();
            m_resultsProgram = {true, nullptr, 0};
        }
        StartUnlessRunning(SerialWork::JobKind::Preview, &CProgrammer::PreviewExpansion);
    });
    m_editor->AddContextAction(preview);
    m_editor->AcceptFileDrops();
    connect(m_editor, &TextPane::FileDropped, this, [this](const QString& path) {
        KeepTypedWorkThen([this, path = PathBytes(path)] { ChooseWorkingFile(path); });
    });
    auto* saveProgram = new QAction("Save Program", this);
    saveProgram->setShortcut(QKeySequence::Save);
    connect(saveProgram, &QAction::triggered, this, [this] { OnSaveProgram(); });
    auto* saveProgramAs = new QAction("Save Program As...", this);
    saveProgramAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveProgramAs, &QAction::triggered, this, [this] { OnSaveProgramAs(); });
    for (QAction* action : {saveProgram, saveProgramAs}) {
        addAction(action);  // the keys work anywhere in the window
        m_editor->AddContextAction(action);
    }
    auto* save = new QAction("Save Results As...", this);
    connect(save, &QAction::triggered, this, &CProgrammerDlg::OnSaveResults);
    m_results->AddContextAction(save);
    auto* records = new QAction("Run Records...", this);
    connect(records, &QAction::triggered, this, &CProgrammerDlg::OnRunRecords);
    m_results->AddContextAction(records);
}

CommSettings CProgrammerDlg::EffectiveSettings() const {
    CommSettings settings = m_settings;
    if (!m_services.simulatedDevice.empty() && settings.port >= 1 && settings.port <= kComPortCount)
        settings.devicePaths[static_cast<std::size_t>(settings.port - 1)] =
            m_services.simulatedDevice;
    return settings;
}

void CProgrammerDlg::SetStartingFile(const std::string& path) {
    SetWorkingFileText(path);
    m_startingFile = path;
    if (m_state.StartupDone()) ChooseWorkingFile(path);
}

void CProgrammerDlg::TakeSerialSettings(const CommSettings& chosen) {
    TakePortChoice(m_settings, chosen);
    ShowPortButtonText();
}

void CProgrammerDlg::SetStopButtonCaption(const std::string& caption) {
    // A multi-line button: the caption breaks at blanks to fit.
    constexpr int kMargins = 8;
    const QString text = QString::fromStdString(caption);
    m_stopButton->setText(
        WrapToWidth(text, QFontMetrics(m_stopButton->font()), m_stopButton->width() - kMargins));
    m_stopButton->setAccessibleName(text);
}

void CProgrammerDlg::ShowPortButtonText() {
    const QString text = Latin1Lines(PortButtonText(m_settings.port, m_settings.dataRate));
    m_comPortButton->setText(text);
    m_comPortButton->setAccessibleName(text);
}

void CProgrammerDlg::ChooseWorkingFile(const std::string& path) {
    SetWorkingFileText(path);
    // Read and prepared off the window thread; the editor takes no typing until it shows.
    LockEditor(EditorLock::UntilShown);
    m_editorFile.clear();
    const std::uint64_t load = ++m_loads;
    m_loader.Post([this, path, load] {
        std::string reason;
        const std::optional<std::string> text = EditorTextOfFile(path, &reason);
        EditorStatusSink status(m_editorModel);
        ShowInEditor(m_editorModel, status, text, reason);
        m_queue.Post([this, path, load, shown = text.has_value()] {
            if (load == m_loads) m_editorFile = shown ? path : std::string();
        });
    });
}

void CProgrammerDlg::StartUnlessRunning(SerialWork::JobKind kind, void (CProgrammer::*operation)(),
                                        EditorLock lock) {
    if (m_work->RunInProgress()) {
        OpenMessageBox(kAlreadyProgramming, MessageBoxButtons::Ok, MessageBoxIcon::None, nullptr);
        return;
    }
    m_editor->SyncSelection();
    if (kind == SerialWork::JobKind::Run) {
        LockEditor(lock);
        m_state.RunAsked();
    }
    // The run replaces the editor's text and puts it back; the marks and history come back too.
    // They are taken when the run begins, after any set-up lines queued before it.
    m_keptEditor = nullptr;
    if (lock == EditorLock::WhileRunning)
        m_keptEditor = std::make_shared<std::shared_ptr<const TextModel::Kept>>();
    StartJob(kind, [this, operation, kept = m_keptEditor](CProgrammer& programmer) {
        if (kept) *kept = m_editorModel.Keep();
        (programmer.*operation)();
    });
}

void CProgrammerDlg::FocusOnlyVisible(int height) {
    if (m_foldedControls.empty()) {
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->focusPolicy() != Qt::NoFocus && control->y() >= height)
                m_foldedControls.emplace_back(control, control->focusPolicy());
        }
    }
    for (const auto& [control, policy] : m_foldedControls) {
        const bool visible = control->y() < height;
        control->setFocusPolicy(visible ? policy : Qt::NoFocus);
        if (!visible && control->hasFocus()) m_editor->setFocus();
    }
}

void CProgrammerDlg::LockEditor(EditorLock lock) {
    m_state.LockEditor(lock, m_editorModel.Loads());
    m_editor->SetLocked(lock != EditorLock::None);
}

void CProgrammerDlg::OnSelect() {
    KeepTypedWorkThen([this] {
        OpenFileChoice(kProgramFileFilter, [this](std::optional<std::string> path) {
            if (path) ChooseWorkingFile(*path);
        });
    });
}

void CProgrammerDlg::OnClearWindow() {
    m_editorModel.ClearByUser();
    m_editor->Refresh();
}

void CProgrammerDlg::OnStop() {
    const bool active = m_work->ProgrammingActive();
    m_work->RequestStop();
    if (!active) {
        HideStatusDisplay();
        return;
    }
    AnswerOpenDialogsNo();
}

void CProgrammerDlg::OnComPort() {
    auto* dialog = new CCommSettingsDlg(m_settings, this);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        TakeSerialSettings(dialog->Settings());
        StartJob(SerialWork::JobKind::Modem,
                 [](CProgrammer& programmer) { programmer.InitModem(); });
    });
    OpenDialog(dialog);
}

void CProgrammerDlg::OnModemString() {
    auto* dialog = new CPromptDlg(
        "Enter supplemental modem initialization string:", m_settings.modemInitString, this);
    // The value counts however the prompt ends, Escape included.
    connect(dialog, &QDialog::finished, this,
            [this, dialog] { m_settings.modemInitString = dialog->Value(); });
    OpenDialog(dialog);
}

void CProgrammerDlg::OnAbout() { OpenDialog(new CAboutDlg(this)); }

void CProgrammerDlg::OpenDialog(QDialog* dialog) {
    if (m_state.Closing()) {
        delete dialog;
        return;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    Track(dialog);
    dialog->open();
}

void CProgrammerDlg::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("&About Zentrip...", this, &CProgrammerDlg::OnAbout);
    menu->popup(event->globalPos());
}

void CProgrammerDlg::OnSaveResults() {
    if (m_state.Closing()) return;
    Track(OpenSaveResultsDialog(this, [this](std::optional<std::string> path) {
        if (!path) return;
        if (const int err = WriteWholeFile(*path, m_resultsModel.Text()))
            OpenBox("Couldn't save the results to " + PathText(*path) + ".\n" +
                        Latin1(SystemErrorText(err)),
                    MessageBoxButtons::Ok, MessageBoxIcon::Stop, nullptr);
    }));
}

void CProgrammerDlg::OnRunRecords() {
    if (m_state.Closing()) return;
    if (m_runRecords) {
        m_runRecords->Reload();
    } else {
        m_runRecords = new CRunRecordsDlg(DefaultRunRecordFolder(), m_services.openUrl, this);
        m_runRecords->show();
    }
    m_runRecords->raise();
    m_runRecords->activateWindow();
}

void CProgrammerDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the window, and a Return that no control took presses nothing: a
    // stray key must not end the program or halt a run.
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CProgrammerDlg::paintEvent(QPaintEvent*) {
    if (m_background.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void CProgrammerDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
    // Wayland lets no program place its window; the compositor moves it instead.
    if (QGuiApplication::platformName().startsWith("wayland") && windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    const QPoint cursor = event->position().toPoint();
    m_drag.Press({cursor.x(), cursor.y()}, {pos().x(), pos().y()});
}

void CProgrammerDlg::mouseMoveEvent(QMouseEvent* event) {
    QDialog::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint cursor = event->position().toPoint();
    if (const std::optional<ScreenPoint> to = m_drag.Move({cursor.x(), cursor.y()}))
        move(to->x, to->y);
}

void CProgrammerDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_drag.Release();
    QDialog::mouseReleaseEvent(event);
}

}  // namespace zentrip
