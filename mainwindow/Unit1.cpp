#include "mainwindow/Unit1.h"

#include <utility>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "controller/MOZU.h"
#include "controller/Timer_chars.h"
#include "controller/ZGfill.h"
#include "controller/semi_.h"
#include "machine/ScreenPlace.h"
#include "machine/Unit2.h"
#include "machine/_Asm_text.h"
#include "mainwindow/ProgramEdit.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Stack_m.h"
#include "mainwindow/TaskCheck.h"
#include "mainwindow/Unit1_widgets.h"
#include "mainwindow/options.h"
#include "training/About.h"
#include "training/HelpWindow.h"
#include "training/Quest.h"
#include "training/Result.h"
#include "training/ResultStore.h"
#include "training/Unit7.h"

namespace ravx {
TForm1::TForm1(const std::function<void(const QString&)>& progress, const QString& storePath)
    : storePath_(storePath)
{
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    setWindowTitle(QStringLiteral("ПККИ RAVX"));
    setAcceptDrops(true);  // a .prg or .dmp dropped on the window opens
    // the windows the host calls into exist before the machine is first reset
    sim_ = std::make_unique<Simulator>(*static_cast<Host*>(this));
    form3_ = new TForm3(sim_->ravx, this);
    form4_ = new TForm4(sim_->ravx, sim_->m, sim_->host(), this);
    errW_ = new TErrW(this);
    semi_ = new TSemi(this);
    options_ = new Toption(*sim_, this);
    stack_ = new TStack(sim_->m, this);
    showZU_ = new TShowZU(*sim_, this);
    // the tasks window shows the port in use
    tasks_ = new TForm7([this] { return QString::fromStdString(hex2(sim_->ravx.PortBase).str()); }, this);
    // "Проверить": the program in the grid with the current settings and firmware,
    // run on a copy of the machine
    tasks_->SetSolutionChecker([this](const training::TaskTerms& task) {
        return training::CheckSolution(training::CopyOfMachine(*sim_), task, training::CurrentSetup(*sim_));
    });
    about_ = new TAboutBox(this);

    if (progress)
        progress(QStringLiteral("Инициализация переменных"));
    auto* central = new QWidget(this);
    // The panels are laid out for a width of 632: the window keeps that width
    // and gives any extra height to the program grid.
    central->setFixedWidth(kClientWidth);
    central->setMinimumHeight(kClientHeight);
    setCentralWidget(central);
    buildMenu();
    buildGrid();
    // the program's rows changed: "Шаг назад" may have nothing to go back to
    connect(programModel_, &QAbstractItemModel::dataChanged, this, [this] {
        if (stepBackAction_)
            stepBackAction_->setEnabled(sim_->CanStepBack());
    });
    // the status line names the error the current row's text already decides
    connect(Grid1->selectionModel(), &QItemSelectionModel::currentChanged, this, &TForm1::showRowStatus);
    connect(programModel_, &QAbstractItemModel::dataChanged, this, &TForm1::showRowStatus);
    Grid1->editRefused = [this] { noteRunLock(); };
    // "Отменить" and "Повторить" are there when there is something to undo or redo
    QUndoStack* undo = programModel_->undoStack();
    QAction* undoAction = actionNamed(QStringLiteral("Отменить"));
    QAction* redoAction = actionNamed(QStringLiteral("Повторить"));
    undoAction->setEnabled(undo->canUndo());
    redoAction->setEnabled(undo->canRedo());
    connect(undo, &QUndoStack::canUndoChanged, undoAction, &QAction::setEnabled);
    connect(undo, &QUndoStack::canRedoChanged, redoAction, &QAction::setEnabled);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(kStatusHeight);
    setFixedWidth(kClientWidth);
    strip_ = new QWidget(central);
    strip_->setGeometry(0, kClientHeight - kStripHeight, kClientWidth, kStripHeight);
    buildPanels(strip_);
    if (progress)
        progress(QString());

    ResetKey();
    if (progress)
        progress(QString());

    // Centred on the screen; a screen 480 pixels high gets the caption above
    // its top edge, so that the rest fits. Either way the window stays on the
    // screen as far as it can, its menu bar always.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && screen->geometry().height() == 480) {
        const QRect r = screen->availableGeometry();
        move(r.left() + (r.width() - 640) / 2, -20);
        KeepOnScreen(this, Place::AsIs, true);
    } else {
        KeepOnScreen(this, Place::Centre, true);
    }
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    // the machine goes before the grid, whose open cell editor commits on
    // its way out
    if (programModel_)
        programModel_->detach();
}

