// The help window on the built ravx.hlp and the about box, under the
// offscreen platform. With RAVX_SCREENSHOT_DIR set (run under Xvfb with the
// xcb platform) the test also saves help.png, about.png and thanks.png there.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "training/About.h"
#include "training/HelpWindow.h"

using namespace ravx;

namespace {

// Runs `action` on the next modal window that appears.
void onNextModal(std::function<void(QWidget*)> action, int tries = 200)
{
    QTimer::singleShot(10, [action = std::move(action), tries]() mutable {
        if (QWidget* w = QApplication::activeModalWidget())
            action(w);
        else if (tries > 0)
            onNextModal(std::move(action), tries - 1);
    });
}

void saveScreenshot(QWidget* w, const char* name)
{
    const QString dir = qEnvironmentVariable("RAVX_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(w->grab().save(QDir(dir).filePath(QString::fromLatin1(name))));
}

void doubleClickPicture(TAboutBox& box, int times)
{
    for (int i = 0; i < times; ++i)
        QTest::mouseDClick(box.ProgramIcon, Qt::LeftButton);
}

}  // namespace

class HelpGuiTest : public QObject {
    Q_OBJECT

private slots:
    void opensTheGeneralAndTheTasksTopic()
    {
        HelpWindow window;
        QString error;
        QVERIFY2(window.Load(QStringLiteral(RAVX_HELP_FILE), &error), qPrintable(error));
        QVERIFY(window.ShowContext(HelpWindow::kGeneralContext));
        QCOMPARE(window.CurrentContext(), 1);
        QVERIFY(window.CurrentTitle().startsWith(QStringLiteral("Помощь")));
        QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("Порядок работы")));
        QVERIFY(window.ShowContext(HelpWindow::kTasksContext));
        QCOMPARE(window.CurrentContext(), 7);
        QVERIFY(window.CurrentTitle().startsWith(QStringLiteral("Задание")));
        QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("ravx.zad")));
        QCOMPARE(window.Contents()->currentItem()->text(), window.CurrentTitle());
        QVERIFY(!window.ShowContext(9999));
        QCOMPARE(window.CurrentContext(), 7);
    }

    void linksBackForwardSearchAndFontSize()
    {
        HelpWindow window;
        QString error;
        QVERIFY(window.Load(QStringLiteral(RAVX_HELP_FILE), &error));
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.ShowContext(1);
        emit window.Browser()->anchorClicked(QUrl(QStringLiteral("#context-13")));
        QCOMPARE(window.CurrentContext(), 13);
        QVERIFY(window.GoBack());
        QCOMPARE(window.CurrentContext(), 1);
        QVERIFY(window.GoForward());
        QCOMPARE(window.CurrentContext(), 13);
        QVERIFY(!window.GoForward());

        QVERIFY(window.FindNext(QStringLiteral("CLEARMEM")));
        QVERIFY(window.Browser()->textCursor().hasSelection());
        QVERIFY(!window.FindNext(QStringLiteral("такого текста в справке нет")));

        window.ShowContext(1);
        const int size = window.FontPointSize();
        QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(window.FontPointSize(), size + 1);
        QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window.FontPointSize(), size - 1);
        QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
        saveScreenshot(&window, "help.png");
    }

    void missingOrDamagedFileGivesAMessage()
    {
        HelpWindow window;
        QString error;
        QTemporaryDir dir;
        QVERIFY(!window.Load(dir.filePath(QStringLiteral("ravx.hlp")), &error));
        QVERIFY(error.contains(QStringLiteral("не найден")));
        QFile damaged(dir.filePath(QStringLiteral("damaged.hlp")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("<html><div class=\"topic\" id=\"context-1\">\xff\xfe no end");
        damaged.close();
        QVERIFY(!window.Load(damaged.fileName(), &error));
        QVERIFY(error.contains(QStringLiteral("поврежден")));

        // OpenHelp looks beside the executable, where the test has no help file.
        QVERIFY(!QFile::exists(HelpFilePath()));
        QWidget parent;
        QString shown;
        onNextModal([&shown](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w))
                shown = box->text();
            w->close();
        });
        OpenHelp(&parent, HelpWindow::kGeneralContext);
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY(shown.contains(QStringLiteral("ravx.hlp")));
        QVERIFY(shown.contains(QStringLiteral("не найден")));
        QVERIFY(!parent.findChild<HelpWindow*>());
    }

    void openHelpFindsTheFileBesideTheExecutable()
    {
        QVERIFY(QFile::copy(QStringLiteral(RAVX_HELP_FILE), HelpFilePath()));
        QWidget parent;
        OpenHelp(&parent, HelpWindow::kTasksContext);
        auto* window = parent.findChild<HelpWindow*>();
        QVERIFY(window);
        QCOMPARE(window->CurrentContext(), 7);
        OpenHelp(&parent, HelpWindow::kGeneralContext);
        QCOMPARE(parent.findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(window->CurrentContext(), 1);
        QFile::remove(HelpFilePath());
    }

    void thanksLayoutFollowsTheScreenHeight_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("lastTop");
        QTest::addColumn<int>("yellow");
        QTest::newRow("480") << 480 << 8 << 450 << 0;
        QTest::newRow("600") << 600 << 11 << 565 << 0;
        QTest::newRow("768") << 768 << 15 << 730 << 4;
        QTest::newRow("1024") << 1024 << 19 << 890 << 8;
    }
    void thanksLayoutFollowsTheScreenHeight()
    {
        QFETCH(int, height);
        QFETCH(int, lines);
        QFETCH(int, lastTop);
        QFETCH(int, yellow);
        const ThanksText text = LoadThanksText();
        QVERIFY(!text.title.isEmpty());
        QCOMPARE(text.lines.size(), 18);
        const auto layout = ThanksLayout(text, height);
        QCOMPARE(layout.size(), lines);
        QCOMPARE(layout.first().top, 180);
        QCOMPARE(layout.first().text, text.title);
        QCOMPARE(layout.last().top, lastTop);
        const auto yellowLines = std::count_if(layout.begin(), layout.end(),
                                               [](const ThanksLine& l) { return l.color == QColor(Qt::yellow); });
        QCOMPARE(int(yellowLines), yellow);
        for (const auto& line : layout)
            QCOMPARE(line.pointSize, line.top == 565 ? 15 : 20);
    }

    void fifthDoubleClickShowsTheThanksScreen()
    {
        TAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(box.size(), QSize(208, 207));
        QVERIFY(!box.ProgramIcon->pixmap().isNull());
        saveScreenshot(&box, "about.png");

        doubleClickPicture(box, 4);
        QVERIFY(!box.ThanksScreen());
        doubleClickPicture(box, 1);
        QPointer<TThanksScreen> thanks = box.ThanksScreen();
        QVERIFY(thanks);
        QVERIFY(thanks->isVisible());
        QCOMPARE(thanks->geometry(), box.screen()->geometry());
        QVERIFY(thanks->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(thanks->windowFlags() & Qt::WindowStaysOnTopHint);
        saveScreenshot(thanks, "thanks.png");
        QTest::mouseClick(thanks, Qt::LeftButton);
        QTRY_VERIFY(!thanks);

        doubleClickPicture(box, 4);
        QVERIFY(!box.ThanksScreen());
        doubleClickPicture(box, 1);  // the tenth
        thanks = box.ThanksScreen();
        QVERIFY(thanks);
        QTest::keyClick(thanks, Qt::Key_Space);
        QTRY_VERIFY(!thanks);

        doubleClickPicture(box, 5);  // and losing the focus takes it away too
        thanks = box.ThanksScreen();
        QVERIFY(thanks);
        QVERIFY(QTest::qWaitForWindowActive(thanks));
        box.activateWindow();
        QTRY_VERIFY(!thanks);

        doubleClickPicture(box, 3);
        box.OKButton->click();
        QVERIFY(!box.isVisible());
        box.show();  // the count starts afresh
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        doubleClickPicture(box, 4);
        QVERIFY(!box.ThanksScreen());
        doubleClickPicture(box, 1);
        QVERIFY(box.ThanksScreen());
    }
};

QTEST_MAIN(HelpGuiTest)
#include "test_help_gui.moc"
