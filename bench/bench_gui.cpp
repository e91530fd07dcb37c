// Steps per second of the application's runs on a long loop program: the
// automatic run (every panel refreshed after every step) and the fast run
// (drawing locked, one refresh at the end).
#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"

using namespace ravx;

namespace {

void loadLoop(TForm1& form, int turns)
{
    // a keyboard-and-display loop: each turn writes the display RAM
    const char* rows[] = {"mov al,90h", "out 2bh,al", "mov cx,0", "add ax,1", "out 2ah,al", "loop 3", "nop"};
    for (int a = 0; a < 7; ++a)
        form.Grid1->item(a, 1)->setText(QString::fromUtf8(rows[a]));
    form.Grid1->item(2, 1)->setText(QStringLiteral("mov cx,%1").arg(turns));
    form.sim().program.ClearBreakpoints();
    form.sim().program.rows[6].breakpoint = true;
    form.ResetKey();
}

double measure(TForm1& form, int turns, const std::function<void()>& run)
{
    loadLoop(form, turns);
    QElapsedTimer t;
    t.start();
    run();
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    const double steps = 3.0 + 3.0 * turns;
    return steps / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallFontFallbacks();
    TForm1 form;
    // the port message of the first showing is answered at once
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            w->close();
        }
    });
    closer.start(5);
    form.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();

    const double automatic = measure(form, 5000, [&] { form.N29Click(); });
    const double fast = measure(form, 65000, [&] { form.N48Click(); });
    std::printf("automatic run: %10.0f steps/s\n", automatic);
    std::printf("fast run:      %10.0f steps/s\n", fast);
    return 0;
}