QAction* TForm1::actionNamed(const QString& caption) const
{
    for (QAction* a : actions_)
        if (a->text() == caption)
            return a;
    return nullptr;
}

void TForm1::buildMenu()
{
    struct Item {
        const char* caption;
        QKeySequence key;
        void (TForm1::*handler)();
    };
    auto addMenu = [this](const char* title, std::initializer_list<Item> items) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        for (const Item& it : items) {
            QAction* a = menu->addAction(QString::fromUtf8(it.caption));
            a->setShortcut(it.key);
            a->setShortcutContext(Qt::WindowShortcut);
            if (it.handler)
                connect(a, &QAction::triggered, this, it.handler);
            actions_.push_back(a);
        }
        return menu;
    };
    addMenu("Файл", {{"Открыть программу", QKeySequence(Qt::Key_F3), &TForm1::OpenProgramClick},
                     {"Загрузить прошивку", QKeySequence(Qt::CTRL | Qt::Key_F3), &TForm1::LoadFirmwareClick},
                     {"Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveClick},
                     {"Сохранить программу", QKeySequence(Qt::Key_F2), &TForm1::SaveProgramClick},
                     {"Сохранить прошивку", QKeySequence(Qt::CTRL | Qt::Key_F2), &TForm1::SaveFirmwareClick},
                     {"Генерация отчета", QKeySequence(Qt::CTRL | Qt::Key_P), &TForm1::ReportClick},
                     {"Выход", QKeySequence(), &TForm1::N5Click}});
    QMenu* edit =
        addMenu("Правка", {{"Копировать", QKeySequence(Qt::CTRL | Qt::Key_Insert), &TForm1::CopyMClick},
                           {"Вставить", QKeySequence(Qt::SHIFT | Qt::Key_Insert), &TForm1::InsertMClick},
                           {"Удалить", QKeySequence(Qt::CTRL | Qt::Key_Delete), &TForm1::DeleteMClick},
                           {"Вставить строку", QKeySequence(Qt::CTRL | Qt::Key_N), &TForm1::N18Click},
                           {"Удалить строку", QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm1::N20Click},
                           {"Отменить", QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::UndoClick},
                           {"Повторить", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TForm1::RedoClick}});
    edit->insertSeparator(actionNamed(QStringLiteral("Отменить")));  // the lab's own items first
    if (!QGuiApplication::clipboard()) {
        // without a clipboard there is nothing to copy to or paste from
        for (const char* item : {"Копировать", "Вставить", "Удалить"})
            actionNamed(QString::fromUtf8(item))->setEnabled(false);
    }
    addMenu("Просмотр", {{"Просмотр стека", QKeySequence(), &TForm1::N10Click},
                         {"Просмотр ОЗУ данных", QKeySequence(), &TForm1::N11Click},
                         {"Просмотр ОЗУ индикации", QKeySequence(), &TForm1::N12Click},
                         {"Просмотр заданий", QKeySequence(), &TForm1::N13Click},
                         {"Результаты теста", QKeySequence(Qt::Key_F5), &TForm1::N15Click}});
    // items 3 and 4 are spelled with a Latin "a", as the laboratory knows them
    addMenu("Заполнение", {{"Знакогенератор 1", QKeySequence(Qt::SHIFT | Qt::Key_F1), nullptr},
                           {"Знакогенератор 2", QKeySequence(Qt::SHIFT | Qt::Key_F2), nullptr},
                           {"Знакогенерaтор 3", QKeySequence(Qt::SHIFT | Qt::Key_F3), nullptr},
                           {"Знакогенерaтор 4", QKeySequence(Qt::SHIFT | Qt::Key_F4), nullptr},
                           {"ОЗУ данных", QKeySequence(Qt::SHIFT | Qt::Key_F5), nullptr},
                           {"Кодогенератор", QKeySequence(Qt::SHIFT | Qt::Key_F6), nullptr},
                           {"Скрыть", QKeySequence(Qt::CTRL | Qt::Key_F5), &TForm1::N16Click}});
    // the six fill targets in the order of their items
    const FillTarget targets[] = {FillTarget::Zg1, FillTarget::Zg2, FillTarget::Zg3,
                                  FillTarget::Zg4, FillTarget::DataRam, FillTarget::Kg};
    for (int i = 0; i < 6; ++i) {
        QAction* item = actions_[actions_.size() - 7 + i];
        connect(item, &QAction::triggered, this, [this, target = targets[i]] {
            Grid1->commitEditing();
            if (form4_->Open(target))
                sim_->EndHistory();  // the steps before ran on other tables
            ShowState();  // a generator filled anew shows on the next step; the panels stay current
        });
    }
    // "Скрыть" is hidden but answers to its key; a hidden action's shortcut
    // would not, so a window shortcut triggers it.
    QAction* hide = actions_.back();
    hide->setVisible(false);
    auto* hideKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5), this);
    connect(hideKey, &QShortcut::activated, hide, &QAction::trigger);
    QMenu* run = addMenu("Запуск", {{"Один шаг", QKeySequence(Qt::Key_F8), &TForm1::BitBtn1Click},
                                    {"Шаг назад", QKeySequence(Qt::SHIFT | Qt::Key_F8), &TForm1::StepBackClick},
                                    {"Автоматически", QKeySequence(Qt::CTRL | Qt::Key_F9), &TForm1::N29Click},
                                    {"Быстро", QKeySequence(Qt::CTRL | Qt::Key_F10), &TForm1::N48Click},
                                    {"Выполнить до курсора", QKeySequence(Qt::Key_F4), &TForm1::RunToCursorClick},
                                    {"Точка останова", QKeySequence(Qt::CTRL | Qt::Key_F8), &TForm1::N32Click},
                                    {"Убрать все точки останова", QKeySequence(), &TForm1::N33Click},
                                    {"Сброс", QKeySequence(Qt::Key_F9), &TForm1::ResetKey}});
    stepBackAction_ = actionNamed(QStringLiteral("Шаг назад"));
    buildPaceMenu(run);
    addMenu("Настройка",
            {{"Работа программы", QKeySequence(), &TForm1::N14Click},
             {"Генерация отчета", QKeySequence(), &TForm1::ReportOptionsClick}});
    addMenu("Помощь", {{"Помощь", QKeySequence(Qt::Key_F1), &TForm1::HelpClick},
                       {"Задание", QKeySequence(Qt::CTRL | Qt::Key_F1), &TForm1::TaskHelpClick},
                       {"О программе", QKeySequence(), &TForm1::AboutClick}});
}

