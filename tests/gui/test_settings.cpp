// The settings dialog, the stack view and the data RAM view in the real main
// window: the first showing at start-up, the port a group and machine give,
// the generator pair, the views following the machine, the data RAM view's
// go-to entry. With RAVX_SCREENSHOT_DIR set, the windows are saved there.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "machine/Unit2.h"
#include "mainwindow/ShowOZU.h"
#include "mainwindow/Stack_m.h"
#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "mainwindow/options.h"
#include "tests/gui/GuiHelpers.h"

using namespace ravx;
using namespace ravx::guitest;

class SettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;  // the results store of these tests
    std::unique_ptr<TForm1> form;
    bool firstCancelEnabled = true;
    QString firstAddress, firstPort, portMessage;

    void save(QWidget* w, const char* name)
    {
        if (const QByteArray dir = qgetenv("RAVX_SCREENSHOT_DIR"); !dir.isEmpty())
            QVERIFY(w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name)));
    }
    void setProgram(const QStringList& rows)
    {
        form->sim().program.Clear();
        for (int i = 0; i < rows.size(); ++i)
            form->sim().program.rows[i].statement = rows[i].toStdString();
        form->ProgramChanged();
        form->ResetKey();
    }
    // Opens "Настройка" → "Работа программы", lets `edit` change the fields and
    // presses "Ввод" (or "Отмена").
    void settings(const std::function<void(Toption*)>& edit, bool confirm = true)
    {
        onNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Toption*>(w);
            QVERIFY(d);
            edit(d);
            (confirm ? d->Button2 : d->Button1)->click();
        });
        form->actionNamed(QStringLiteral("Работа программы"))->trigger();
        QVERIFY(!QApplication::activeModalWidget());
    }

