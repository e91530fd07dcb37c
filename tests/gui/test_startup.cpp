// Start-up as a student meets it, with the question bank appended to this
// test's own executable: the entry test first; a pass goes on to the settings
// dialog and the port message, a fail ends the program; the record is stored
// and the teacher sees it in the results window.
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "mainwindow/Unit1.h"
#include "mainwindow/Unit1_widgets.h"
#include "mainwindow/options.h"
#include "tests/gui/GuiHelpers.h"
#include "training/Quest.h"
#include "training/Result.h"
#include "training/ResultStore.h"

using namespace ravx;
using namespace ravx::guitest;

namespace {

// Answers every window of start-up while it lives: the test (name, group,
// each question ticked correctly or not at all), the verdict, the settings
// dialog and the port message.
class StartUpStudent {
public:
    explicit StartUpStudent(bool knowsTheAnswers) : knows_(knowsTheAnswers)
    {
        for (const auto& record : bank::ReadBankFile(QCoreApplication::applicationFilePath().toStdString()).records)
            questions_.push_back(bank::ParseRecord(record));
        QObject::connect(&poll_, &QTimer::timeout, [this] { answer(); });
        poll_.start(5);
    }
    QString verdict;
    int questionsAsked = 0;
    bool settingsShown = false;
    QString portMessage;

private:
    void answer()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            return;
        if (auto* test = qobject_cast<TForm5*>(w)) {
            if (test->NameE->isVisible()) {
                test->NameE->setText(QStringLiteral("Ученик"));
                test->GrE->setText(QStringLiteral("ЭВМ-21"));
            } else if (test->Quest->isVisible()) {
                ++questionsAsked;
                for (const bank::Question& q : questions_) {
                    if (QString::fromStdString(q.text) != test->QuestL->text())
                        continue;
                    for (std::size_t k = 0; k < q.answers.size(); ++k)
                        test->Answ[k]->setChecked(knows_ && q.answers[k].correct);
                }
            } else {
                verdict = test->Itog->text();
            }
            test->OkB->click();
        } else if (auto* options = qobject_cast<Toption*>(w)) {
            settingsShown = true;
            options->Button2->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            portMessage = box->text();
            box->close();
        }
    }

    bool knows_;
    std::vector<bank::Question> questions_;
    QTimer poll_;
};

}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir storeDir;
    QString storePath() const { return storeDir.filePath(QStringLiteral("results.ini")); }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void aPassLeadsToTheSettingsAndTheWork()
    {
        StartUpStudent student(true);
        TForm1 form(nullptr, storePath());
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(!student.portMessage.isEmpty(), 20000);
        QCOMPARE(student.questionsAsked, 5);
        QCOMPARE(student.verdict, QStringLiteral("Тест пройден успешно"));
        QVERIFY(student.settingsShown);
        QVERIFY(form.isVisible());
        IniResultStore store(storePath());
        QVERIFY(store.ResultNames().contains(QStringLiteral("Ученик")));
    }

    void aFailEndsTheProgram()
    {
        StartUpStudent student(false);
        TForm1 form(nullptr, storePath());
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(student.verdict, QStringLiteral("Вы не справились с заданием"), 20000);
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(!student.settingsShown);
        IniResultStore store(storePath());
        QVERIFY(store.ResultNames().contains(QStringLiteral("Ученик~")));  // the second take
    }

    void theTeacherSeesTheRecords()
    {
        QTimer::singleShot(0, [] {});  // nothing pending from the tests above
        StartUpStudent student(true);
        TForm1 form(nullptr, storePath());
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(!student.portMessage.isEmpty(), 20000);
        QStringList listed;
        QString storeShown;
        onNextModal([&](QWidget* w) {
            auto* results = qobject_cast<TForm6*>(w);
            QVERIFY(results);
            for (int i = 0; i < results->ListBox1->topLevelItemCount(); ++i)
                listed << results->ListBox1->topLevelItem(i)->text(0);
            storeShown = results->StoreL->toolTip();
            w->close();
        });
        form.N15Click();
        QCOMPARE(listed.count(QStringLiteral("Ученик")), 3);  // three takes, "~" hidden
        QCOMPARE(storeShown, storePath());  // the teacher sees which file holds them
    }
};

QTEST_MAIN(StartUpTest)
#include "test_startup.moc"
