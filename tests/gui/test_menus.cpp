// The main window's menu items that open the other windows: help at its two
// contexts, the about box, the tasks window with the port in use, the test
// results, the fill dialog and its hidden "Скрыть", the display RAM view.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "controller/MOZU.h"
#include "controller/ZGfill.h"
#include "machine/Unit2.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"
#include "training/About.h"
#include "training/HelpWindow.h"
#include "training/Result.h"
#include "training/Unit7.h"
#include "mainwindow/SettingsForm.h"
#include "tests/tasks/Listing.h"
#include <QPushButton>
#include <QSpinBox>
#include <QComboBox>

using namespace ravx;
using namespace ravx::guitest;

class MenusTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;
    std::unique_ptr<TForm1> form;

    // Triggers a menu item whose window is modal and returns that window's
    // title, closing it with `close`.
    QString modalTitle(const char* item, const std::function<void(QWidget*)>& close)
    {
        QString title;
        onNextModal([&](QWidget* w) {
            title = w->windowTitle();
            close(w);
        });
        form->actionNamed(QString::fromUtf8(item))->trigger();
        return title;
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

    void helpOpensAtItsTwoContexts()
    {
        QCOMPARE(form->actionNamed(QStringLiteral("Помощь"))->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(form->actionNamed(QStringLiteral("Задание"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F1));
        form->actionNamed(QStringLiteral("Помощь"))->trigger();
        auto* help = form->findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->CurrentContext(), 1);
        form->actionNamed(QStringLiteral("Задание"))->trigger();
        QCOMPARE(form->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(help->CurrentContext(), 7);
        help->close();
    }

    void aboutBoxAndTestResults()
    {
        QCOMPARE(modalTitle("О программе", [](QWidget* w) { w->close(); }), QStringLiteral("О программе"));
        QCOMPARE(form->actionNamed(QStringLiteral("Результаты теста"))->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(modalTitle("Результаты теста",
                            [](QWidget* w) {
                                if (auto* r = qobject_cast<TForm6*>(w))
                                    r->Button1->click();
                                else
                                    w->close();
                            }),
                 QStringLiteral("Результаты теста"));
    }

    void tasksWindowShowsThePortInUse()
    {
        form->sim().ravx.PortBase = 0x90;
        form->actionNamed(QStringLiteral("Просмотр заданий"))->trigger();
        TForm7* tasks = form->tasksWindow();
        QVERIFY(tasks->isVisible());
        QTRY_COMPARE(tasks->IO->text(), QStringLiteral("90"));
        tasks->close();
        form->sim().ravx.PortBase = 0x2A;
    }

    // "Проверить" runs the program in the grid on a copy: the student's
    // machine, panels and program stay as they were.
    void checkButtonAnswersAndLeavesTheMachineAlone()
    {
        Simulator& sim = form->sim();
        tasks::LoadListing(RAVX_SOLUTIONS "/07-game.lst", sim);
        SettingsForm settings = ShowSettings(sim);
        settings.Generator = 1;
        QCOMPARE(ApplySettings(sim, settings), SettingsResult::Applied);
        sim.ResetKey();
        for (int i = 0; i < 40; ++i)
            sim.Step();
        auto state = [&sim] {
            QStringList s;
            s << QString::number(sim.m.IP) << QString::number(sim.m.AX) << QString::number(sim.m.BX)
              << QString::number(sim.m.SP) << QString::number(sim.m.Ram[100]);
            for (uint8_t b : sim.ravx.DisplayRam)
                s << QString::number(b);
            s << QString::number(sim.ravx.ScanCounter) << QString::number(sim.ravx.Prescaler);
            for (int c = 0; c < sim.panel.DGridCols; ++c)
                s << QString::fromUtf8(sim.panel.Indicator[0][c].view().data());
            s << QString::fromStdString(sim.program.rows[1].statement) << QString::fromStdString(sim.panel.CS.str());
            return s.join(QLatin1Char(' '));
        };

        form->actionNamed(QStringLiteral("Просмотр заданий"))->trigger();
        TForm7* tasks = form->tasksWindow();
        QVERIFY(tasks->CheckB->isVisible());
        tasks->ED->setValue(7);
        tasks->ComboBox1->setCurrentIndex(1);
        emit tasks->ComboBox1->activated(1);
        QVERIFY(tasks->KindL->text().contains(QStringLiteral("без прерываний")));
        // and what its check types, in which orders, within which budget
        QVERIFY(tasks->KindL->text().contains(QStringLiteral("клавиши в другом порядке")));
        QVERIFY(tasks->KindL->text().contains(QStringLiteral("до 200 000 шагов")));
        auto answer = [&] {
            QString text;
            onNextModal([&](QWidget* w) {
                text = qobject_cast<QMessageBox*>(w) ? qobject_cast<QMessageBox*>(w)->text() : w->windowTitle();
                w->close();
            });
            tasks->CheckB->click();
            return text;
        };
        const QString before = state();
        QCOMPARE(answer(), QStringLiteral("Задание 7, «Игровая»: решено (ЗГ1)."));
        QCOMPARE(state(), before);

        sim.program.rows[1].statement = "mov al,00h";  // left entry where the task asks right
        const QString edited = state();
        const QString text = answer();
        QVERIFY2(text.startsWith(QStringLiteral("Задание 7, «Игровая»: не решено.\n\nпосле 1-го символа («b») "
                                                 "верхняя линейка: нужно «·······b», показано «b·······»")),
                 qPrintable(text));
        QCOMPARE(state(), edited);
        tasks->close();
        sim.program.Clear();
    }

    void fillDialogAndItsHiddenSwitch()
    {
        const QString title = modalTitle("Знакогенератор 1", [](QWidget* w) {
            if (auto* fill = qobject_cast<TForm4*>(w))
                fill->BitBtn2->click();
            else
                w->close();
        });
        QVERIFY2(title.startsWith(QStringLiteral("Заполнение ")), qPrintable(title));
        const bool before = form->fillDialog()->ListEnabled();
        QAction* hide = form->actionNamed(QStringLiteral("Скрыть"));
        QVERIFY(!hide->isVisible());
        hide->trigger();
        QCOMPARE(form->fillDialog()->ListEnabled(), !before);
        hide->trigger();
        QCOMPARE(form->fillDialog()->ListEnabled(), before);
    }

    // A stay-on-top fill dialog must not hide the error window it causes:
    // the error window comes on top of it and takes the focus.
    void errorWindowComesInFrontOfTheFillDialog()
    {
        QString errorText;
        bool onTop = false;
        bool active = false;
        bool fillSeen = false;
        onNextModal([&](QWidget* w) {
            auto* fill = qobject_cast<TForm4*>(w);
            if (!fill) {
                w->close();
                return;
            }
            fillSeen = true;
            QAbstractItemModel* m = fill->ZGGrid->model();
            m->setData(m->index(0, FillModel::kValue), QStringLiteral("400"));
            onNextModal([&](QWidget* e) {
                if (e == form->errorWindow()) {
                    errorText = form->errorWindow()->Label1->text();
                    onTop = e->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
                    active = QTest::qWaitFor([e] { return QApplication::activeWindow() == e; }, 3000);
                }
                QTest::keyClick(e, Qt::Key_Space);
            });
            fill->BitBtn1->click();
            fill->BitBtn2->click();
        });
        form->actionNamed(QStringLiteral("Знакогенератор 1"))->trigger();
        QVERIFY(fillSeen);
        QCOMPARE(errorText, QStringLiteral("Слишком большое число"));
        QVERIFY(onTop);
        QVERIFY(active);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(!form->fillDialog()->isVisible());
    }

    // A message box opened while a view that stays on top is up joins it on top.
    void messageBoxComesInFrontOfAView()
    {
        form->actionNamed(QStringLiteral("Просмотр ОЗУ индикации"))->trigger();
        QVERIFY(form->displayRamView()->isVisible());
        bool onTop = false;
        onNextModal([&](QWidget* w) {
            onTop = w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
            w->close();
        });
        QMessageBox::information(form.get(), QStringLiteral("ПККИ RAVX"), QStringLiteral("Проверка"));
        QVERIFY(onTop);
        form->displayRamView()->close();
        // with no such window up, a message box is an ordinary window again
        onNextModal([&](QWidget* w) {
            onTop = w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
            w->close();
        });
        QMessageBox::information(form.get(), QStringLiteral("ПККИ RAVX"), QStringLiteral("Проверка"));
        QVERIFY(!onTop);
    }

    void displayRamViewFollowsADataWrite()
    {
        form->actionNamed(QStringLiteral("Просмотр ОЗУ индикации"))->trigger();
        TForm3* view = form->displayRamView();
        QVERIFY(view->isVisible());
        form->sim().program.Clear();
        form->sim().program.rows[0].statement = "mov al,5ah";
        form->sim().program.rows[1].statement = "out 2ah,al";
        form->ProgramChanged();
        form->ResetKey();
        form->BitBtn1Click();
        form->BitBtn1Click();
        QCOMPARE(form->sim().ravx.DisplayRam[0], uint8_t{0x5A});
        QCOMPARE(view->MOZU->model()->index(1, 3).data().toString(), QStringLiteral("132"));  // octal at start
        view->close();
    }

    void cleanupTestCase()
    {
        form.reset();
        QFile::remove(HelpFilePath());
        QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/ravx.zad"));
    }
};

QTEST_MAIN(MenusTest)
#include "test_menus.moc"
