// Work a student cannot lose, on a desktop with a window manager: keys and
// clicks that reach the program grid while a program runs change no row,
// typing past a cell's limit never runs into the text of the row below, and
// "Отменить" / "Повторить" give back the rows of every change, a paste and a
// program opened over edits included. With RAVX_SCREENSHOT set, the screen
// during a run with a refused edit is saved there.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include "mainwindow/ProgramEdit.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;

namespace {
const QString kRunLockNote = QStringLiteral("Программа выполняется: правка недоступна, остановить — Esc");
}

class EditingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;
    std::unique_ptr<TForm1> form;

    Program& program() { return form->sim().program; }
    ProgramRows rows() { return program().rows; }
    void fresh()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        program().Clear();
        form->ProgramChanged();
        form->ResetKey();
        form->Grid1->setFocus();
    }
    void setRows(int first, const QStringList& texts)
    {
        for (int i = 0; i < texts.size(); ++i) {
            const QStringList parts = texts[i].split(QLatin1Char('|'));
            program().rows[first + i].statement = parts[0].toStdString();
            program().rows[first + i].comment = parts.value(1).toStdString();
        }
        form->ProgramChanged();
    }
    // One key event a character, to whatever has the focus (the first key
    // opens the cell editor).
    void type(const QString& text)
    {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, ch, Qt::NoModifier);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QVERIFY2(QApplication::focusWidget(), "no widget has the focus");
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        QCoreApplication::processEvents();
    }
    QPoint cellCentre(int row, int column)
    {
        form->Grid1->scrollTo(form->Grid1->model()->index(row, column));
        return form->Grid1->visualRect(form->Grid1->model()->index(row, column)).center();
    }
    bool editorOpen() const
    {
        const QList<QLineEdit*> editors = form->Grid1->findChildren<QLineEdit*>();
        return std::any_of(editors.begin(), editors.end(), [](const QLineEdit* e) { return e->isVisible(); });
    }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        answerStartUp(nullptr, nullptr);
        form = std::make_unique<TForm1>(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
        form->sim().ravx.Seed(3);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void keysDuringARunChangeNoRow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("automatic, Ctrl+F9") << 0;
        QTest::newRow("fast, Ctrl+F10") << 1;
        QTest::newRow("to the cursor, F4") << 2;
    }
    void keysDuringARunChangeNoRow()
    {
        QFETCH(int, kind);
        fresh();
        form->SetRunPace(5);
        setRows(0, {"inc bx|счётчик", "jmp 0|снова", "", "nop"});
        // one edit before the run: there is something Ctrl+Z could undo
        form->Grid1->setCurrentCell(3, 2);
        type(QStringLiteral("пауза"));
        key(Qt::Key_Return);
        QCOMPARE(program().rows[3].comment, std::string("пауза"));
        form->Grid1->setCurrentCell(0x50, 1);  // the run's target row, never reached
        const ProgramRows before = rows();

        // what a student does to the grid meanwhile, one action a tick
        QGuiApplication::clipboard()->setText(QStringLiteral("mov bx,5\nout 2bh,al"));
        QWidget* grid = form->Grid1->viewport();
        const std::vector<std::function<void()>> actions = {
            [&] { QTest::mouseClick(grid, Qt::LeftButton, {}, cellCentre(1, 2)); },
            [&] { type(QStringLiteral("abcdefgh")); },
            [&] { QTest::mouseDClick(grid, Qt::LeftButton, {}, cellCentre(0, 1)); },
            [&] { type(QStringLiteral("mov bx,5")); },
            [&] { key(Qt::Key_Insert, Qt::ShiftModifier); },
            [&] { key(Qt::Key_N, Qt::ControlModifier); },
            [&] { key(Qt::Key_Y, Qt::ControlModifier); },
            [&] { key(Qt::Key_Delete, Qt::ControlModifier); },
            [&] { key(Qt::Key_Z, Qt::ControlModifier); },
            [&] { key(Qt::Key_Backspace); },
        };
        std::size_t next = 0;
        int whileRunning = 0, editors = 0;
        QString note;
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, [&] {
            if (next < actions.size()) {
                whileRunning += form->sim().Running() ? 1 : 0;
                actions[next++]();
                editors += editorOpen() ? 1 : 0;
                return;
            }
            ticks.stop();
            note = form->statusBar()->currentMessage();
            if (const QByteArray path = qgetenv("RAVX_SCREENSHOT"); !path.isEmpty() && kind == 0)
                form->screen()->grabWindow(0).save(QString::fromLocal8Bit(path));
            key(Qt::Key_Escape);
        });
        ticks.start(40);
        const Qt::Key start[] = {Qt::Key_F9, Qt::Key_F10, Qt::Key_F4};
        key(start[kind], kind == 2 ? Qt::NoModifier : Qt::ControlModifier);

        QVERIFY(!form->sim().Running());
        QCOMPARE(next, actions.size());
        QCOMPARE(whileRunning, static_cast<int>(actions.size()));
        QVERIFY(form->sim().m.BX > 0);  // it did run meanwhile
        QCOMPARE(editors, 0);
        QCOMPARE(note, kRunLockNote);
        QVERIFY(rows() == before);
        QVERIFY(form->statusBar()->currentMessage() != kRunLockNote);  // the run is over

        // after the run the grid takes edits again: the edit before it is undone
        form->Grid1->setFocus();
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(program().rows[3].comment, std::string());
    }

    void typingPastTheLimitKeepsTheRowBelow_data()
    {
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("row3F");
        QTest::addColumn<QString>("row40");
        QTest::newRow("a statement below stays") << "nop"
                                                 << "mov ax,1234h ; set up the ax register"
                                                 << "nop";
        QTest::newRow("an empty row below takes the rest") << ""
                                                           << "mov ax,1234h ; set up the a"
                                                           << "x register";
    }
    void typingPastTheLimitKeepsTheRowBelow()
    {
        QFETCH(QString, below);
        QFETCH(QString, row3F);
        QFETCH(QString, row40);
        fresh();
        setRows(0x40, {below});
        form->Grid1->setCurrentCell(0x3F, 1);
        type(QStringLiteral("mov ax,1234h ; set up the ax register"));
        key(Qt::Key_Return);
        QCOMPARE(QString::fromStdString(program().rows[0x3F].statement), row3F);
        QCOMPARE(QString::fromStdString(program().rows[0x40].statement), row40);
    }

    void undoAndRedoGiveTheRowsBack()
    {
        fresh();
        setRows(0, {"mov al,1|первая", "out 2ah,al|вывод", "jmp 0", "", "hlt|конец"});
        program().rows[1].breakpoint = true;
        program().rows[4].breakpoint = true;
        form->ProgramChanged();
        form->Grid1->programModel()->undoStack()->clear();  // the test's own rows are no step
        const ProgramRows start = rows();

        // Ctrl+Y then Ctrl+Z, and Ctrl+Shift+Z once more
        form->Grid1->setCurrentCell(1, 1);
        key(Qt::Key_Y, Qt::ControlModifier);
        const ProgramRows deleted = rows();
        QVERIFY(deleted != start);
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(rows() == start);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(rows() == deleted);
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(rows() == start);

        // a paste of several lines is one step
        QGuiApplication::clipboard()->setText(QStringLiteral("inc bx\ndec cx ; меньше\nnop\n"));
        form->Grid1->setCurrentCell(2, 1);
        key(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(program().rows[3].comment, std::string("меньше"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(rows() == start);

        // a typed cell; undoing a statement ends the steps one can go back over
        form->Grid1->setCurrentCell(0, 1);
        type(QStringLiteral("mov al,2"));
        key(Qt::Key_Return);
        key(Qt::Key_F8);
        QVERIFY(form->sim().CanStepBack());
        form->Grid1->setCurrentCell(0, 1);
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(rows() == start);
        QVERIFY(!form->sim().CanStepBack());
        QVERIFY(!form->actionNamed(QStringLiteral("Отменить"))->isEnabled());  // nothing older
        QVERIFY(form->actionNamed(QStringLiteral("Повторить"))->isEnabled());

        // far more than 200 changes, all undone
        for (int i = 0; i < 250; ++i)
            form->Grid1->model()->setData(form->Grid1->model()->index(i % 20 + 10, 1), QString::number(i));
        for (int i = 0; i < 250; ++i)
            form->UndoClick();
        QVERIFY(rows() == start);
    }

    void programOpenedOverEditsIsUndone()
    {
        fresh();
        setRows(0, {"mov al,1|правка", "nop"});
        program().rows[1].breakpoint = true;
        form->ProgramChanged();
        QVERIFY(form->sim().ProgramChangedSinceSaved());
        const ProgramRows edited = rows();
        bool asked = false;
        onNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            asked = box && box->text() == QStringLiteral("Сохранить изменения?");
            if (box)
                box->button(QMessageBox::No)->click();  // "Нет": the edits are left
            else
                w->close();
        });
        form->openGivenFile(QStringLiteral(RAVX_SOURCE_DIR "/tests/golden/arithmetic/program.prg"));
        QVERIFY(asked);
        const ProgramRows opened = rows();
        QVERIFY(opened != edited);
        QVERIFY(!form->sim().ProgramChangedSinceSaved());

        // the question has gone: back in the main window
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Grid1->setFocus();
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(rows() == edited);
        QVERIFY(form->sim().ProgramChangedSinceSaved());  // still compared with the file opened
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(rows() == opened);
        QVERIFY(!form->sim().ProgramChangedSinceSaved());
    }

    void cleanupTestCase() { form.reset(); }
};

QTEST_MAIN(EditingTest)
#include "test_editing_wm.moc"
