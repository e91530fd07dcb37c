// A student's records and files on a desktop with a window manager: a step
// back never takes back a counted error (the checksum the teacher reads
// stays), Ctrl+S saves into the program's own file without a dialog, the
// error window moves by its caption, and the file dialogs open again in the
// folder last chosen, also after the program was started anew. With
// RAVX_SCREENSHOT_DIR set, the moved error window is saved there.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "machine/Unit2.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"
#include "training/Result.h"

using namespace ravx;
using namespace ravx::guitest;

namespace {
// The per-user settings live here for this run only (set in main).
QTemporaryDir* config = nullptr;
}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;

    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray bytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void start()
    {
        answerStartUp(nullptr, nullptr);
        form = std::make_unique<TForm1>(nullptr, path(QStringLiteral("results.ini")));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        activate();
    }
    void activate()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void setProgram(std::initializer_list<const char*> rows)
    {
        form->sim().program.Clear();
        int r = 0;
        for (const char* row : rows)
            form->sim().program.rows[r++].statement = row;
        form->ProgramChanged();
        form->ResetKey();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form.get(), k, modifiers);
        QCoreApplication::processEvents();
    }
    // The "Контрольная сумма :" of the results window (F5).
    QString checksum()
    {
        QString text;
        onNextModal([&](QWidget* w) {
            if (auto* results = qobject_cast<TForm6*>(w))
                text = results->Label8->text();
            w->close();
        });
        key(Qt::Key_F5);
        return text;
    }
    // Answers each file dialog a command opens with the file `answers` names
    // in turn ("" cancels); keeps the folder each opened in and its title.
    QStringList foldersSeen, titlesSeen;
    void dialogs(const QStringList& answers, const std::function<void()>& command)
    {
        foldersSeen.clear();
        titlesSeen.clear();
        int next = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || d->property("answered").toBool())
                return;
            d->setProperty("answered", true);
            foldersSeen << d->directory().absolutePath();
            titlesSeen << d->windowTitle();
            const QString answer = answers.value(next++);
            if (answer.isEmpty()) {
                QMetaObject::invokeMethod(d, "reject");
                return;
            }
            d->selectFile(answer);
            QMetaObject::invokeMethod(d, "accept");
        });
        poll.start(5);
        command();
    }
    void trigger(const char* item) { form->actionNamed(QString::fromUtf8(item))->trigger(); }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        start();
    }

    // F8 on an empty row counts an error; Shift+F8 takes the step back but
    // not the count, so the checksum the teacher reads stays. Only reset
    // clears it.
    void stepBackLeavesTheCountedErrors()
    {
        setProgram({"inc ax", ""});
        QCOMPARE(checksum(), QStringLiteral("1 1 2A 0"));
        int windows = 0;
        {
            ModalAnswerer answerer;  // closes each error window with a key
            key(Qt::Key_F8);
            key(Qt::Key_F8);
            key(Qt::Key_F8, Qt::ShiftModifier);  // back over the failed step
            QCOMPARE(form->sim().m.IP, uint16_t{1});
            key(Qt::Key_F8, Qt::ShiftModifier);  // and over the good one
            QCOMPARE(form->sim().m.IP, uint16_t{0});
            QCOMPARE(form->sim().m.AX, uint16_t{0});
            QTest::qWait(100);
            windows = answerer.count;
        }
        QCOMPARE(windows, 1);  // the step back showed the error no more
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t{1});
        QCOMPARE(checksum(), QStringLiteral("1 1 2A 1"));

        key(Qt::Key_F9);
        QCOMPARE(checksum(), QStringLiteral("1 1 2A 0"));
    }

    // Ctrl+S: into the program's own file with no dialog once it has one;
    // the first time through the save dialog.
    void ctrlSSavesWithoutADialog()
    {
        activate();
        setProgram({"mov al,1"});
        dialogs({path(QStringLiteral("quick.prg"))}, [&] { key(Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(titlesSeen, QStringList{QStringLiteral("Сохранить программу")});
        QVERIFY(bytes(path(QStringLiteral("quick.prg"))).contains("mov al,1"));
        QCOMPARE(form->windowTitle(), QStringLiteral("ПККИ RAVX quick.prg"));

        form->sim().program.rows[0].statement = "mov al,2";
        form->ProgramChanged();
        dialogs({}, [&] { key(Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(titlesSeen, QStringList{});  // no dialog
        QVERIFY(bytes(path(QStringLiteral("quick.prg"))).contains("mov al,2"));
        QVERIFY(!form->sim().ProgramChangedSinceSaved());

        // a program opened is its own file too; F2 still asks
        QVERIFY(QFile::copy(path(QStringLiteral("quick.prg")), path(QStringLiteral("other.prg"))));
        form->openGivenFile(path(QStringLiteral("other.prg")));
        form->sim().program.rows[1].statement = "mov bl,3";
        form->ProgramChanged();
        dialogs({}, [&] { key(Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(titlesSeen, QStringList{});
        QVERIFY(bytes(path(QStringLiteral("other.prg"))).contains("mov bl,3"));
        QVERIFY(!bytes(path(QStringLiteral("quick.prg"))).contains("mov bl,3"));
        dialogs({QString()}, [&] { key(Qt::Key_F2); });
        QCOMPARE(titlesSeen, QStringList{QStringLiteral("Сохранить программу")});

        // the open undone, the rows are quick.prg's again: Ctrl+S asks rather
        // than write them over other.prg
        const QByteArray other = bytes(path(QStringLiteral("other.prg")));
        key(Qt::Key_Z, Qt::ControlModifier);  // the edit of row 1
        key(Qt::Key_Z, Qt::ControlModifier);  // the open
        QCOMPARE(QString::fromStdString(form->sim().program.rows[1].statement), QString());
        dialogs({QString()}, [&] { key(Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(titlesSeen, QStringList{QStringLiteral("Сохранить программу")});
        QCOMPARE(bytes(path(QStringLiteral("other.prg"))), other);
    }

    // A press on the caption, a drag and a release move the error window and
    // leave it open; a key closes it; the next error shows where it was left.
    void errorWindowMovesByItsCaption()
    {
        activate();
        setProgram({""});
        const QPoint grip(40, 8);
        const QPoint by(-150, 120);
        QPoint before, after;
        bool openAfterDrag = false;
        onNextModal([&](QWidget* w) {
            auto* e = qobject_cast<TErrW*>(w);
            QVERIFY(e);
            QVERIFY(QTest::qWaitForWindowExposed(e));
            before = e->pos();
            // positions are the caption's own: the window follows the
            // mouse, so each half of the way is the same point on it
            QTest::mousePress(e->Caption, Qt::LeftButton, {}, grip);
            QTest::mouseMove(e->Caption, grip + by / 2);
            QTest::mouseMove(e->Caption, grip + by / 2);
            QTest::qWait(50);
            QTest::mouseRelease(e->Caption, Qt::LeftButton, {}, grip);
            QTest::qWait(200);  // a release that closed the window would have done so by now
            openAfterDrag = e->isVisible();
            after = e->pos();
            if (const QByteArray shots = qgetenv("RAVX_SCREENSHOT_DIR"); !shots.isEmpty())
                QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shots) +
                                                                     QStringLiteral("/error-moved.png"));
            QTest::keyClick(e, Qt::Key_Space);
        });
        key(Qt::Key_F8);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(openAfterDrag);
        QCOMPARE(after, before + by);
        QVERIFY(!form->errorWindow()->isVisible());

        // the next error comes up where the student left the window; a click
        // without a drag closes it, on the caption too
        activate();
        QPoint next;
        onNextModal([&](QWidget* w) {
            auto* e = qobject_cast<TErrW*>(w);
            QVERIFY(e);
            QVERIFY(QTest::qWaitForWindowExposed(e));
            next = e->pos();
            QTest::mouseClick(e->Caption, Qt::LeftButton, {}, grip);
        });
        key(Qt::Key_F8);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(next, before + by);
    }

    // The open and save dialogs of programs, dumps and reports open where a
    // file was last chosen in any of them, in this run and in the next.
    void dialogsReopenInTheLastFolderAfterARestart()
    {
        activate();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("lab")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("reports")));
        const QString lab = QFileInfo(path(QStringLiteral("lab"))).absoluteFilePath();
        const QString reports = QFileInfo(path(QStringLiteral("reports"))).absoluteFilePath();
        form->sim().MarkProgramSaved();  // no question before the dialogs

        dialogs({path(QStringLiteral("lab/task1.prg"))}, [&] { trigger("Сохранить программу"); });
        dialogs({QString()}, [&] { trigger("Открыть программу"); });
        QCOMPARE(foldersSeen, QStringList{lab});  // the other dialog follows
        dialogs({QString()}, [&] { trigger("Загрузить прошивку"); });
        QCOMPARE(foldersSeen, QStringList{lab});

        // a report chosen elsewhere moves every dialog there
        form->reportOptions().OtchC = false;
        dialogs({reports + QStringLiteral("/listing.txt")}, [&] { trigger("Генерация отчета"); });
        form->reportOptions().OtchC = true;
        QCOMPARE(foldersSeen, QStringList{lab});
        dialogs({QString()}, [&] { trigger("Сохранить прошивку"); });
        QCOMPARE(foldersSeen, QStringList{reports});

        // the program is started anew: the folder comes from the user's settings
        form.reset();
        const QByteArray settings = bytes(config->filePath(QStringLiteral("ravx/ravx.ini")));
        QVERIFY2(settings.contains("reports"), settings.constData());
        start();
        dialogs({QString()}, [&] { trigger("Открыть программу"); });
        QCOMPARE(foldersSeen, QStringList{reports});

        // a folder removed since: the first folder again, as before any choice
        QVERIFY(QDir(reports).removeRecursively());
        dialogs({QString()}, [&] { trigger("Открыть программу"); });
        QCOMPARE(foldersSeen, QStringList{FirstDialogFolder(QCoreApplication::applicationDirPath())});
    }

    void cleanupTestCase() { form.reset(); }
};

int main(int argc, char** argv)
{
    // a configuration of this run's own, so no earlier run's folder shows
    QTemporaryDir configDir;
    config = &configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    ravx::PrepareRussianDates();
    QApplication app(argc, argv);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_desktop.moc"
