// The program editor and the main window's answers to the student: what is
// typed is what runs, the "Правка" commands through the real clipboard, the
// go-to entry, the length limit, Enter and Tab, clicks and keys during runs,
// and the error window's keys.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "machine/Unit2.h"
#include "mainwindow/ProgramEdit.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;

class EditorTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;  // the results store of these tests
    std::unique_ptr<TForm1> form;

    void type(const QString& text)
    {
        for (QChar ch : text) {
            QWidget* target = QApplication::focusWidget();  // the first key opens the cell editor
            QVERIFY(target);
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, ch, Qt::NoModifier);
        }
    }
    void startTyping(int row, int column = 1)
    {
        form->Grid1->setFocus();
        form->Grid1->setCurrentCell(row, column);
    }
    void fresh()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->sim().program.Clear();
        form->ProgramChanged();
        form->ResetKey();
    }
    void setProgram(int first, const QStringList& rows)
    {
        for (int i = 0; i < rows.size(); ++i)
            form->sim().program.rows[first + i].statement = rows[i].toStdString();
        form->ProgramChanged();
    }
    // Enter in a cell editor: the text reaches the program once the events
    // queued by the editor are processed.
    void enter()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // A key event alone, without the modifier presses QTest adds around a click.
    void sendKey(QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QKeyEvent e(type, key, modifiers, key == Qt::Key_Control ? QString() : QString(QChar(key)));
        QApplication::sendEvent(form->Grid1, &e);
    }
    QString cell(int row, int column) const { return form->Grid1->model()->index(row, column).data().toString(); }
    const std::string& statement(int row) const { return form->sim().program.rows[row].statement; }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        answerStartUp(nullptr, nullptr);
        form = std::make_unique<TForm1>(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
        form->sim().ravx.Seed(3);
        form->SetRunPace(0);  // runs here go as fast as they can
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void typedTextRunsWithoutEnter()
    {
        fresh();
        setProgram(0, {"mov ax,1"});
        startTyping(0);
        type(QStringLiteral("mov bx,7"));
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));  // still editing
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
        QCOMPARE(form->sim().m.BX, uint16_t{7});
        QCOMPARE(form->sim().m.AX, uint16_t{0});
        QCOMPARE(statement(0), std::string("mov bx,7"));
        QCOMPARE(cell(0, 1), QStringLiteral("mov bx,7"));

        // an empty row being typed into, then a right click on a panel
        startTyping(1);
        type(QStringLiteral("inc bx"));
        QTest::mouseClick(form->IndicatorPanel, Qt::RightButton);
        QCOMPARE(form->sim().m.BX, uint16_t{8});
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{0});

        // and the automatic run: it runs the typed row, then stops on the empty one
        form->ResetKey();
        startTyping(2);
        type(QStringLiteral("add bx,2"));
        ModalAnswerer errors;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(form->sim().m.BX, uint16_t{10});  // 7, 8, then the typed row adds 2
        QCOMPARE(form->sim().m.IP, uint16_t{3});
        QCOMPARE(errors.count, 1);
    }

    void twoQuickRightClicksMakeTwoSteps()
    {
        fresh();
        setProgram(0, {"inc ax", "inc ax", "inc ax", "inc ax"});
        // the second press as a double-click alone
        QWidget* grid = form->Grid1->viewport();
        QTest::mouseClick(grid, Qt::RightButton, {}, QPoint(100, 30));
        QTest::mouseDClick(grid, Qt::RightButton, {}, QPoint(100, 30));
        QTest::mouseRelease(grid, Qt::RightButton, {}, QPoint(100, 30));
        QCOMPARE(form->sim().m.AX, uint16_t{2});
        // the second press as a press followed by a double-click
        QWidget* label = form->labelNamed(QStringLiteral("PSWLab"));
        QTest::mouseClick(label, Qt::RightButton);
        QTest::mousePress(label, Qt::RightButton);
        QTest::mouseDClick(label, Qt::RightButton);
        QTest::mouseRelease(label, Qt::RightButton);
        QCOMPARE(form->sim().m.AX, uint16_t{4});
    }

    void errorWindowClosesOnARealKeyOnly()
    {
        fresh();
        setProgram(0, {"pop ax"});
        bool openAfterRepeat = false, openAfterShift = false;
        onNextModal([&](QWidget* w) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w, &repeat);
            openAfterRepeat = w->isVisible();
            QTest::keyClick(w, Qt::Key_Shift);
            openAfterShift = w->isVisible();
            QTest::keyClick(w, Qt::Key_Return);
        });
        QTest::keyClick(form.get(), Qt::Key_F8);
        QVERIFY(openAfterRepeat);
        QVERIFY(openAfterShift);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{1});
        QCOMPARE(form->errorWindow()->windowTitle(), QStringLiteral("Ошибка"));
    }

    void stepCommandsDuringARunDoNothing()
    {
        fresh();
        setProgram(0, {"inc bx", "jmp 0"});
        int tries = 0, unchanged = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            const uint16_t ip = form->sim().m.IP, bx = form->sim().m.BX;
            QTest::keyClick(form.get(), Qt::Key_F8);
            QTest::mouseClick(form->labelNamed(QStringLiteral("PSWLab")), Qt::RightButton);
            if (form->sim().m.IP == ip && form->sim().m.BX == bx)
                ++unchanged;
            if (++tries == 5)
                QTest::keyClick(form.get(), Qt::Key_Escape);
        });
        poll.start(20);
        form->N29Click();
        poll.stop();
        QCOMPARE(tries, 5);
        QCOMPARE(unchanged, 5);
    }

    void escapeEndsARunThatReadsAnEmptyFifo()
    {
        fresh();
        setProgram(0, {"in al,2ah", "jmp 0"});
        ModalAnswerer windows(Qt::Key_Escape);
        form->N29Click();
        QVERIFY(!form->sim().Running());
        QCOMPARE(windows.count, 1);
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{1});
    }

    void fastRunErrorShowsTheFailingRow()
    {
        fresh();
        QStringList nops;
        for (int i = 0; i < 0x66; ++i)
            nops << QStringLiteral("nop");
        setProgram(0, nops);  // row 066 is empty
        QString ip, g1;
        int current = -1;
        bool drawing = false;
        onNextModal([&](QWidget* w) {
            ip = form->labelNamed(QStringLiteral("Reg7"))->text();
            g1 = form->G1->item(1, 0)->text();
            current = form->Grid1->currentRow();
            drawing = form->updatesEnabled();
            QTest::keyClick(w, Qt::Key_Space);
        });
        form->N48Click();
        QCOMPARE(ip, QStringLiteral("0066"));
        QCOMPARE(g1, QStringLiteral("66"));
        QCOMPARE(current, 0x66);
        QVERIFY(drawing);
        QVERIFY(form->updatesEnabled());
    }

    void registersShowTheMachineAfterAFailedStatement()
    {
        fresh();
        setProgram(0, {"push all"});
        form->sim().m.SP = 2;  // three free slots for seven words
        ModalAnswerer windows;
        QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(windows.count, 1);
        QCOMPARE(form->sim().m.SP, uint16_t{0xFFFF});
        QCOMPARE(form->labelNamed(QStringLiteral("Reg6"))->text(), QStringLiteral("FFFE"));
        QCOMPARE(form->labelNamed(QStringLiteral("Reg7"))->text(), QStringLiteral("0000"));
    }

    void leftButtonOnPanelsWorksTheMatrixCell()
    {
        fresh();
        form->MGrid->setCurrent(2, 3);
        QTest::mouseClick(form->labelNamed(QStringLiteral("PSWLab")), Qt::LeftButton);
        QCOMPARE(form->sim().panel.Matrix[2][3], '0');
        QCOMPARE(form->labelNamed(QStringLiteral("MGridNum"))->text(), QStringLiteral("023"));
        QTest::mouseClick(form->G1->viewport(), Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(form->sim().panel.Matrix[2][3], '1');
        QTest::mouseClick(form->Grid1->viewport(), Qt::LeftButton, {}, QPoint(100, 30));
        QCOMPARE(form->sim().panel.Matrix[2][3], '1');  // the program grid keeps its own clicks
    }

    void scannedRowIsSelectedAlsoWithTheFocus()
    {
        fresh();
        setProgram(0, {"nop", "nop", "nop"});
        form->MGrid->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(form.get(), Qt::Key_F8);
        QCOMPARE(form->sim().panel.MatrixSelectedRow, 2);
        const QImage image = form->MGrid->grab().toImage();
        const QColor highlight = form->MGrid->palette().color(QPalette::Highlight);
        QCOMPARE(image.pixelColor(2, 2 * MatrixView::kCellH + 2), highlight);
        QVERIFY(image.pixelColor(2, 4 * MatrixView::kCellH + 2) != highlight);
    }

    void matrixRowMarksAndCaptions()
    {
        fresh();
        QLabel* mark = form->labelNamed(QStringLiteral("Label20"));
        QVERIFY(mark->isVisibleTo(form.get()));
        QCOMPARE(mark->text(), QStringLiteral("0"));
    }

    void windowKeepsItsWidthAndGivesHeightToTheGrid()
    {
        const QSize before = form->size();
        form->resize(before.width() + 500, before.height() + 200);
        QTRY_COMPARE(form->width(), before.width());
        QTRY_COMPARE(form->centralWidget()->height(), form->Grid1->height() + TForm1::kStripHeight + 1);
        QVERIFY(form->Grid1->height() > 156);
        form->resize(before);
    }

    void enterGoesOnInTheNextRow()
    {
        fresh();
        startTyping(4);
        type(QStringLiteral("nop"));
        enter();
        QCOMPARE(statement(4), std::string("nop"));
        QCOMPARE(form->Grid1->currentRow(), 5);
        QCOMPARE(form->Grid1->currentIndex().column(), 1);
        type(QStringLiteral("sti"));
        enter();
        QCOMPARE(statement(5), std::string("sti"));
        QCOMPARE(form->Grid1->currentRow(), 6);
    }

    void tabWalksTheTextColumnsAndCtrlTabLeavesTheGrid()
    {
        fresh();
        const auto matrixBefore = form->sim().panel.Matrix;
        startTyping(4);
        type(QStringLiteral("mov al,08h"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // out of the cell editor
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(4, 2));
        type(QStringLiteral("CW0: 8 знаков"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(statement(4), std::string("mov al,08h"));
        QCOMPARE(form->sim().program.rows[4].comment, std::string("CW0: 8 знаков"));
        QVERIFY(form->sim().panel.Matrix == matrixBefore);  // no key was pressed on the way
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(5, 1));  // the next statement
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->Grid1));

        // Shift+Tab goes back; Tab from the grid itself goes on the same way
        QTest::keyClick(form->Grid1, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(4, 2));
        QTest::keyClick(form->Grid1, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(4, 1));
        QTest::keyClick(form->Grid1, Qt::Key_Tab);
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(4, 2));
        form->Grid1->setCurrentCell(0, 1);
        QTest::keyClick(form->Grid1, Qt::Key_Backtab, Qt::ShiftModifier);  // nothing before row 000
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(0, 1));
        form->Grid1->setCurrentCell(kLastStatementRow, 2);
        QTest::keyClick(form->Grid1, Qt::Key_Tab);  // nothing after the last comment
        QCOMPARE(form->Grid1->currentIndex(), form->Grid1->model()->index(kLastStatementRow, 2));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->Grid1));

        // Ctrl+Tab leads to the matrix and its boxes, also out of a cell being typed
        startTyping(6);
        type(QStringLiteral("cli"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->MGrid));
        QCOMPARE(statement(6), std::string("cli"));
        QVERIFY(!form->Grid1->goToActive());
        QTest::keyClick(form->MGrid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->CtrlB));
        QTest::keyClick(form->CtrlB, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->ShftB));
        form->Grid1->setFocus();
        QTest::keyClick(form->Grid1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(QApplication::focusWidget() != static_cast<QWidget*>(form->Grid1));
        QVERIFY(form->sim().panel.Matrix == matrixBefore);
    }

    void pastingSeveralLinesIntoACellKeepsOneLine()
    {
        fresh();
        startTyping(3);
        type(QStringLiteral("m"));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("mov al,1\nout 2ah,al"));
        enter();
        QCOMPARE(statement(3), std::string("mov al,1"));
        QCOMPARE(cell(3, 1), QStringLiteral("mov al,1"));
    }

    void longTextGoesOnInTheNextRow()
    {
        fresh();
        startTyping(7);
        const QString full(27, QLatin1Char('a'));
        type(full);
        type(QStringLiteral("b"));  // the 28th key: the editor has moved on
        enter();
        QCOMPARE(statement(7), full.toStdString());
        QCOMPARE(statement(8), std::string("b"));

        startTyping(7, 2);  // comments allow 32
        type(QString(33, QLatin1Char('c')) + QStringLiteral("d"));
        enter();
        QCOMPARE(form->sim().program.rows[7].comment, std::string(33, 'c'));
        QCOMPARE(form->sim().program.rows[8].comment, std::string("d"));
    }

    void copyPasteInsertAndDeleteRowsThroughTheClipboard()
    {
        fresh();
        setProgram(0, {"mov al,1", "out 2ah,al", "jmp 0"});
        form->sim().program.rows[1].comment = "вывод";
        form->ProgramChanged();
        QClipboard* clip = QGuiApplication::clipboard();
        // plain text, such as an example from the help: one row a line
        clip->setText(QStringLiteral("mov bx,5\nout 2bh,al     ; управляющее слово\n"));
        startTyping(20);
        QTest::keyClick(form->Grid1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(statement(20), std::string("mov bx,5"));
        QCOMPARE(cell(21, 1), QStringLiteral("out 2bh,al"));
        QCOMPARE(cell(21, 2), QStringLiteral("управляющее слово"));
        QCOMPARE(cell(22, 1), QString());

        // the rows go to the clipboard as the program's block and as text
        QItemSelectionModel* sel = form->Grid1->selectionModel();
        QAbstractItemModel* model = form->Grid1->model();
        sel->select(QItemSelection(model->index(0, 1), model->index(2, 2)), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(form->Grid1, Qt::Key_Insert, Qt::ControlModifier);
        QVERIFY(clip->mimeData()->data(QStringLiteral("application/x-ravx-program-block")).startsWith("RAVX"));
        QCOMPARE(clip->text(), QStringLiteral("mov al,1\n"
                                              "out 2ah,al                 ; вывод\n"
                                              "jmp 0\n"));

        form->Grid1->setCurrentCell(20, 1);
        QTest::keyClick(form->Grid1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(cell(20, 1), QStringLiteral("mov al,1"));
        QCOMPARE(cell(21, 2), QStringLiteral("вывод"));
        QCOMPARE(cell(22, 1), QStringLiteral("jmp 0"));

        form->Grid1->setCurrentCell(21, 1);
        QTest::keyClick(form->Grid1, Qt::Key_N, Qt::ControlModifier);  // insert a row
        QCOMPARE(cell(21, 1), QString());
        QCOMPARE(cell(22, 1), QStringLiteral("out 2ah,al"));
        QCOMPARE(cell(23, 1), QStringLiteral("jmp 0"));
        QTest::keyClick(form->Grid1, Qt::Key_Y, Qt::ControlModifier);  // and delete it again
        QCOMPARE(cell(21, 1), QStringLiteral("out 2ah,al"));
        QCOMPARE(cell(23, 1), QString());

        sel->select(QItemSelection(model->index(20, 1), model->index(21, 1)), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(form->Grid1, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(cell(20, 1), QStringLiteral("jmp 0"));
        QCOMPARE(cell(21, 1), QString());
        QVERIFY(form->actionNamed(QStringLiteral("Копировать"))->isEnabled());

        // a block as earlier versions put it on the clipboard: its plain text
        Program source;
        source.rows[0].comment = "из старого блока";
        clip->setText(QString::fromStdU32String(BuildProgramBlock(source, 0, 0, 2, 2)));
        form->Grid1->setCurrentCell(20, 1);
        QTest::keyClick(form->Grid1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(cell(20, 1), QStringLiteral("jmp 0"));  // a comment block leaves the statement
        QCOMPARE(cell(20, 2), QStringLiteral("из старого блока"));
    }

    void executedStatementPanelTakesNoTyping()
    {
        fresh();
        setProgram(0, {"mov al,1"});
        QTableWidget* g1 = form->G1;
        const QRect at = g1->visualItemRect(g1->item(1, 1));
        QTest::mouseDClick(g1->viewport(), Qt::LeftButton, {}, at.center());
        QTest::keyClick(g1, Qt::Key_X);
        QVERIFY(!g1->findChild<QLineEdit*>());  // no editor opened
        QCOMPARE(g1->item(1, 1)->text().trimmed(), QStringLiteral("mov al,1"));
    }

    void goToEntryWithCtrl()
    {
        fresh();
        form->Grid1->setFocus();
        form->Grid1->setCurrentCell(0, 1);
        QLabel* prompt = form->labelNamed(QStringLiteral("GoLabC"));
        QLabel* typed = form->labelNamed(QStringLiteral("GoLab"));
        auto goTo = [&](const QList<Qt::Key>& keys) {
            sendKey(QEvent::KeyPress, Qt::Key_Control);
            QVERIFY(prompt->isVisible());
            for (Qt::Key k : keys) {
                sendKey(QEvent::KeyPress, k);
                sendKey(QEvent::KeyRelease, k);
            }
            sendKey(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
            QVERIFY(!prompt->isVisible());
        };
        sendKey(QEvent::KeyPress, Qt::Key_Control);
        for (Qt::Key k : {Qt::Key_1, Qt::Key_A}) {
            sendKey(QEvent::KeyPress, k);
            sendKey(QEvent::KeyRelease, k);
        }
        QCOMPARE(typed->text(), QStringLiteral("1A"));
        QCOMPARE(form->Grid1->currentRow(), 0);  // nothing moves before Ctrl is let go
        sendKey(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QCOMPARE(form->Grid1->currentRow(), 0x1A);
        QCOMPARE(form->Grid1->rowAt(0), 0x1A);  // the top visible row

        goTo({Qt::Key_2, Qt::Key_0, Qt::Key_0});  // above 1F3: nothing happens
        QCOMPARE(form->Grid1->currentRow(), 0x1A);
        goTo({Qt::Key_1, Qt::Key_F, Qt::Key_3});  // the limit shows the last row
        QCOMPARE(form->Grid1->currentRow(), kLastStatementRow);
        goTo({});
        QCOMPARE(form->Grid1->currentRow(), kLastStatementRow);
    }

    void focusFollowsTheMouseWhenSetAndGridShowsItsFocus()
    {
        fresh();
        const QColor grey(0xE0, 0xE0, 0xE0);
        auto moveOver = [](QWidget* w) {
            QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), w->mapToGlobal(QPointF(20, 20)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
        };
        form->MGrid->setFocus();
        QCOMPARE(form->Grid1->palette().color(QPalette::Base), grey);
        moveOver(form->Grid1->viewport());
        QVERIFY(form->MGrid->hasFocus());  // the setting is off
        form->sim().settings.MouseFocus = true;
        moveOver(form->Grid1->viewport());
        QVERIFY(form->Grid1->hasFocus());
        QVERIFY(form->Grid1->palette().color(QPalette::Base) != grey);
        moveOver(form->MGrid);
        QVERIFY(form->MGrid->hasFocus());
        form->sim().settings.MouseFocus = false;
    }

    void cleanupTestCase() { form.reset(); }
};

QTEST_MAIN(EditorTest)
#include "test_editor.moc"
