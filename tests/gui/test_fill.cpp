// The fill dialog and the display RAM view as the student uses them: a
// character chosen from the list reaches the indicator through its generator,
// "Ввод" refuses a value too big, the go-to entry, "Очистить", the segment
// entry mode through the viewer, and the view following a data write.
// With RAVX_FILL_SHOTS set to a folder, both windows are saved there.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "controller/MOZU.h"
#include "controller/Timer_chars.h"
#include "controller/ZGfill.h"
#include "controller/semi_.h"
#include "mainwindow/Simulator.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;

namespace {
// Records the errors instead of showing the error window; tells the display
// RAM view when the display RAM changes, as the main window does.
class RecordingHost : public Host {
public:
    void reportError(uint8_t code) override { errors.push_back(code); }
    void displayRamChanged() override
    {
        if (view)
            view->Refresh();
    }
    void fillDialogListEnabled(bool enabled, int uses) override
    {
        if (dialog)
            dialog->SetListEnabled(enabled, uses);
    }
    std::vector<uint8_t> errors;
    TForm3* view = nullptr;
    TForm4* dialog = nullptr;
};
}  // namespace

class FillTest : public QObject {
    Q_OBJECT

private:
    RecordingHost host;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<TForm4> dialog;
    std::unique_ptr<TForm3> view;

    // Writes `byte` into display RAM entry 0 through the ports, then steps
    // until the scan has shown entry 0 (at most one full scan).
    void writeAndShow(const char* byte)
    {
        const char* rows[] = {"mov al,08h", "out 2bh,al", "mov al,90h", "out 2bh,al", "mov al,", "out 2ah,al"};
        for (int i = 0; i < 6; ++i)
            sim->program.rows[i].statement = rows[i];
        sim->program.rows[4].statement += byte;
        for (int i = 6; i < 40; ++i)
            sim->program.rows[i].statement = "mov bl,0";
        sim->ResetKey();
        for (int i = 0; i < 6; ++i)
            QVERIFY(sim->Step());
        for (int i = 0; i < 17 && sim->ravx.DisplayPos != 0; ++i)
            QVERIFY(sim->Step());
    }
    QModelIndex cell(int row) const { return dialog->ZGGrid->model()->index(row, FillModel::kValue); }
    QString cellText(int row) const { return cell(row).data().toString(); }
    void showDialog(FillTarget target)
    {
        dialog->Load(target);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        // offscreen keeps the platform window active across a hide, so the
        // application may not have made it its active window again
        if (QApplication::activeWindow() != dialog.get())
            QApplication::setActiveWindow(dialog.get());
        dialog->ZGGrid->setFocus();
        QCOMPARE(QApplication::focusWidget(), dialog->ZGGrid);
    }
    void typeIntoGrid(const QString& text)
    {
        for (QChar ch : text) {
            QWidget* target = QApplication::focusWidget();  // the first key opens the cell editor
            QVERIFY(target);
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, ch, Qt::NoModifier);
        }
    }
    int listItem(const QString& text) const
    {
        for (int k = 0; k < dialog->LB->count(); ++k)
            if (dialog->LB->item(k)->text() == text)
                return k;
        return -1;
    }

