// The real main window under the offscreen platform: typing a program,
// stepping, running to a breakpoint, Esc, the matrix during a run, the error
// window and reset.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QtTest>
#include <functional>

#include "controller/MOZU.h"
#include "controller/semi_.h"
#include "machine/TitleWidth.h"
#include "machine/Unit2.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Splash.h"
#include "mainwindow/Stack_m.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;


class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;  // the results store of these tests
    std::unique_ptr<TForm1> form;
    QString portMessage;

    void type(const QString& text)
    {
        for (QChar ch : text) {
            QWidget* target = QApplication::focusWidget();  // the first key opens the cell editor
            QVERIFY(target);
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, ch, Qt::NoModifier);
        }
    }
    // Types a statement into the grid cell of a row, as a student does.
    void typeStatement(int row, const QString& text)
    {
        form->Grid1->setFocus();
        form->Grid1->setCurrentCell(row, 1);
        type(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    void clearProgram()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->sim().program.Clear();
        form->ProgramChanged();
        form->N33Click();
        form->ResetKey();
    }
    void setProgram(int first, const QStringList& rows)
    {
        for (int i = 0; i < rows.size(); ++i)
            form->sim().program.rows[first + i].statement = rows[i].toStdString();
        form->ProgramChanged();
    }
    // The text a grid cell shows.
    QString cell(int row, int column) const
    {
        return form->Grid1->model()->index(row, column).data().toString();
    }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        answerStartUp(nullptr, &portMessage);
        form = std::make_unique<TForm1>(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
        form->sim().ravx.Seed(1);  // display RAM contents repeat from run to run
        form->SetRunPace(0);  // runs here go as fast as they can
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!portMessage.isEmpty());
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    void splashWindow()
    {
        TSplash splash;
        QCOMPARE(splash.size(), QSize(200, 200));
        QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.status(), QStringLiteral("Инициализация приложения"));
        QCOMPARE(splash.progress(), 0);
        splash.stepProgress();
        splash.setStatus(QStringLiteral("Создание форм"));
        QCOMPARE(splash.progress(), 1);
        QCOMPARE(splash.status(), QStringLiteral("Создание форм"));
        QVERIFY(!SplashPicture().isNull());
    }

    void firstShowReportsThePort()
    {
        QCOMPARE(portMessage, QStringLiteral("Номер порта ввода/вывода для работы: 2A(Hex)"));
        QCOMPARE(form->sim().ravx.PortBase, uint16_t{0x2A});
        QCOMPARE(form->windowTitle(), QStringLiteral("ПККИ RAVX"));
    }

    void menuHasEveryCommandWithItsKey()
    {
        struct Item {
            const char* caption;
            QKeySequence key;
        };
        const Item items[] = {{"Один шаг", QKeySequence(Qt::Key_F8)},
                              {"Автоматически", QKeySequence(Qt::CTRL | Qt::Key_F9)},
                              {"Быстро", QKeySequence(Qt::CTRL | Qt::Key_F10)},
                              {"Точка останова", QKeySequence(Qt::CTRL | Qt::Key_F8)},
                              {"Сброс", QKeySequence(Qt::Key_F9)},
                              {"Открыть программу", QKeySequence(Qt::Key_F3)},
                              {"Знакогенерaтор 3", QKeySequence(Qt::SHIFT | Qt::Key_F3)},  // Latin a
                              {"Знакогенерaтор 4", QKeySequence(Qt::SHIFT | Qt::Key_F4)},
                              {"Результаты теста", QKeySequence(Qt::Key_F5)},
                              {"Вставить строку", QKeySequence(Qt::CTRL | Qt::Key_N)}};
        for (const Item& it : items) {
            QAction* a = form->actionNamed(QString::fromUtf8(it.caption));
            QVERIFY2(a, it.caption);
            QCOMPARE(a->shortcut(), it.key);
            QVERIFY(a->isVisible());
        }
        QAction* hide = form->actionNamed(QStringLiteral("Скрыть"));
        QVERIFY(hide && !hide->isVisible());
        QVERIFY(!form->actionNamed(QStringLiteral("Знакогенератор 3")));  // not the Cyrillic spelling
    }

    void typeAProgramAndStepIt()
    {
        clearProgram();
        typeStatement(0, QStringLiteral("mov ax,1234h"));
        typeStatement(1, QStringLiteral("add al,1"));
        QCOMPARE(form->sim().program.rows[0].statement, std::string("mov ax,1234h"));
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(form->sim().m.AX, uint16_t{0x1234});
        QCOMPARE(form->labelNamed(QStringLiteral("Reg0"))->text(), QStringLiteral("1234 064 AL"));
        QCOMPARE(form->Grid1->currentRow(), 1);
        QCOMPARE(form->G1->item(1, 0)->text(), QStringLiteral("01"));
        QCOMPARE(form->G1->item(1, 1)->text(), QStringLiteral("      add al,1"));  // centred in 21
        // the right mouse button on a panel steps too
        QTest::mouseClick(form->IndicatorPanel, Qt::RightButton);
        QCOMPARE(form->sim().m.AX, uint16_t{0x1235});
        QCOMPARE(form->sim().m.IP, uint16_t{2});
        QCOMPARE(form->labelNamed(QStringLiteral("S30C"))->text(), QStringLiteral("0001"));
    }

    // A row whose text already decides an error is marked as soon as it is
    // typed (underlined, with the error in its tooltip); the mark goes with
    // the correction; a marked row still runs into the error window.
    void aRowWhoseTextDecidesAnErrorIsMarked()
    {
        clearProgram();
        QAbstractItemModel* model = form->Grid1->model();
        auto marked = [model](int row) {
            return model->index(row, 0).data(Qt::FontRole).value<QFont>().underline() &&
                   model->index(row, 1).data(Qt::FontRole).value<QFont>().underline();
        };
        typeStatement(0, QStringLiteral("mvo ax,1"));
        typeStatement(1, QStringLiteral("pop ax"));  // fails only by the state
        QVERIFY(marked(0));
        QCOMPARE(model->index(0, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("Ошибка 10: Неизвестная команда"));
        // the status line says it for the row under the cursor
        form->Grid1->setCurrentIndex(model->index(0, 1));
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Строка 000: Ошибка 10: Неизвестная команда"));
        form->Grid1->setCurrentIndex(model->index(1, 1));
        QVERIFY(form->statusBar()->currentMessage().isEmpty());
        form->Grid1->setCurrentIndex(model->index(0, 1));
        QVERIFY(!marked(1));
        QVERIFY(!marked(2));  // an empty row is not marked
        QVERIFY(model->index(1, 1).data(Qt::ToolTipRole).isNull());

        // corrected, as the cell editor commits it
        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("mov ax,1")));
        QVERIFY(!marked(0));
        QVERIFY(model->index(0, 0).data(Qt::ToolTipRole).isNull());
        QVERIFY(form->statusBar()->currentMessage().isEmpty());

        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("mvo ax,1")));
        QVERIFY(marked(0));
        int shown = 0;
        onNextModal([&shown](QWidget* w) {
            if (auto* errw = qobject_cast<TErrW*>(w))
                shown = errw->Label1->text() == QStringLiteral("Неизвестная команда") ? 10 : -1;
            w->close();
        });
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(shown, 10);
        QCOMPARE(form->sim().m.ErrorCode, uint8_t{10});
    }

    void runStopsAtABreakpoint()
    {
        clearProgram();
        setProgram(0, {"mov cx,5", "inc ax", "loop 1", "nop", "nop", "nop"});
        form->Grid1->setCurrentCell(4, 1);
        QTest::keyClick(form.get(), Qt::Key_F8, Qt::ControlModifier);  // breakpoint on the cursor row
        QVERIFY(form->sim().program.rows[4].breakpoint);
        QCOMPARE(form->Grid1->model()->index(4, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::red));
        form->N29Click();
        QCOMPARE(form->sim().m.IP, uint16_t{4});
        QCOMPARE(form->sim().m.AX, uint16_t{5});
        QVERIFY(!form->sim().Running());
        QCOMPARE(form->Grid1->currentRow(), 4);
        form->N33Click();
        QVERIFY(!form->sim().program.rows[4].breakpoint);
    }

    void escapeStopsARun()
    {
        clearProgram();
        setProgram(0, {"inc bx", "jmp 0"});
        escapeWhen(form->Grid1, [this] { return form->sim().m.BX > 10; });
        form->N29Click();
        QVERIFY(!form->sim().Running());
        QVERIFY(form->sim().m.BX > 10);
        QCOMPARE(form->labelNamed(QStringLiteral("Reg1"))->text().left(4),
                 QString::asprintf("%04X", form->sim().m.BX));  // the panel shows where the run stopped
    }

    void fastRunLocksDrawingAndShowsTheStateAtTheEnd()
    {
        clearProgram();
        // an endless loop: the run lasts until the timer below has looked at
        // the window and pressed Esc, however fast the build
        setProgram(0, {"inc dx", "jmp 0"});
        bool sawLock = false;
        QTimer::singleShot(0, [&] {
            sawLock = !form->updatesEnabled() && form->FastLabel->isVisible();
            QTest::keyClick(form.get(), Qt::Key_Escape);
        });
        form->N48Click();
        QVERIFY(sawLock);
        QVERIFY(form->updatesEnabled());
        QVERIFY(!form->FastLabel->isVisible());
        const uint16_t dx = form->sim().m.DX;
        QVERIFY(dx > 0);
        QCOMPARE(form->labelNamed(QStringLiteral("Reg3"))->text().left(4),
                 QString::asprintf("%04X", static_cast<unsigned>(dx)));
    }

    void matrixKeyDuringARunReachesTheIndicators()
    {
        clearProgram();
        // 2-key lockout, 16 characters; an interrupt routine copies the key code
        // to the display RAM, where code 06 shows as "1"
        setProgram(0, {"mov al,08h", "out 2bh,al", "mov al,90h", "out 2bh,al", "sti", "nop", "jmp 5"});
        setProgram(100, {"in al,2ah", "out 2ah,al", "iret"});
        form->sim().ravx.DisplayRam[0] = 0;
        QTimer::singleShot(
            50, [this] { QTest::mouseClick(form->MGrid, Qt::LeftButton, {}, QPoint(6 * MatrixView::kCellW + 4, 4)); });
        escapeWhen(form.get(), [this] {
            return form->sim().ravx.DisplayRam[0] == 0x06 && form->sim().panel.Indicator[0][0].view() == "1";
        });
        form->N29Click();
        QCOMPARE(form->sim().ravx.DisplayRam[0], uint8_t{0x06});
        QCOMPARE(std::string(form->sim().panel.Indicator[0][0].view()), std::string("1"));
        QCOMPARE(form->sim().panel.Matrix[0][6], '1');  // auto-release
        QCOMPARE(form->labelNamed(QStringLiteral("Mozu0"))->text(), QStringLiteral("0 006:06"));
    }

    void matrixCellsByMouseAndKeys()
    {
        clearProgram();
        const QPoint cell(4 * MatrixView::kCellW + 4, 3 * MatrixView::kCellH + 4);
        QTest::mouseClick(form->MGrid, Qt::LeftButton, {}, cell);
        QCOMPARE(form->sim().panel.Matrix[3][4], '0');
        QVERIFY(form->MGrid->hasFocus());
        QCOMPARE(form->labelNamed(QStringLiteral("MGridNum"))->text(), QStringLiteral("034"));
        QTest::keyClick(form->MGrid, Qt::Key_1);
        QCOMPARE(form->sim().panel.Matrix[3][4], '1');
        QTest::keyClick(form->MGrid, Qt::Key_A);  // other keys change no cell
        QCOMPARE(form->sim().panel.Matrix[3][4], '1');
        QTest::keyClick(form->MGrid, Qt::Key_0);
        QCOMPARE(form->sim().panel.Matrix[3][4], '0');
        QTest::mouseClick(form->ShftB, Qt::LeftButton);
        QVERIFY(form->sim().panel.ShiftChecked);
        QTest::mouseMove(form->MGrid, cell);
        QCOMPARE(form->labelNamed(QStringLiteral("MGridNum"))->text(), QStringLiteral("134"));
        QTest::mouseClick(form->ShftB, Qt::LeftButton);
        form->ResetKey();
        QCOMPARE(form->sim().panel.Matrix[3][4], '1');
    }

    void errorWindowShowsTheMessageAndClosesOnAKey()
    {
        clearProgram();
        setProgram(0, {"pop ax"});
        QString headline, memo;
        onNextModal([&](QWidget* w) {
            auto* errw = qobject_cast<TErrW*>(w);
            if (!errw) {
                w->close();
                return;
            }
            headline = errw->Label1->text();
            memo = errw->Memo1->toPlainText();
            QTest::keyClick(w, Qt::Key_Space);
        });
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(headline, QStringLiteral("Стек пуст"));
        QCOMPARE(memo, QStringLiteral(" Чтение из стека невозможно, так как стек пуст. \n\n"));
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{1});
        QCOMPARE(form->sim().m.IP, uint16_t{0});

        // a mouse button released on the window closes it as well
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        onNextModal([](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(200, 100)); });
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{2});
        QVERIFY(!QApplication::activeModalWidget());

        // its caption has the close button only, whatever the window manager
        // would add to a framed window; a click on the caption closes it too
        TErrW* errw = form->errorWindow();
        QVERIFY(errw->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(errw->Caption->text(), QStringLiteral("Ошибка"));
        QCOMPARE(errw->findChildren<QAbstractButton*>().size(), 1);
        onNextModal([errw](QWidget* w) {
            if (w == errw)
                QTest::mouseClick(errw->Caption, Qt::LeftButton, {}, QPoint(20, 5));
        });
        form->activateWindow();  // F8 goes to the active window
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{3});
        QVERIFY(!QApplication::activeModalWidget());
        onNextModal([errw](QWidget* w) {
            if (w == errw)
                errw->CloseButton->click();
        });
        QVERIFY(!errw->ShowError(9));  // closed as a window: the student wants out
    }

    void indicatorClickOpensTheViewer()
    {
        clearProgram();
        form->sim().panel.Indicator[0][2] = "1";
        form->sim().panel.Indicator[0][3] = "#";
        QString code, pointer;
        onNextModal([&](QWidget* w) {
            auto* viewer = qobject_cast<TSemi*>(w);
            QVERIFY(viewer);
            code = viewer->Label1->text();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        const QPoint cell2(2 * (IndicatorView::kCellW + 1) + 6, 6);
        QTest::mouseClick(form->IndicatorPanel, Qt::LeftButton, {}, form->DGrid->mapTo(form->IndicatorPanel, cell2));
        QCOMPARE(code, QStringLiteral("00000110  (006)"));
        QVERIFY(form->viewer()->aborted());

        QString message;
        onNextModal([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w))
                message = box->text();
            w->close();
        });
        const QPoint cell3(3 * (IndicatorView::kCellW + 1) + 6, 6);
        QTest::mouseClick(form->IndicatorPanel, Qt::LeftButton, {}, form->DGrid->mapTo(form->IndicatorPanel, cell3));
        QCOMPARE(message, QStringLiteral("Данный символ не может быть выведен"));
        QCOMPARE(TSemi::PointerText(0), QStringLiteral("       ^"));
        QCOMPARE(TSemi::PointerText(7), QStringLiteral("^"));
    }

    void resetRestoresTheMachine()
    {
        clearProgram();
        setProgram(0, {"mov ax,7", "mov al,0ah", "out 2bh,al"});
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(form.get(), Qt::Key_F8);
        QVERIFY(form->sim().ravx.ModeRollover);
        QTest::keyClick(form.get(), Qt::Key_F9);
        QCOMPARE(form->sim().m.IP, uint16_t{0});
        QCOMPARE(form->sim().m.AX, uint16_t{0});
        QVERIFY(form->sim().ravx.ModeLockout);
        QCOMPARE(form->labelNamed(QStringLiteral("C0"))->text(), QStringLiteral(" 01 00 0"));
        QCOMPARE(form->labelNamed(QStringLiteral("Reg6"))->text(), QStringLiteral("01FE"));
        QCOMPARE(form->FlGrid->valueText(), QStringLiteral("1000"));
        QCOMPARE(form->Grid1->currentRow(), 0);
        QCOMPARE(form->sim().program.rows[2].statement, std::string("out 2bh,al"));

        // after strobed input the boxes are the reset mode's again
        setProgram(0, {"mov al,0eh", "out 2bh,al"});
        QTest::keyClick(form.get(), Qt::Key_F8);
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(form->CtrlB->text(), QStringLiteral("^STB"));
        QVERIFY(!form->ShftB->isEnabled());
        QTest::keyClick(form.get(), Qt::Key_F9);
        QCOMPARE(form->labelNamed(QStringLiteral("C0"))->text(), QStringLiteral(" 01 00 0"));
        QCOMPARE(form->CtrlB->text(), QStringLiteral("Ctrl"));
        QVERIFY(form->ShftB->isEnabled());
    }

    void everyLabelShowsItsWholeText()
    {
        // the longest texts the panels show
        form->sim().ravx.ApplyGeneratorSettings(3, true);
        form->sim().settings.Registers = RegisterMode::Binary;
        form->sim().m.AX = 0xFFFF;
        form->sim().panel.ZGOutL = "11111111-3";
        form->sim().panel.ZGOutL1 = "11111111-4";
        form->sim().panel.CyclC = "3*";
        form->ShowState();
        int checked = 0;
        for (QLabel* l : form->findChildren<QLabel*>()) {
            if (!l->isVisibleTo(form.get()) || l->text().isEmpty() || l == form->FastLabel ||
                l->text() == QStringLiteral("Кодогенератор: отключен"))  // clipped on purpose
                continue;
            const int need = l->fontMetrics().horizontalAdvance(l->text());
            QVERIFY2(need <= l->contentsRect().width(), qPrintable(QStringLiteral("%1 \"%2\": %3 > %4")
                                                                       .arg(l->objectName(), l->text())
                                                                       .arg(need)
                                                                       .arg(l->contentsRect().width())));
            ++checked;
        }
        QVERIFY(checked > 60);
        form->sim().settings.Registers = RegisterMode::Octal;
        form->sim().ravx.ApplyGeneratorSettings(0, false);
        form->ResetKey();
    }

    // A keyboard-and-display program from the golden runs, run with two key
    // presses; with RAVX_SCREENSHOT set the window is saved there.
    void keyboardProgramShowsItsKeys()
    {
        clearProgram();
        const QString dir = QStringLiteral(RAVX_SOURCE_DIR "/tests/golden/keyboard_lockout/");
        OpenProgram(form->sim(), (dir + "program.prg").toStdString());
        LoadFirmware(form->sim(), (dir + "firmware.dmp").toStdString());
        form->sim().ravx.ApplyGeneratorSettings(1, false);
        form->ProgramChanged();
        form->ResetKey();
        form->sim().ravx.DisplayRam.fill(0);  // no random byte may pass for a key
        auto click = [this](int row, int col) {
            QTest::mouseClick(form->MGrid, Qt::LeftButton, {},
                              QPoint(col * MatrixView::kCellW + 4, row * MatrixView::kCellH + 4));
        };
        QTimer::singleShot(50, [&] { click(0, 5); });
        bool second = false;
        escapeWhen(form.get(), [&] {
            const auto& ram = form->sim().ravx.DisplayRam;
            const auto& cells = form->sim().panel.Indicator[0];
            if (!second && ram[0] == 0x05) {
                second = true;
                click(2, 3);
            }
            return ram[0] == 0x05 && ram[1] == 0x13 && cells[0].view() == "5" && cells[1].view() == "3";
        });
        form->N29Click();
        QCOMPARE(std::string(form->sim().panel.Indicator[0][0].view()), std::string("5"));
        QCOMPARE(std::string(form->sim().panel.Indicator[0][1].view()), std::string("3"));
        if (const QByteArray path = qgetenv("RAVX_SCREENSHOT"); !path.isEmpty())
            QVERIFY(form->grab().save(QString::fromLocal8Bit(path)));
        form->sim().ravx.ApplyGeneratorSettings(0, false);
    }

    // The pace chosen in "Запуск" → "Скорость" (or with Ctrl+plus and
    // Ctrl+minus) is the pace of the automatic run; up to the screen's rate
    // every step is shown.
    void paceReachesTheRunAndEveryStepIsShown()
    {
        clearProgram();
        QCOMPARE(form->RunPace(), 0);  // set so by this test case
        auto paceItem = [this](const QString& caption) -> QAction* {
            for (QAction* a : form->findChildren<QAction*>())
                if (a->text() == caption && a->isCheckable())
                    return a;
            return nullptr;
        };
        QAction* fifty = paceItem(QStringLiteral("50 шагов/с"));
        QVERIFY(fifty && paceItem(QStringLiteral("5 шагов/с")) && paceItem(QStringLiteral("Максимальная")));
        fifty->trigger();
        QCOMPARE(form->RunPace(), 50);
        QVERIFY(fifty->isChecked());
        QTest::keyClick(form.get(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(form->RunPace(), 20);
        QVERIFY(paceItem(QStringLiteral("20 шагов/с"))->isChecked());
        QTest::keyClick(form.get(), Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(form->RunPace(), 50);

        setProgram(0, {"inc ax", "inc bx", "inc cx", "inc dx", "inc ax", "inc bx", "inc cx", "inc dx", "nop"});
        form->sim().program.rows[8].breakpoint = true;
        form->N29Click();
        QCOMPARE(form->sim().m.IP, uint16_t{8});
        QCOMPARE(form->StepsShown(), uint64_t{8});
        form->SetRunPace(0);
        form->N33Click();
    }

    // "Шаг назад" (Shift+F8) brings every label back as it was before the
    // last step; F4 runs to the cursor row.
    void stepBackRestoresTheLabelsAndF4RunsToTheCursor()
    {
        clearProgram();
        QAction* back = form->actionNamed(QStringLiteral("Шаг назад"));
        QVERIFY(back && !back->isEnabled());
        setProgram(0, {"mov al,08h", "out 2bh,al", "mov al,90h", "out 2bh,al", "mov al,5bh", "out 2ah,al",
                       "mov al,0d1h", "out 2bh,al", "jmp 4"});
        auto labels = [this] {
            QStringList texts;
            for (QLabel* l : form->findChildren<QLabel*>())
                texts << l->objectName() + "=" + l->text() + (l->isVisibleTo(form.get()) ? "" : " (hidden)");
            return texts;
        };
        std::vector<QStringList> before;
        for (int n = 0; n < 12; ++n) {
            before.push_back(labels());
            QTest::keyClick(form.get(), Qt::Key_F8);
        }
        QVERIFY(back->isEnabled());
        for (int n = 11; n >= 0; --n) {
            QTest::keyClick(form.get(), Qt::Key_F8, Qt::ShiftModifier);
            QCOMPARE(labels(), before[static_cast<std::size_t>(n)]);
        }
        QVERIFY(!back->isEnabled());

        // F4: the run stops when IP reaches the cursor row
        form->Grid1->setCurrentCell(6, 1);
        QTest::keyClick(form.get(), Qt::Key_F4);
        QCOMPARE(form->sim().m.IP, uint16_t{6});
        QVERIFY(back->isEnabled());
        form->ResetKey();
        QVERIFY(!back->isEnabled());
    }

    // Captions and titles are read in full: the code generator's caption
    // beside its state, the small views' titles beside the frame's buttons.
    void captionsAndTitlesAreReadable()
    {
        QLabel* caption = form->labelNamed(QStringLiteral("KodCaption"));
        QLabel* state = form->labelNamed(QStringLiteral("KodL"));
        QVERIFY(caption && state);
        QCOMPARE(caption->text(), QStringLiteral("Кодогенератор:"));
        QVERIFY(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->width());
        QVERIFY(caption->geometry().right() < state->geometry().left());

        form->N10Click();
        form->N11Click();
        form->N12Click();
        const QList<QWidget*> views = {form->stackView(), form->dataRamView(), form->displayRamView()};
        for (QWidget* view : views) {
            QVERIFY(QTest::qWaitForWindowExposed(view));
            QVERIFY2(view->width() >= TitleBarWidth(view->windowTitle()), qPrintable(view->windowTitle()));
            view->close();
        }
        int viewerWidth = 0;
        onNextModal([&](QWidget* w) {
            viewerWidth = w->width();
            w->close();
        });
        form->viewer()->Draw(0x06);
        QVERIFY(viewerWidth >= TitleBarWidth(form->viewer()->windowTitle()));
    }

    void cleanupTestCase() { form.reset(); }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
