// The tasks window on the built task file: switching kinds shows and hides
// П1/П2 and the grids, marked groups keep their marks, and a missing file
// gives its message and changes nothing.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "training/Unit7.h"

using namespace ravx;

class TasksWindowTest : public QObject {
    Q_OBJECT

    QString port = QStringLiteral("2A");
    std::unique_ptr<TForm7> form;

    // Closes the next message box, once it is up, and gives back its text.
    static void CloseNextMessage(QString* text)
    {
        constexpr int kRetryMs = 10;
        QTimer::singleShot(kRetryMs, [text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                CloseNextMessage(text);
                return;
            }
            *text = box->text();
            box->accept();
        });
    }

    void choose(int task, int kind)
    {
        form->ED->setValue(task);
        form->ComboBox1->setCurrentIndex(kind);
        emit form->ComboBox1->activated(kind);  // as a choice in the list does
    }

private slots:
    void init()
    {
        port = QStringLiteral("2A");
        form = std::make_unique<TForm7>([this] { return port; });
        form->SetTaskFolder(QFileInfo(QStringLiteral(RAVX_TASK_FILE)).absolutePath());
        form->show();
        form->FormActivate();
    }

    void cleanup() { form.reset(); }

    void firstActivationShowsTaskOneStandard()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Задания"));
        QCOMPARE(form->ComboBox1->currentText(), QStringLiteral("Стандартная"));
        QCOMPARE(form->ED->value(), 1);
        QCOMPARE(form->StringGrid1->item(0, 0)->text(), QStringLiteral("H"));
        QCOMPARE(form->PPOP->text(), QStringLiteral("064"));
        QCOMPARE(form->IO->text(), QStringLiteral("2A"));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void switchingKindsShowsAndHidesP1P2()
    {
        choose(22, 4);
        QVERIFY(form->P1->isVisible());
        QVERIFY(form->Edit2->isVisible());
        QVERIFY(!form->StringGrid1->isVisible());
        QVERIFY(!form->StringGrid2->isVisible());
        QCOMPARE(form->KOD->text(), QStringLiteral("*"));
        QCOMPARE(form->OZU->text(), QStringLiteral("*"));
        QCOMPARE(form->MD->text(), QStringLiteral("Нет"));
        QVERIFY(form->Edit1->text().startsWith(QStringLiteral("Код строки 1")));

        choose(22, 0);
        QVERIFY(!form->P1->isVisible());
        QVERIFY(!form->Edit2->isVisible());
        QVERIFY(form->StringGrid1->isVisible());
        QCOMPARE(form->MD->text(), QStringLiteral("*"));
        QCOMPARE(form->KOD->text(), QStringLiteral("Нет"));
        QCOMPARE(form->OZU->text(), QStringLiteral("16сс"));
        QCOMPARE(form->LIN->text(), QStringLiteral("2"));
    }

    // Task 3 "(12)-(34)" in "Игровая": the first group red, the second green.
    // With RAVX_SCREENSHOT set the window is saved there.
    void groupsAreMarkedInTurn()
    {
        port = QStringLiteral("50");
        choose(3, 1);
        const int marks[] = {1, 1, 0, 254, 254, 0};
        const char* texts[] = {"1", "2", "-", "3", "4", ""};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(form->StringGrid1->item(0, c)->text(), QString::fromUtf8(texts[c]));
            QCOMPARE(form->StringGrid1->item(0, c)->data(Qt::UserRole).toInt(), marks[c]);
        }
        QCOMPARE(form->IO->text(), QStringLiteral("50"));
        QCOMPARE(form->IND->text(), QStringLiteral("Co cт. разрядов"));
        if (const QByteArray path = qgetenv("RAVX_SCREENSHOT"); !path.isEmpty())
            QVERIFY(form->grab().save(QString::fromLocal8Bit(path)));
    }

    void missingFileGivesItsMessageAndChangesNothing()
    {
        choose(5, 0);
        const QString kol = form->KOL->text();
        QTemporaryDir empty;
        form->SetTaskFolder(empty.path());
        port = QStringLiteral("77");
        QString text;
        CloseNextMessage(&text);
        form->FormActivate();
        QCOMPARE(text, QStringLiteral("Файл задания ravx.zad отсутствует в каталоге ") + empty.path() +
                           QStringLiteral("/ или не доступен для чтения."));
        QCOMPARE(form->IO->text(), QStringLiteral("2A"));
        QCOMPARE(form->KOL->text(), kol);
        QCOMPARE(form->StringGrid1->item(0, 0)->text(), QStringLiteral("0"));

        CloseNextMessage(&text);
        form->ED->setValue(6);
        QCOMPARE(text, QStringLiteral("File not open"));
        QCOMPARE(form->IO->text(), QStringLiteral("2A"));
    }
};

QTEST_MAIN(TasksWindowTest)
#include "test_tasks_window.moc"