private slots:
    void initTestCase()
    {
        sim = std::make_unique<Simulator>(host);
        sim->ravx.Seed(1);
        sim->ravx.PortBase = 0x2A;
        dialog = std::make_unique<TForm4>(sim->ravx, sim->m, host);
        view = std::make_unique<TForm3>(sim->ravx);
        host.dialog = dialog.get();
        host.view = view.get();
    }
    void init()
    {
        host.errors.clear();
        sim->ResetKey();
    }
    void cleanup()
    {
        dialog->hide();
        view->hide();
    }

    void listCharacterShowsThroughGenerator1()
    {
        showDialog(FillTarget::Zg1);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Заполнение ЗГ1"));
        dialog->ZGGrid->setCurrentIndex(cell(0x41));
        const int a = listItem(QStringLiteral("A"));
        QVERIFY(a > 0);
        dialog->LB->setCurrentRow(a);
        QTest::keyClick(dialog->LB, Qt::Key_Return);
        QCOMPARE(cellText(0x41), QStringLiteral("167"));
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(sim->ravx.Zg1[0x41], 0x77);

        sim->ravx.ApplyGeneratorSettings(1, false);
        writeAndShow("41h");
        QCOMPARE(std::string(sim->panel.Indicator[0][0].view()), std::string("A"));
        QCOMPARE(std::string(sim->panel.ZGOutL.view()), std::string("01110111"));
        sim->ravx.ApplyGeneratorSettings(0, false);
    }

    void enterRefusesTooBigValue()
    {
        sim->ravx.Zg2.fill(0);
        showDialog(FillTarget::Zg2);
        dialog->ZGGrid->setCurrentIndex(cell(3));
        typeIntoGrid(QStringLiteral("12"));
        dialog->ZGGrid->setCurrentIndex(cell(5));
        typeIntoGrid(QStringLiteral("400"));
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        QCOMPARE(host.errors, std::vector<uint8_t>{12});
        QCOMPARE(sim->m.ErrorCode, uint8_t(12));
        QCOMPARE(dialog->ZGGrid->currentIndex().row(), 5);
        QVERIFY(dialog->isVisible());
        QCOMPARE(cellText(3), QStringLiteral("12"));
        for (uint8_t v : sim->ravx.Zg2)
            QCOMPARE(v, uint8_t(0));  // nothing stored, not even the good cell
    }

    void typedCharactersAboveFAreDiscarded()
    {
        showDialog(FillTarget::Zg3);
        dialog->ZGGrid->setCurrentIndex(cell(1));
        typeIntoGrid(QStringLiteral("1zЖ2-7"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor commits through a queued call
        QCOMPARE(cellText(1), QStringLiteral("127"));
    }

    void ctrlGoToJumpsToEntry16()
    {
        showDialog(FillTarget::Kg);
        QVERIFY(dialog->GoLabC->isHidden());
        QTest::keyPress(dialog->ZGGrid, Qt::Key_Control);
        // digit keys while Ctrl stays down (keyClick would press and release Ctrl around each)
        for (Qt::Key key : {Qt::Key_2, Qt::Key_0})
            for (bool press : {true, false})
                QTest::simulateEvent(dialog->ZGGrid, press, key, Qt::ControlModifier, QString(QChar(key)), false, 0);
        QVERIFY(dialog->GoLabC->isVisible());
        QCOMPARE(dialog->GoLab->text(), QStringLiteral("20"));
        QTest::keyRelease(dialog->ZGGrid, Qt::Key_Control);
        QCOMPARE(dialog->ZGGrid->currentIndex().row(), 16);
        QVERIFY(dialog->GoLabC->isHidden());
        QCOMPARE(cellText(16), QStringLiteral("000"));  // the digits went to the jump, not the cell
    }

    void clearThenEnterZeroesTheTarget()
    {
        for (std::size_t i = 0; i < sim->ravx.Kg.size(); ++i)
            sim->ravx.Kg[i] = static_cast<uint8_t>(i);
        showDialog(FillTarget::Kg);
        QCOMPARE(cellText(255), QStringLiteral("377"));
        QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
        QCOMPARE(cellText(255), QStringLiteral("000"));
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        QVERIFY(host.errors.empty());
        QVERIFY(!dialog->isVisible());
        for (uint8_t v : sim->ravx.Kg)
            QCOMPARE(v, uint8_t(0));
    }

    void dataRamWordsInBothBases()
    {
        sim->m.Ram[513] = 0xBEEF;
        showDialog(FillTarget::DataRam);
        dialog->CheckBox1->setChecked(true);
        dialog->CheckBox2->setChecked(true);
        QCOMPARE(dialog->ZGGrid->model()->index(513, FillModel::kNumber).data().toString(), QStringLiteral("201"));
        QCOMPARE(cellText(513), QStringLiteral("BEEF"));
        dialog->CheckBox1->setChecked(false);
        dialog->CheckBox2->setChecked(false);
        QCOMPARE(dialog->ZGGrid->model()->index(513, FillModel::kNumber).data().toString(), QStringLiteral("1001"));
        QCOMPARE(cellText(513), QStringLiteral("137357"));
    }

    void segmentEntryThroughTheViewer()
    {
        // strobed input mode (CW0) disables the list and gives three uses
        sim->ravx.WritePort(PortRegister::Command, kModeStrobed << kCw0ModeShift);
        QVERIFY(!dialog->LB->isEnabled());
        sim->ravx.Zg4[0] = 0x06;
        showDialog(FillTarget::Zg4);
        dialog->ZGGrid->setCurrentIndex(cell(0));
        QTest::mouseDClick(dialog->ZGGrid->viewport(), Qt::LeftButton, {},
                           dialog->ZGGrid->visualRect(cell(0)).center());
        QVERIFY(!dialog->ZGGrid->Editing());
        // Esc spends nothing and leaves the cell
        onNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QTest::keyClick(dialog->ZGGrid, Qt::Key_5);
        QCOMPARE(dialog->sheet().SegmentUses(), 3);
        QCOMPARE(cellText(0), QStringLiteral("006"));
        // "Закрыть" spends a use; the viewer showed the cell's code
        for (int used = 1; used <= 3; ++used) {
            QString shown;
            onNextModal([this, &shown](QWidget* w) {
                shown = dialog->viewer()->Label1->text();
                QTest::mouseClick(w->findChild<QPushButton*>(), Qt::LeftButton);
            });
            QTest::keyClick(dialog->ZGGrid, Qt::Key_1);
            QCOMPARE(shown, QStringLiteral("00000110  (006)"));
            QVERIFY(!dialog->ZGGrid->Editing());
            QCOMPARE(dialog->sheet().SegmentUses(), 3 - used);
        }
        QVERIFY(dialog->LB->isEnabled());
        QCOMPARE(cellText(0), QStringLiteral("006"));
    }

    void displayRamViewFollowsDataWrite()
    {
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QCOMPARE(view->windowTitle(), QStringLiteral("ОЗУ индикации"));
        QSignalSpy repaints(view->model(), &QAbstractItemModel::dataChanged);
        writeAndShow("5Ah");
        QVERIFY(!repaints.isEmpty());
        QAbstractItemModel* m = view->MOZU->model();
        // the heading, sixteen entries and an empty row under them
        QCOMPARE(m->rowCount(), 18);
        QVERIFY(m->index(17, 0).data().toString().isEmpty());
        QVERIFY(m->index(17, 3).data().toString().isEmpty());
        QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("3.0"));
        QCOMPARE(m->index(1, 0).data().toString(), QStringLiteral("00"));
        QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("05"));
        QCOMPARE(m->index(1, 2).data().toString(), QStringLiteral("12"));
        QCOMPARE(m->index(1, 3).data().toString(), QStringLiteral("132"));
        // on the round mark: a radio button wider than its text takes clicks there only
        const QPoint mark(8, view->SS16->height() / 2);
        QTest::mouseClick(view->SS16, Qt::LeftButton, {}, mark);
        QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("50"));
        QCOMPARE(m->index(1, 2).data().toString(), QStringLiteral("0A"));
        QCOMPARE(m->index(1, 3).data().toString(), QStringLiteral("5A"));
        if (const QByteArray dir = qgetenv("RAVX_FILL_SHOTS"); !dir.isEmpty())
            QVERIFY(view->grab().save(QString::fromLocal8Bit(dir) + "/displayram.png"));
        QTest::mouseClick(view->SS8, Qt::LeftButton, {}, mark);
        QVERIFY(view->SS8->isChecked());
    }

    void smallGeneratorHasSixteenRows()
    {
        for (int i = 0; i < 16; ++i)
            sim->ravx.Zg3[i] = kCharTable[i + 1].code;
        showDialog(FillTarget::Zg3);
        QAbstractItemModel* m = dialog->ZGGrid->model();
        QCOMPARE(m->rowCount(), 16);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("№"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Код"));
        QCOMPARE(m->index(15, 0).data().toString(), QStringLiteral("017"));
        QCOMPARE(cellText(1), QStringLiteral("007"));
        dialog->CheckBox1->setChecked(true);
        QCOMPARE(m->index(15, 0).data().toString(), QStringLiteral("0F"));
        dialog->CheckBox1->setChecked(false);
        dialog->ZGGrid->setCurrentIndex(cell(4));
        if (const QByteArray dir = qgetenv("RAVX_FILL_SHOTS"); !dir.isEmpty())
            QVERIFY(dialog->grab().save(QString::fromLocal8Bit(dir) + "/fill.png"));
    }
};

QTEST_MAIN(FillTest)
#include "test_fill.moc"
