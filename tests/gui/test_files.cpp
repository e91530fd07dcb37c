// The commands of the menu "Файл" with their dialogs driven as a student
// drives them: filters and default extensions, the caption, round trips that
// give the same bytes, the suggested dump name, and bad files that change
// nothing.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDialogButtonBox>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow/FirmwareFile.h"
#include "tools/ravx-run/Runner.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;

class FilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
    QStringList filters;
    QString suffix, suggested, message;

    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QByteArray bytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Triggers a menu item and answers its file dialog with `file` (typed as
    // the student would, maybe without the extension); a message box that
    // follows is closed and its text kept.
    void command(const char* item, const QString& file)
    {
        filters.clear();
        message.clear();
        // answers the windows of this one command, and none after it
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* d = qobject_cast<QFileDialog*>(w)) {
                filters = d->nameFilters();
                suffix = d->defaultSuffix();
                suggested = d->selectedFiles().value(0);
                d->selectFile(file);
                QMetaObject::invokeMethod(d, "accept");
            } else if (auto* m = qobject_cast<QMessageBox*>(w)) {
                if (m->text() == QStringLiteral("Сохранить изменения?")) {
                    m->button(QMessageBox::No)->click();  // rows changed by the test itself
                    return;
                }
                message = m->text();
                m->close();
            }
        });
        poll.start(5);
        form->actionNamed(QString::fromUtf8(item))->trigger();
    }

    // Answers the file dialogs of one command in turn: a name, "" to cancel,
    // "*" to take what the dialog suggests. Their filters are kept.
    void dialogs(const QStringList& answers, const std::function<void()>& command)
    {
        filtersSeen.clear();
        titlesSeen.clear();
        suggestedSeen.clear();
        message.clear();
        int next = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = m->text();
                m->close();
                return;
            }
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || d->property("answered").toBool())
                return;
            d->setProperty("answered", true);
            filtersSeen << d->nameFilters().join(QLatin1Char(';')) + QLatin1Char('/') + d->defaultSuffix();
            titlesSeen << d->windowTitle();
            suggestedSeen << QFileInfo(d->selectedFiles().value(0)).fileName();
            const QString answer = answers.value(next++);
            if (answer.isEmpty()) {
                QMetaObject::invokeMethod(d, "reject");
                return;
            }
            if (answer != QLatin1String("*"))
                d->selectFile(answer);
            QMetaObject::invokeMethod(d, "accept");
        });
        poll.start(5);
        command();
    }
    QStringList filtersSeen, titlesSeen, suggestedSeen;

    // Answers each window one command opens, in turn: the question by the
    // button with that text, a file dialog with that file name. What each
    // window was ("dialog" or the question's text) is kept in `seen`.
    QStringList seen;
    void answer(const QStringList& answers, const std::function<void()>& command)
    {
        seen.clear();
        int next = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w->property("answered").toBool())
                return;
            w->setProperty("answered", true);
            const QString a = answers.value(next++);
            if (auto* d = qobject_cast<QFileDialog*>(w)) {
                seen << QStringLiteral("dialog");
                d->selectFile(a);
                QMetaObject::invokeMethod(d, "accept");
            } else if (auto* m = qobject_cast<QMessageBox*>(w)) {
                seen << m->text();
                for (QAbstractButton* b : m->buttons())
                    if (b->text() == a)
                        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
            }
        });
        poll.start(5);
        command();
    }
    // Clicks the items of the report options menu in turn (it opens again
    // after each click), then closes it with Esc. Returns how often it opened.
    int toggleReportOptions(const QStringList& items)
    {
        int menus = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QMenu* menu = form->reportOptionsMenu();
            if (!menu || !menu->isVisible() || menu->property("seen").toBool())
                return;
            menu->setProperty("seen", true);
            if (menus < items.size()) {
                for (QAction* a : menu->actions())
                    if (a->text() == items[menus])
                        menu->setActiveAction(a);
                ++menus;
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                ++menus;
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        poll.start(5);
        form->ReportOptionsClick();
        return menus;
    }

    void typeRow0(const char* statement)
    {
        QVERIFY(form->Grid1->model()->setData(form->Grid1->model()->index(0, 1), QString::fromUtf8(statement)));
    }

    // The machine as ravx-run leaves it after a golden report case.
    void loadReportCase(const char* name)
    {
        const QString caseDir = QStringLiteral(RAVX_SOURCE_DIR "/tests/report/") + QString::fromUtf8(name);
        QFile argsFile(caseDir + QStringLiteral("/args"));
        QVERIFY(argsFile.open(QIODevice::ReadOnly));
        std::vector<std::string> args;
        for (const QString& a : QString::fromUtf8(argsFile.readAll()).simplified().split(QLatin1Char(' ')))
            args.push_back(a.toStdString());
        for (const char* extra : {"--events", "/events", "--firmware", "/firmware.dmp"})
            args.push_back(extra[0] == '/' ? (caseDir + QString::fromUtf8(extra)).toStdString() : extra);
        args.push_back((caseDir + QStringLiteral("/program.prg")).toStdString());
        Runner runner(ParseRunOptions(args));
        runner.Run();
        Simulator& from = runner.sim();
        Simulator& to = form->sim();
        static_cast<RavxState&>(to.ravx) = from.ravx.State();
        to.m = from.m;
        to.panel = from.panel;
        to.program = from.program;
        form->ProgramChanged();
        form->ShowState();
    }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        answerStartUp(nullptr, nullptr);
        form = std::make_unique<TForm1>(nullptr, path("results.ini"));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void programRoundTripThroughTheMenu()
    {
        Program& p = form->sim().program;
        p.Clear();
        p.rows[0].statement = "mov al,1";
        p.rows[0].comment = "начало";
        p.rows[7].breakpoint = true;  // a mark without a statement
        p.rows[kStatementRows].statement = "строка 1F3";  // the spare row, lines 1001/1002
        form->sim().m.InterruptAddress = 0x50;
        form->ProgramChanged();
        command("Сохранить программу", path("task3"));
        QCOMPARE(filters, QStringList{QStringLiteral("Программы (*.prg)")});
        QCOMPARE(suffix, QStringLiteral("prg"));
        QCOMPARE(form->windowTitle(), QStringLiteral("ПККИ RAVX task3.prg"));
        const QByteArray saved = bytes(path("task3.prg"));
        QCOMPARE(saved.count("\r\n"), 1002);

        p.Clear();
        form->sim().m.InterruptAddress = 100;
        form->sim().m.AX = 7;
        form->ProgramChanged();
        command("Открыть программу", path("task3.prg"));
        QVERIFY(message.isEmpty());
        QCOMPARE(p.rows[0].statement, std::string("mov al,1"));
        QCOMPARE(form->Grid1->model()->index(0, 2).data().toString(), QStringLiteral("начало"));
        QVERIFY(p.rows[7].breakpoint);
        QCOMPARE(form->sim().m.InterruptAddress, uint16_t{0x50});
        QCOMPARE(form->sim().m.AX, uint16_t{0});  // reset

        command("Сохранить программу", path("again.prg"));
        QCOMPARE(bytes(path("again.prg")), saved);
    }

    void firmwareRoundTripWithTheSuggestedName()
    {
        form->sim().ravx.Zg1[0x41] = 0x77;
        form->sim().ravx.Kg[3] = 9;
        form->sim().m.Ram[2046] = 0xBEEF;
        command("Сохранить прошивку", path("task3.dmp"));
        QCOMPARE(filters, QStringList{QStringLiteral("Прошивка (*.dmp)")});
        QCOMPARE(suffix, QStringLiteral("dmp"));
        QVERIFY2(suggested.endsWith(QStringLiteral("again.dmp")), qPrintable(suggested));  // after the last program
        const QByteArray saved = bytes(path("task3.dmp"));
        QCOMPARE(saved.size(), qsizetype(kFirmwareFileSize));

        form->sim().ravx.Zg1.fill(0);
        form->sim().ravx.Kg.fill(0);
        form->sim().m.Ram.fill(0);
        command("Загрузить прошивку", path("task3.dmp"));
        QCOMPARE(form->sim().ravx.Zg1[0x41], uint8_t{0x77});
        QCOMPARE(form->sim().m.Ram[2046], uint16_t{0xBEEF});
        command("Сохранить прошивку", path("copy.dmp"));
        QCOMPARE(bytes(path("copy.dmp")), saved);
    }

    void badFilesGiveAMessageAndChangeNothing()
    {
        QFile bad(path("bad.prg"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("x12\r\n42\r\nnop\r\n");
        bad.close();
        QFile shortDump(path("short.dmp"));
        QVERIFY(shortDump.open(QIODevice::WriteOnly));
        shortDump.write(QByteArray(100, '\x01'));
        shortDump.close();

        const Program before = form->sim().program;
        const RavxState tables = form->sim().ravx.State();
        command("Открыть программу", path("bad.prg"));
        QCOMPARE(message, QStringLiteral("Invalid numeric input"));
        QVERIFY(form->sim().program.rows == before.rows);
        command("Загрузить прошивку", path("short.dmp"));
        QCOMPARE(message, QStringLiteral("Read beyond end of file"));
        QVERIFY(form->sim().ravx.State() == tables);
    }

    void reportThroughTheMenuWritesTheGoldenFiles()
    {
        loadReportCase("display16");
        const QString golden = QStringLiteral(RAVX_SOURCE_DIR "/tests/report/display16/");
        dialogs({path("rep1"), QStringLiteral("*")}, [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QCOMPARE(filtersSeen, (QStringList{QStringLiteral("Текст программы (*.txt)/txt"),
                                           QStringLiteral("Отчет о состоянии (*.otc)/otc")}));
        QCOMPARE(titlesSeen, (QStringList{QStringLiteral("Сохранить текст программы"),
                                          QStringLiteral("Сохранить отчет о состоянии")}));
        QCOMPARE(suggestedSeen.value(1), QStringLiteral("rep1.otc"));
        QCOMPARE(bytes(path("rep1.txt")), bytes(golden + QStringLiteral("listing.txt")));
        QCOMPARE(bytes(path("rep1.otc")), bytes(golden + QStringLiteral("state.otc")));

        // "Конвертация в ДОС" from the options menu, which opens again after the click
        QCOMPARE(toggleReportOptions({QStringLiteral("Конвертация в ДОС")}), 2);
        QVERIFY(form->reportOptions().DosP);

        dialogs({path("dos.txt"), path("dos.otc")}, [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QCOMPARE(bytes(path("dos.txt")), bytes(golden + QStringLiteral("listing-dos.txt")));
        QCOMPARE(bytes(path("dos.otc")), bytes(golden + QStringLiteral("state-dos.otc")));

        // "UTF-8" unchecks "Конвертация в ДОС": one code page a file
        QCOMPARE(toggleReportOptions({QStringLiteral("UTF-8")}), 2);
        QVERIFY(form->reportOptions().Utf8P);
        QVERIFY(!form->reportOptions().DosP);
        dialogs({path("utf8.txt"), path("utf8.otc")},
                [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QCOMPARE(bytes(path("utf8.txt")), bytes(golden + QStringLiteral("listing-utf8.txt")));
        QCOMPARE(bytes(path("utf8.otc")), bytes(golden + QStringLiteral("state-utf8.otc")));
        QCOMPARE(toggleReportOptions({QStringLiteral("Конвертация в ДОС")}), 2);
        QVERIFY(!form->reportOptions().Utf8P);
        QVERIFY(form->reportOptions().DosP);

        // cancelling the listing's dialog skips only the listing
        dialogs({QString(), path("only.otc")}, [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QCOMPARE(filtersSeen.size(), 2);
        QVERIFY(QFile::exists(path("only.otc")));
        form->reportOptions().DosP = false;
    }

    // Ctrl+P after a program was saved suggests a listing of the same name,
    // never the program itself; a listing that cannot be written ends the
    // report before the state report's dialog.
    void reportSuggestsItsOwnKindAndStopsAfterAFailedWrite()
    {
        command("Сохранить программу", path("victim.prg"));
        const QByteArray program = bytes(path("victim.prg"));
        QVERIFY(!program.isEmpty());
        dialogs({QStringLiteral("*"), QString()}, [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QCOMPARE(suggestedSeen.value(0), QStringLiteral("victim.txt"));
        QCOMPARE(bytes(path("victim.prg")), program);
        QVERIFY(!bytes(path("victim.txt")).isEmpty());

        // a name the dialog takes whose temporary file's name is too long
        const QString tooLong = dir.path() + QLatin1Char('/') + QString(250, QLatin1Char('r')) + QStringLiteral(".txt");
        dialogs({tooLong, path("never.otc")},
                [&] { form->actionNamed(QStringLiteral("Генерация отчета"))->trigger(); });
        QVERIFY(!message.isEmpty());
        QCOMPARE(filtersSeen.size(), 1);
        QVERIFY(!QFile::exists(path("never.otc")));
    }

    // Leaving changed rows asks "Сохранить изменения?": "Отмена" keeps all
    // as it was, "Нет" leaves them, "Да" saves them to the program's file
    // first. Rows as they were opened or saved never ask.
    void changedRowsAskBeforeTheyAreLeft()
    {
        const QString ask = QStringLiteral("Сохранить изменения?");
        form->sim().program.Clear();
        typeRow0("mov al,2");
        answer({path("first.prg")}, [&] { form->actionNamed(QStringLiteral("Сохранить программу"))->trigger(); });
        const QByteArray first = bytes(path("first.prg"));
        answer({path("second.prg")}, [&] { form->actionNamed(QStringLiteral("Сохранить программу"))->trigger(); });

        // unchanged since the save: the open dialog comes at once
        answer({path("first.prg")}, [&] { form->actionNamed(QStringLiteral("Открыть программу"))->trigger(); });
        QCOMPARE(seen, QStringList{QStringLiteral("dialog")});

        typeRow0("mov al,3");
        answer({QStringLiteral("Отмена")}, [&] { QVERIFY(!form->close()); });
        QCOMPARE(seen, QStringList{ask});
        QVERIFY(form->isVisible());
        answer({QStringLiteral("Отмена")}, [&] { form->actionNamed(QStringLiteral("Открыть программу"))->trigger(); });
        QCOMPARE(seen, QStringList{ask});  // no open dialog after "Отмена"
        QCOMPARE(form->sim().program.rows[0].statement, std::string("mov al,3"));

        // "Нет": the other program is opened, the change is gone
        answer({QStringLiteral("Нет"), path("second.prg")},
               [&] { form->actionNamed(QStringLiteral("Открыть программу"))->trigger(); });
        QCOMPARE(seen, (QStringList{ask, QStringLiteral("dialog")}));
        QCOMPARE(form->sim().program.rows[0].statement, std::string("mov al,2"));
        QCOMPARE(bytes(path("first.prg")), first);

        // "Да": saved into second.prg, the program open, before first.prg opens
        typeRow0("mov al,4");
        answer({QStringLiteral("Да"), path("first.prg")},
               [&] { form->actionNamed(QStringLiteral("Открыть программу"))->trigger(); });
        QCOMPARE(seen, (QStringList{ask, QStringLiteral("dialog")}));
        QVERIFY(bytes(path("second.prg")).contains("mov al,4"));
        QCOMPARE(form->sim().program.rows[0].statement, std::string("mov al,2"));

        // the window closes without a question, and after "Нет"
        QVERIFY(form->close());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        typeRow0("mov al,5");
        answer({QStringLiteral("Нет")}, [&] { QVERIFY(form->close()); });
        QCOMPARE(seen, QStringList{ask});
        QVERIFY(!form->isVisible());
    }

    // The dialogs speak Russian in any locale of the machine: the type of a
    // folder and the dates too.
    void fileDialogsSpeakRussian()
    {
        InstallRussian();
        form->sim().MarkProgramSaved();  // no question before the dialog
        QDir(dir.path()).mkdir(QStringLiteral("папка"));
        QString type, date, button;
        int polls = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            auto* view = d->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
            QAbstractItemModel* model = view ? view->model() : nullptr;
            for (int r = 0; model && r < model->rowCount(view->rootIndex()); ++r) {
                const QModelIndex name = model->index(r, 0, view->rootIndex());
                if (name.data().toString() == QStringLiteral("папка")) {
                    type = model->index(r, 2, view->rootIndex()).data().toString();
                    date = model->index(r, 3, view->rootIndex()).data().toString();
                }
            }
            if (auto* box = d->findChild<QDialogButtonBox*>())
                button = box->button(QDialogButtonBox::Cancel)->text();
            if (!type.isEmpty() || ++polls > 250)
                QMetaObject::invokeMethod(d, "reject");
        });
        poll.start(20);
        form->actionNamed(QStringLiteral("Открыть программу"))->trigger();
        QCOMPARE(type, QStringLiteral("Папка"));
        QCOMPARE(button, QStringLiteral("Отмена"));
        const QDateTime modified = QFileInfo(dir.filePath(QStringLiteral("папка"))).lastModified();
        QCOMPARE(date, QLocale(QLocale::Russian, QLocale::Russia).toString(modified, QLocale::ShortFormat));
    }

    // "ravx FILE.prg": the program opens once the entry test, the settings
    // and the port message are done; a relative name counts from where the
    // program was started.
    void aFileGivenAtStartOpensAfterTheStartUpWindows()
    {
        TForm1 started(nullptr, path("results-start.ini"));
        started.setStartFile(path("first.prg"));
        QString portMessage;
        answerStartUp(nullptr, &portMessage);
        started.show();
        QVERIFY(QTest::qWaitForWindowExposed(&started));
        QTRY_VERIFY(!portMessage.isEmpty() && !QApplication::activeModalWidget());
        QCOMPARE(started.sim().program.rows[0].statement, std::string("mov al,2"));
        QCOMPARE(started.windowTitle(), QStringLiteral("ПККИ RAVX first.prg"));
        QVERIFY(!started.sim().ProgramChangedSinceSaved());
    }

    // A .prg or .dmp dropped on the window opens as the menu command would;
    // other files are not taken.
    void droppedFilesOpenAsTheMenuWould()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->sim().MarkProgramSaved();
        auto drop = [&](const QString& file) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &dropped);
            return dropped.isAccepted();
        };
        QVERIFY(drop(path("second.prg")));
        QTRY_COMPARE(form->sim().program.rows[0].statement, std::string("mov al,4"));
        QCOMPARE(form->windowTitle(), QStringLiteral("ПККИ RAVX second.prg"));

        form->sim().ravx.Zg1[0x41] = 0;
        QVERIFY(drop(path("task3.dmp")));
        QTRY_COMPARE(form->sim().ravx.Zg1[0x41], uint8_t{0x77});

        QFile notes(path("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        QVERIFY(!drop(path("notes.txt")));
    }

    void dialogsStartWhereAStudentMayWrite()
    {
        QCOMPARE(FirstDialogFolder(dir.path()), QFileInfo(dir.path()).absoluteFilePath());
        QCOMPARE(FirstDialogFolder(dir.filePath(QStringLiteral("нет такой папки"))), QDir::homePath());
        QFile plain(path("plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(FirstDialogFolder(path("plain.txt")), QDir::homePath());  // a file is no folder
    }

    void cleanupTestCase() { form.reset(); }
};

int main(int argc, char** argv)
{
    ravx::PrepareRussianDates();  // before the application, as the program does
    QApplication app(argc, argv);
    FilesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_files.moc"
