// The main window's runs: the automatic run at the chosen pace, the fast
// run, the run to the cursor, and the step back through the history.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include "controller/MOZU.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Stack_m.h"
#include "mainwindow/Unit1.h"

namespace ravx {
namespace {
int screenRefreshHz(const QWidget* w)
{
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(screen->refreshRate() + 0.5) : 60;
}
}  // namespace

void TForm1::buildPaceMenu(QMenu* run)
{
    run->addSeparator();
    QMenu* pace = run->addMenu(QStringLiteral("Скорость"));
    // faster and slower from the keyboard, also while a run goes on
    QAction* faster = pace->addAction(QStringLiteral("Быстрее"));
    faster->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* slower = pace->addAction(QStringLiteral("Медленнее"));
    slower->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    for (QAction* a : {faster, slower})
        a->setShortcutContext(Qt::WindowShortcut);
    pace->addSeparator();
    auto* group = new QActionGroup(this);
    for (int p : kRunPaces) {
        QAction* a = pace->addAction(QString::fromStdString(RunPaceCaption(p)));
        a->setCheckable(true);
        a->setData(p);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, p] { SetRunPace(p); });
        paceActions_.push_back(a);
    }
    auto move = [this](int by) {
        const auto at = std::find(kRunPaces.begin(), kRunPaces.end(), runPace_);
        const auto index = static_cast<int>(at - kRunPaces.begin()) + by;
        if (at != kRunPaces.end() && index >= 0 && index < static_cast<int>(kRunPaces.size()))
            SetRunPace(kRunPaces[static_cast<std::size_t>(index)]);
    };
    connect(faster, &QAction::triggered, this, [move] { move(+1); });
    connect(slower, &QAction::triggered, this, [move] { move(-1); });
    SetRunPace(runPace_);
}

void TForm1::SetRunPace(int stepsPerSecond)
{
    runPace_ = stepsPerSecond;
    for (QAction* a : paceActions_)
        a->setChecked(a->data().toInt() == stepsPerSecond);
}

void TForm1::N29Click() { runAutomatic(false); }
void TForm1::N48Click() { runAutomatic(true); }

void TForm1::RunToCursorClick()
{
    Grid1->commitEditing();
    const int row = Grid1->currentRow();
    if (row >= 0 && row < kStatementRows)
        runAutomatic(false, row);
}

void TForm1::stopRun()
{
    sim_->StopRun();
    if (waitLoop_)
        waitLoop_->quit();
}

bool TForm1::waitUntil(const QElapsedTimer& clock, int64_t dueMs)
{
    const qint64 left = dueMs - clock.elapsed();
    if (left <= 0 || !sim_->Running())
        return false;
    QEventLoop wait;
    waitLoop_ = &wait;
    QTimer::singleShot(static_cast<int>(left), &wait, &QEventLoop::quit);
    wait.exec();  // Esc, reset and closing quit it early
    waitLoop_ = nullptr;
    return true;
}

void TForm1::runAutomatic(bool fast, int targetRow)
{
    if (sim_->Running())
        return;  // one run at a time
    // the run uses what was typed; until it ends the rows take no edit
    Grid1->commitEditing();
    const auto runEnd = qScopeGuard([this] {
        if (runLockNoted_)
            showRowStatus();  // no longer why an edit did nothing
    });
    eventClock_.start();
    stepsSinceClock_ = 0;
    stepsShown_ = 0;
    if (fast) {
        FastLabel->show();
        FastLabel->raise();
        FastLabel->repaint();
        setUpdatesEnabled(false);
        sim_->Run(UINT64_MAX, nullptr, {}, targetRow);
        setUpdatesEnabled(true);
        FastLabel->hide();
        afterStep();
        update();
        return;
    }
    const RunSchedule schedule(runPace_, screenRefreshHz(this));
    QElapsedTimer clock;
    clock.start();
    uint64_t n = 0;
    qint64 shownAt = 0;
    // the run stops after this step: no wait for a step that will not come
    auto ends = [this, targetRow] {
        const MachineState& m = sim_->m;
        return !sim_->Running() || m.ErrorCode != 0 || sim_->program.BreakpointAt(m.IP) ||
               (targetRow >= 0 && m.IP == targetRow);
    };
    sim_->Run(
        UINT64_MAX, nullptr,
        [&] {
            ++n;
            if (schedule.Pace() == 0) {
                // as fast as it goes: the latest state at the screen's rate
                if (clock.elapsed() - shownAt < schedule.FrameMs())
                    return false;
                afterStep();
                QCoreApplication::processEvents();
                shownAt = clock.elapsed();
                return true;
            }
            bool events = false;
            if (schedule.ShowAfter(n)) {
                afterStep();
                // painted now, even when the next step is already due
                QCoreApplication::processEvents();
                events = true;
                if (schedule.EachStepShown())
                    ++stepsShown_;
            }
            if (!ends())
                events |= waitUntil(clock, schedule.DueMs(n + 1));
            return events;
        },
        targetRow);
    afterStep();
}

void TForm1::StepBackClick()
{
    if (sim_->Running())
        return;
    Grid1->commitEditing();
    if (sim_->StepBack())
        showWholeState();
}

void TForm1::showWholeState()
{
    ShowState();
    positionGridOnIp();
    refreshG1();
    stack_->StackChanged();
    showZU_->DataRamChanged();
    form3_->Refresh();
}

}  // namespace ravx