private slots:
    void initTestCase()
    {
        InstallFontFallbacks();
        answerStartUp(
            [this](Toption* d) {
                firstCancelEnabled = d->Button1->isEnabled();
                firstAddress = d->AddressEdit->text();
                firstPort = d->PortEdit->text();
                d->reject();  // Esc may not leave it this first time
                QVERIFY(d->isVisible());
                save(d, "settings.png");
            },
            &portMessage);
        form = std::make_unique<TForm1>(nullptr, storeDir.filePath(QStringLiteral("results.ini")));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(!portMessage.isEmpty());
    }

    void firstShowingCannotBeCancelled()
    {
        QVERIFY(!firstCancelEnabled);
        QCOMPARE(firstAddress, QStringLiteral("064"));
        QCOMPARE(firstPort, QStringLiteral("2A"));
        QCOMPARE(portMessage, QStringLiteral("Номер порта ввода/вывода для работы: 2A(Hex)"));
        QCOMPARE(form->sim().ravx.PortBase, uint16_t{0x2A});
        QCOMPARE(form->settingsDialog()->windowTitle(), QStringLiteral("Настройка"));
    }

    void groupAndMachineGiveThePortTheProgramUses()
    {
        QString shown;
        settings([&](Toption* d) {
            QVERIFY(d->Button1->isEnabled());
            d->GroupList->setCurrentIndex(8);     // 9
            d->MachineList->setCurrentIndex(19);  // 20
            shown = d->PortEdit->text();
        });
        QCOMPARE(shown, QStringLiteral("90"));
        QCOMPARE(form->sim().ravx.PortBase, uint16_t{0x90});
        setProgram({"in al,91h"});  // the status port above it
        form->BitBtn1Click();
        QCOMPARE(form->sim().m.AX & 0xFF, 0x10);  // FIFO empty
        QCOMPARE(form->labelNamed(QStringLiteral("CS"))->text(), QStringLiteral("0"));
        settings([](Toption* d) {
            d->GroupList->setCurrentIndex(0);
            d->MachineList->setCurrentIndex(0);
        });
        QCOMPARE(form->sim().ravx.PortBase, uint16_t{0x2A});
    }

    void generatorPairGivesTwoIndicatorRows()
    {
        settings([](Toption* d) { d->Generators->button(3)->click(); });
        QCOMPARE(form->sim().panel.DGridRows, 2);
        QVERIFY(form->labelNamed(QStringLiteral("ZGOutL1"))->isVisible());
        QCOMPARE(form->labelNamed(QStringLiteral("NumZGL"))->text(), QStringLiteral("Номер знакогенератора:3"));
        settings([](Toption* d) { d->Generators->button(0)->click(); });
        QCOMPARE(form->sim().panel.DGridRows, 1);
        QVERIFY(!form->labelNamed(QStringLiteral("ZGOutL1"))->isVisible());
    }

    void addressAboveTheLimitKeepsTheDialogOpen()
    {
        int errorWindows = 0;
        bool stayed = false;
        onNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Toption*>(w);
            QVERIFY(d);
            d->AddressEdit->setText(QStringLiteral("1F4"));
            onNextModal([&](QWidget* e) {
                errorWindows += qobject_cast<TErrW*>(e) != nullptr;
                QTest::keyClick(e, Qt::Key_Space);
            });
            d->Button2->click();
            stayed = d->isVisible();
            d->AddressEdit->setText(QStringLiteral("1f3"));
            d->Button2->click();
        });
        form->N14Click();
        QCOMPARE(errorWindows, 1);
        QVERIFY(stayed);
        QCOMPARE(form->sim().m.InterruptAddress, uint16_t{0x1F3});
        settings([](Toption* d) { d->AddressEdit->setText(QStringLiteral("064")); });
        QCOMPARE(form->sim().m.InterruptAddress, uint16_t{100});
    }

    void addressFieldTakesHexadecimalDigitsOnly()
    {
        QString typed;
        settings(
            [&](Toption* d) {
                d->AddressEdit->clear();
                d->AddressEdit->setFocus();
                for (QChar c : QStringLiteral("1xg f3"))
                    QTest::sendKeyEvent(QTest::Click, d->AddressEdit, Qt::Key_unknown, c, Qt::NoModifier);
                typed = d->AddressEdit->text();
            },
            false);
        QCOMPARE(typed, QStringLiteral("1F3"));
        QCOMPARE(form->sim().m.InterruptAddress, uint16_t{100});  // cancelled
    }

    void autoReleaseActsAtOnceEvenWhenCancelled()
    {
        QVERIFY(form->sim().panel.AutoRelease);
        settings([](Toption* d) { d->AutoUpC->click(); }, false);
        QVERIFY(!form->sim().panel.AutoRelease);
        settings([](Toption* d) { d->AutoUpC->click(); }, false);
        QVERIFY(form->sim().panel.AutoRelease);
        settings([](Toption* d) { d->ShiftC->click(); }, false);
        QVERIFY(!form->sim().settings.ShiftMode);  // the others wait for "Ввод"
    }

    void stackViewFollowsAPush()
    {
        setProgram({"mov ax,1234h", "push ax", "pop bx"});
        form->N10Click();
        TStack* view = form->stackView();
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QStringLiteral("Стек"));
        QAbstractItemModel* model = view->Grid->model();
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("01FE"));
        QCOMPARE(model->index(255, 0).data().toString(), QStringLiteral("0000"));
        form->BitBtn1Click();
        form->BitBtn1Click();
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("1234"));
        save(view, "stack.png");
        view->close();
    }

    void dataRamViewFollowsStoresAndGoesToAnAddress()
    {
        setProgram({"mov ax,0beefh", "mov [2046],ax"});
        form->N11Click();
        TShowZU* view = form->dataRamView();
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QStringLiteral("ОЗУ данных"));
        QAbstractItemModel* model = view->Grid->model();
        form->BitBtn1Click();
        form->BitBtn1Click();
        QCOMPARE(model->index(2046, 1).data().toString(), QStringLiteral("BEEF"));
        QCOMPARE(model->index(3069, 0).data().toString(), QStringLiteral("5775"));
        view->Hex->click();
        QCOMPARE(model->index(3069, 0).data().toString(), QStringLiteral("0BFD"));

        auto goTo = [&](const QList<Qt::Key>& keys) {
            auto send = [&](QEvent::Type t, Qt::Key k, Qt::KeyboardModifiers mod) {
                QKeyEvent e(t, k, mod, k == Qt::Key_Control ? QString() : QString(QChar(k)));
                QApplication::sendEvent(view->Grid, &e);
            };
            send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
            for (Qt::Key k : keys) {
                send(QEvent::KeyPress, k, Qt::ControlModifier);
                send(QEvent::KeyRelease, k, Qt::ControlModifier);
            }
            send(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        };
        // the caption "Переход:" always stands; only the typed address comes and goes
        QLabel* caption = nullptr;
        for (QLabel* l : view->findChildren<QLabel*>())
            if (l->text() == QStringLiteral("Переход:"))
                caption = l;
        QVERIFY(caption && caption->isVisible());
        QVERIFY(!view->GoLab->isVisible());
        goTo({Qt::Key_7, Qt::Key_F, Qt::Key_E});  // hexadecimal 7FE = 2046
        QCOMPARE(view->Grid->rowAt(0), 2046);
        QVERIFY(caption->isVisible());
        QVERIFY(!view->GoLab->isVisible());
        save(view, "dataram.png");

        view->Hex->click();  // octal addresses: an 8 is error 2 and nothing moves
        const uint16_t counted = form->sim().m.ErrorCounter;
        int errorWindows = 0;
        onNextModal([&](QWidget* e) {
            errorWindows += qobject_cast<TErrW*>(e) != nullptr;
            QTest::keyClick(e, Qt::Key_Space);
        });
        goTo({Qt::Key_1, Qt::Key_8});
        QCOMPARE(errorWindows, 1);
        QCOMPARE(form->sim().m.ErrorCounter, uint16_t(counted + 1));
        QCOMPARE(view->Grid->rowAt(0), 2046);
        goTo({Qt::Key_5, Qt::Key_7, Qt::Key_7, Qt::Key_5});
        QCOMPARE(view->Grid->currentIndex().row(), 3069);
        view->close();
    }

    void cleanupTestCase() { form.reset(); }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