// ---- simulation commands -----------------------------------------------------

void TForm1::BitBtn1Click()
{
    if (sim_->Running())
        return;  // a run is making the steps
    Grid1->commitEditing();
    sim_->Step();
    afterStep();
}

void TForm1::afterStep()
{
    ShowState();
    positionGridOnIp();
    showZU_->DataRamChanged();  // an open data RAM view follows every step
}

void TForm1::N32Click()
{
    Grid1->commitEditing();
    const int row = Grid1->currentRow();
    if (row < 0 || row >= kStatementRows)
        return;
    sim_->program.ToggleBreakpoint(static_cast<uint16_t>(row));
    refreshBreakpoint(row);
}

void TForm1::N33Click()
{
    sim_->program.ClearBreakpoints();
    programModel_->allChanged();
}

void TForm1::ResetKey()
{
    if (waitLoop_)
        waitLoop_->quit();  // a paced run sees the cleared run flag at once
    Grid1->commitEditing();
    sim_->ResetKey();
    showReset();
}

void TForm1::showReset()
{
    ShowState();
    positionGridOnIp();
    stack_->StackChanged();  // the stack pointer is back at the top
    showZU_->DataRamChanged();
}

// ---- the commands of the menus "Просмотр", "Настройка" and "Помощь" -------------

namespace {
void showTool(QWidget* w)
{
    w->show();
    w->raise();
    w->activateWindow();
}
}  // namespace

void TForm1::N10Click() { showTool(stack_); }
void TForm1::N12Click() { showTool(form3_); }
void TForm1::N16Click() { form4_->SetListEnabled(!form4_->ListEnabled(), 0); }
void TForm1::N11Click() { showTool(showZU_); }
void TForm1::N13Click() { showTool(tasks_); }

void TForm1::N14Click()
{
    Grid1->commitEditing();
    if (options_->Run()) {
        sim_->EndHistory();  // the steps before ran with other settings
        ShowState();
    }
}

ResultStore& TForm1::store()
{
    if (!store_)
        store_ = storePath_.isEmpty() ? OpenResultStore() : std::make_unique<IniResultStore>(storePath_);
    return *store_;
}

void TForm1::N15Click()
{
    const Settings& s = sim_->settings;
    ShowTestResults(this, store(), s.Group, s.Machine, QString::fromStdString(hex2(sim_->ravx.PortBase).str()),
                    sim_->m.ErrorCounter);
}

void TForm1::HelpClick() { OpenHelp(this, 1); }
void TForm1::TaskHelpClick() { OpenHelp(this, 7); }
void TForm1::AboutClick() { about_->exec(); }

// ---- the commands of the menu "Правка" ------------------------------------------

