// Every window opens inside the screen's available area on a desktop with a
// window manager, whatever the screen and the scale factor the test runs
// with (ctest runs it on several): the main window, the views, the tasks and
// help windows and every dialog. A window larger than the area keeps its top
// left corner in it; the main window may have its caption above the top
// edge, never its menu bar. With RAVX_SCREENSHOT_DIR set, the screen with the
// tool windows open is saved there.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include "controller/MOZU.h"
#include "controller/semi_.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Stack_m.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"
#include "training/HelpWindow.h"
#include "training/Unit7.h"

using namespace ravx;
using namespace ravx::guitest;

namespace {

QRect area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QString describe(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Empty when the window's frame is placed as it must be, else what is wrong.
QString misplaced(const QWidget* w, int hideableTop = 0)
{
    const QRect a = area();
    const QRect f = w->frameGeometry();
    const bool wide = f.width() > a.width();
    const bool high = f.height() > a.height();
    const bool across = wide ? f.left() == a.left() : f.left() >= a.left() && f.right() <= a.right();
    const bool down =
        high ? f.top() <= a.top() && f.top() >= a.top() - hideableTop : f.top() >= a.top() && f.bottom() <= a.bottom();
    if (across && down)
        return {};
    return QStringLiteral("%1: frame %2 in %3").arg(w->windowTitle(), describe(f), describe(a));
}

// Waits for the window manager to frame the window and for the window to
// be placed inside, then tells what is wrong, if anything.
QString placedWhenFramed(const QWidget* w, int hideableTop = 0)
{
    const bool framed =
        (w->windowFlags() & Qt::FramelessWindowHint) ||
        QTest::qWaitFor([w] { return w->windowHandle() && !w->windowHandle()->frameMargins().isNull(); }, 3000);
    if (!framed)
        return w->windowTitle() + QStringLiteral(": never framed");
    // placed again once framed: a moment for that
    if (QTest::qWaitFor([&] { return misplaced(w, hideableTop).isEmpty(); }, 2000))
        return {};
    return misplaced(w, hideableTop);
}

}  // namespace

class PlacementTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;
    std::unique_ptr<TForm1> form;

    // The screen into RAVX_SCREENSHOT_DIR, when set, named by what it shows,
    // the screen's size and the scale factor.
    void screenshot(const QString& what)
    {
        const QString dir = qEnvironmentVariable("RAVX_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        QTest::qWait(300);
        QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen->geometry().size() * screen->devicePixelRatio();
        screen->grabWindow(0).save(QStringLiteral("%1/placement-%2-%3x%4-%5.png")
                                       .arg(dir, what)
                                       .arg(size.width())
                                       .arg(size.height())
                                       .arg(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"))));
    }

    // Opens a modal window and returns what is wrong with its place.
    QString modalPlace(const std::function<void()>& open)
    {
        QString wrong = QStringLiteral("no window");
        onNextModal([&](QWidget* w) {
            wrong = QTest::qWaitForWindowExposed(w) ? placedWhenFramed(w) : QStringLiteral("not shown");
            w->close();
        });
        open();
        return wrong;
    }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        // the help and task files stand beside the executable, as installed
        QFile::remove(HelpFilePath());
        QVERIFY(QFile::copy(QStringLiteral(RAVX_HELP_FILE), HelpFilePath()));
        const QString zad = QCoreApplication::applicationDirPath() + QStringLiteral("/ravx.zad");
        QFile::remove(zad);
        QVERIFY(QFile::copy(QStringLiteral(RAVX_TASK_FILE), zad));
        answerStartUp(nullptr, nullptr);
        form = std::make_unique<TForm1>(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void mainWindowKeepsItsMenuBarOnTheScreen()
    {
        const QString wrong = placedWhenFramed(form.get(), form->windowHandle()->frameMargins().top());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        const QRect menu(form->menuBar()->mapToGlobal(QPoint(0, 0)), form->menuBar()->size());
        QVERIFY2(area().contains(menu) || (menu.width() > area().width() && menu.top() >= area().top()),
                 qPrintable(describe(menu)));
        if (form->frameGeometry().height() <= area().height()) {  // then the caption is on the screen too
            QVERIFY(area().contains(form->frameGeometry()));
        }
        screenshot(QStringLiteral("main"));
    }

    void toolWindowsOpenInside_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("which");
        QTest::newRow("stack") << QStringLiteral("Просмотр стека") << 0;
        QTest::newRow("data RAM") << QStringLiteral("Просмотр ОЗУ данных") << 1;
        QTest::newRow("display RAM") << QStringLiteral("Просмотр ОЗУ индикации") << 2;
        QTest::newRow("tasks") << QStringLiteral("Просмотр заданий") << 3;
        QTest::newRow("help") << QStringLiteral("Помощь") << 4;
    }
    void toolWindowsOpenInside()
    {
        QFETCH(QString, item);
        QFETCH(int, which);
        form->actionNamed(item)->trigger();
        QWidget* const windows[] = {form->stackView(), form->dataRamView(), form->displayRamView(), form->tasksWindow(),
                                    form->findChild<HelpWindow*>()};
        QWidget* w = windows[which];
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QString wrong = placedWhenFramed(w);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void toolWindowsTogether()
    {
        // all of them open at once, as a student keeps them: still inside
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w == form.get())
                continue;
            const QString wrong = misplaced(w);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
        screenshot(QStringLiteral("windows"));
    }

    void dialogsOpenInside_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("settings") << 0;
        QTest::newRow("fill") << 1;
        QTest::newRow("viewer") << 2;
        QTest::newRow("error") << 3;
        QTest::newRow("about") << 4;
        QTest::newRow("results") << 5;
    }
    void dialogsOpenInside()
    {
        QFETCH(int, which);
        const std::function<void()> open[] = {
            [&] { form->N14Click(); },
            [&] { form->actionNamed(QStringLiteral("Знакогенератор 1"))->trigger(); },
            [&] { form->viewer()->Draw(0x3F); },
            [&] {
                form->sim().program.Clear();
                form->ProgramChanged();
                form->ResetKey();
                form->BitBtn1Click();  // no statement: the error window
            },
            [&] { form->AboutClick(); },
            [&] { form->N15Click(); },
        };
        const QString wrong = modalPlace(open[which]);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void cleanupTestCase()
    {
        form.reset();
        QFile::remove(HelpFilePath());
        QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/ravx.zad"));
    }
};

QTEST_MAIN(PlacementTest)
#include "test_placement.moc"
