// Steps per second of the application's runs on a long loop program: the
// automatic run (every panel refreshed after every step, painted at the
// screen's pace) and the fast run (drawing locked, one refresh at the end).
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "mainwindow/options.h"
#include "training/Quest.h"

using namespace ravx;

namespace {

// The display loop (add, out to the data port, loop) `turns` times in an
// inner loop, repeated `passes` times; returns the number of steps it takes.
double loadLoop(TForm1& form, int turns, int passes)
{
    const std::string rows[] = {"mov al,90h", "out 2bh,al", "mov dx," + std::to_string(passes),
                                "mov cx," + std::to_string(turns), "add ax,1", "out 2ah,al", "loop 4", "dec dx",
                                "jnz 3", "nop"};
    form.sim().program.Clear();
    for (int a = 0; a < 10; ++a)
        form.sim().program.rows[a].statement = rows[a];
    form.sim().program.rows[9].breakpoint = true;
    form.ProgramChanged();
    form.ResetKey();
    return 3.0 + passes * (1.0 + 3.0 * turns + 2.0);
}

double measure(TForm1& form, int turns, int passes, const std::function<void()>& run)
{
    const double steps = loadLoop(form, turns, passes);
    QElapsedTimer t;
    t.start();
    run();
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    if (form.sim().m.IP != 9)
        std::fprintf(stderr, "the run did not reach its end (IP %u)\n", unsigned{form.sim().m.IP});
    return steps / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallFontFallbacks();
    QTemporaryDir storeDir;
    TForm1 form(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
    // the start-up windows are answered at once: the entry test with a name
    // and a group (a missing bank's message closed), the settings as they
    // are, the port message
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* test = qobject_cast<TForm5*>(w)) {
            test->NameE->setText(QStringLiteral("Студент"));
            test->GrE->setText(QStringLiteral("101"));
            test->OkB->click();
        } else if (auto* options = qobject_cast<Toption*>(w)) {
            options->Button2->click();
        } else if (w) {
            w->close();
        }
    });
    closer.start(5);
    form.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();

    form.SetRunPace(0);  // the automatic run at its fastest pace
    const double automatic = measure(form, 60000, 20, [&] { form.N29Click(); });
    const double fast = measure(form, 60000, 100, [&] { form.N48Click(); });
    form.sim().SetHistoryEnabled(false);  // what recording the history for "Шаг назад" costs
    const double fastNoHistory = measure(form, 60000, 100, [&] { form.N48Click(); });
    form.sim().SetDecodedExecution(false);  // the rows read from their text at every step, as before
    const double fastFromText = measure(form, 60000, 100, [&] { form.N48Click(); });
    form.sim().SetDecodedExecution(true);
    std::printf("automatic run, fastest pace:  %10.0f steps/s\n", automatic);
    std::printf("fast run, with history:       %10.0f steps/s\n", fast);
    std::printf("fast run, without history:    %10.0f steps/s\n", fastNoHistory);
    std::printf("  the same from the rows' text: %10.0f steps/s\n", fastFromText);
    return 0;
}