namespace {
// The program block on the clipboard under a type of its own, beside the
// rows as plain text for other programs. Earlier versions put the block in
// as the plain text; such a block still pastes.
const QString kBlockMimeType = QStringLiteral("application/x-ravx-program-block");
}  // namespace

void TForm1::CopyMClick()
{
    Grid1->commitEditing();
    const ProgramGrid::Range r = Grid1->selectedRange();
    if (r.top < 0)
        return;
    auto* data = new QMimeData;
    const std::u32string block = BuildProgramBlock(sim_->program, r.top, r.bottom, r.left, r.right);
    data->setData(kBlockMimeType, QString::fromStdU32String(block).toUtf8());
    data->setText(QString::fromStdString(PlainTextOfRows(sim_->program, r.top, r.bottom, r.left, r.right)));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TForm1::InsertMClick()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();
    const int row = Grid1->currentRow();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (row < 0 || !data)
        return;
    const std::u32string text = data->hasFormat(kBlockMimeType)
                                    ? QString::fromUtf8(data->data(kBlockMimeType)).toStdU32String()
                                    : data->text().toStdU32String();
    const auto pasted = data->hasFormat(kBlockMimeType) ? PasteProgramBlock(sim_->program, text, row)
                                                        : PasteText(sim_->program, text, row);
    if (pasted) {
        programModel_->rowsChanged(pasted->first, pasted->first + pasted->count - 1);
        refreshG1();
    }
}

void TForm1::DeleteMClick()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();
    const ProgramGrid::Range r = Grid1->selectedRange();
    if (r.top < 0 || r.bottom < r.top)
        return;
    Grid1->setCurrentCell(r.top, Grid1->currentIndex().column());
    DeleteRows(sim_->program, r.top, r.bottom, sim_->settings.ShiftMode);
    programModel_->rowsChanged(r.top, kStatementRows - 1);
    refreshG1();
}

void TForm1::N18Click()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();
    const int row = Grid1->currentRow();
    InsertRow(sim_->program, row, sim_->settings.ShiftMode);
    programModel_->rowsChanged(row, kStatementRows - 1);
    refreshG1();
}

void TForm1::N20Click()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();
    const int row = Grid1->currentRow();
    DeleteRow(sim_->program, row, sim_->settings.ShiftMode);
    programModel_->rowsChanged(row, kStatementRows - 1);
    refreshG1();
}

void TForm1::UndoClick()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();  // a text being typed is a change of its own, undone first
    QUndoStack* undo = programModel_->undoStack();
    if (!undo->canUndo())
        return;
    undo->undo();
    Grid1->setCurrentCell(programModel_->lastRestoredRow(), std::max(Grid1->currentIndex().column(), 1));
}

void TForm1::RedoClick()
{
    if (refusedWhileRunning())
        return;
    Grid1->commitEditing();
    QUndoStack* undo = programModel_->undoStack();
    if (!undo->canRedo())
        return;
    undo->redo();
    Grid1->setCurrentCell(programModel_->lastRestoredRow(), std::max(Grid1->currentIndex().column(), 1));
}

bool TForm1::refusedWhileRunning()
{
    if (!sim_->Running())
        return false;
    noteRunLock();
    return true;
}

void TForm1::noteRunLock()
{
    runLockNoted_ = true;
    statusBar()->showMessage(QStringLiteral("Программа выполняется: правка недоступна, остановить — Esc"));
}

void TForm1::showRowStatus()
{
    if (runLockNoted_ && sim_->Running())
        return;  // the note stays while the run goes on
    runLockNoted_ = false;
    const QModelIndex at = Grid1->currentIndex();
    const QString error = at.isValid() ? programModel_->index(at.row(), 1).data(Qt::ToolTipRole).toString() : QString();
    if (error.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(
            QStringLiteral("Строка %1: %2").arg(QString::fromStdString(RowAddressText(at.row())), error));
}

void TForm1::N5Click() { close(); }

// ---- the host --------------------------------------------------------------------

void TForm1::reportError(uint8_t code)
{
    // The student sees where the error was found before the window blocks,
    // also in a fast run, whose drawing is unlocked for the while.
    const bool locked = !updatesEnabled();
    if (locked)
        setUpdatesEnabled(true);
    ShowState();
    positionGridOnIp();
    repaint();
    // Esc or closing the window ends a run too: a run that reads an empty
    // FIFO over and over would otherwise show its error again at once.
    if (!errW_->ShowError(code))
        stopRun();
    if (locked && sim_->Running())
        setUpdatesEnabled(false);
}

void TForm1::beep() { QApplication::beep(); }

void TForm1::stackChanged()
{
    if (stack_)
        stack_->StackChanged();
}

void TForm1::dataRamChanged()
{
    if (showZU_)
        showZU_->DataRamChanged();
}

void TForm1::displayRamChanged()
{
    if (form3_)
        form3_->Refresh();
}

void TForm1::fillDialogListEnabled(bool enabled, int uses)
{
    if (form4_)
        form4_->SetListEnabled(enabled, uses);
}

bool TForm1::processEvents()
{
    // A run looks at pending events every few milliseconds rather than at
    // every step: Esc and the matrix still answer at once, and the steps in
    // between run at the core's speed. A single step always looks.
    if (sim_->Running()) {
        constexpr unsigned kStepsPerClockLook = 256;
        constexpr qint64 kEventIntervalMs = 8;
        if (++stepsSinceClock_ < kStepsPerClockLook)
            return false;
        stepsSinceClock_ = 0;
        if (eventClock_.isValid() && eventClock_.elapsed() < kEventIntervalMs)
            return false;
    }
    eventClock_.start();
    QCoreApplication::processEvents();
    return true;
}

// ---- events ----------------------------------------------------------------------

namespace {
// Whether a window other than `except` that stays on top of the others (the
// fill dialog, the views) is shown.
bool stayOnTopWindowShown(const QWidget* except)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [except](const QWidget* w) {
        return w != except && w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint);
    });
}

// A modal window (an error window, a message box) opened while a window that
// stays on top is up joins it on top and takes the focus: under it, it would
// block the whole application unseen.
void bringModalToFront(QWidget* w)
{
    if (QWindow* handle = w->windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint,
                        (w->windowFlags() & Qt::WindowStaysOnTopHint) || stayOnTopWindowShown(w));
    QTimer::singleShot(0, w, [w] {
        if (w->isVisible()) {
            w->raise();
            w->activateWindow();
        }
    });
}
}  // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        // the show event comes before the window is mapped: the flag is in time
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow() && w->windowModality() != Qt::NonModal)
            bringModalToFront(w);
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // the window previews every key: Esc stops a run
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == this)
            stopRun();
    }
    if (watched == IndicatorPanel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // the viewer for the character under the mouse (the right button steps)
        const QPoint at = DGrid->mapFrom(IndicatorPanel, static_cast<QMouseEvent*>(event)->position().toPoint());
        const std::optional<uint8_t> code = SegmentCode(DGrid->characterAt(at).toStdString());
        semi_->Draw(code.value_or(kCatchAllCode));
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        rightPressStepped_ = false;
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && w->property("ravxSteps").toBool()) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const Qt::MouseButton button = me->button();
            if (button == Qt::RightButton) {
                if (event->type() == QEvent::MouseButtonPress || !rightPressStepped_) {
                    rightPressStepped_ = true;
                    BitBtn1Click();
                }
                return true;
            }
            // The left button on the panels works the input matrix; the
            // program grid and the matrix itself keep their own clicks. Taken
            // here, the press does not reach the panel under a label again.
            if (button == Qt::LeftButton && w != Grid1->viewport() && w != MGrid) {
                toggleMatrixCell();
                return w != G1->viewport() && event->type() == QEvent::MouseButtonPress;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (firstShow_) {
        firstShow_ = false;
        QTimer::singleShot(0, this, &TForm1::FormShow);
    }
}

void TForm1::FormShow()
{
    // The entry test comes first: whoever fails it may not work.
    const EntryTestResult test = RunEntryTest(this, store(), QCoreApplication::applicationFilePath(), random_);
    if (!test.MayWork()) {
        close();
        return;
    }
    // The working place is set up before anything else: the settings dialog
    // can only be left with "Ввод" this first time.
    options_->Run(false);
    ShowState();
    QMessageBox::information(this, windowTitle(),
                             QStringLiteral("Номер порта ввода/вывода для работы: ") +
                                 QString::fromStdString(hex2(sim_->ravx.PortBase).str()) + QStringLiteral("(Hex)"));
    if (!startFile_.isEmpty())
        openGivenFile(std::exchange(startFile_, QString()));
}

void TForm1::closeEvent(QCloseEvent* e)
{
    if (sim_->Running()) {
        // the run loop is below us on the stack: stop it first, close after
        stopRun();
        e->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!keepOrSaveChanges()) {
        e->ignore();  // "Отмена": everything stays as it was
        return;
    }
    QMainWindow::closeEvent(e);
}

void TForm1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    if (!strip_ || !centralWidget())
        return;
    // the panels stay along the bottom edge; the program grid takes the rest
    const int h = centralWidget()->height();
    strip_->move(0, h - kStripHeight);
    Grid1->setGeometry(0, 0, kClientWidth, h - kStripHeight - 1);
}

}  // namespace ravx
