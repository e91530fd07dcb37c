// The test window and the results window under the offscreen platform, driven
// as a student and a teacher would. With RAVX_SCREENSHOTS set to a folder the
// two windows are also saved there as test.png and results.png.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <functional>

#include "tests/mainwindow/TempDir.h"
#include "tools/bankbuild/QuestionSource.h"
#include "training/Quest.h"
#include "training/Result.h"
#include "training/ResultStore.h"
#include "training/ServerResultStore.h"
#include "training/Verdict.h"

using namespace ravx;

namespace {

constexpr int kPollMs = 10;
constexpr int kPollTries = 500;
constexpr std::size_t kScreenshotQuestion = 6;

// Runs `action` on the first modal window for which `ready` holds, polling
// the event loop; the action may itself open the next modal window.
void whenModal(std::function<bool(QWidget*)> ready, std::function<void(QWidget*)> action, int tries = kPollTries)
{
    QTimer::singleShot(kPollMs, [ready = std::move(ready), action = std::move(action), tries]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (w && ready(w)) {
            action(w);
        } else if (tries > 0) {
            whenModal(std::move(ready), std::move(action), tries - 1);
        }
    });
}

bool isMessage(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

bool isQuestion(QWidget* w)
{
    auto* form = qobject_cast<TForm5*>(w);
    return form && form->AnswP->isVisible();
}

bool isVerdict(QWidget* w)
{
    auto* form = qobject_cast<TForm5*>(w);
    return form && form->Panel1->isVisible();
}

bool isEntry(QWidget* w)
{
    auto* form = qobject_cast<TForm5*>(w);
    return form && form->NameE->isVisible();
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void saveShot(QWidget* w, const char* name)
{
    const QByteArray folder = qgetenv("RAVX_SCREENSHOTS");
    if (!folder.isEmpty()) {
        w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
    }
}

// A stand-in executable with a bank of `questions` questions whose correct
// answers all begin with "верно".
std::string ExecutableWithBank(const filetest::TempDir& dir, int questions)
{
    const std::string path = dir.File("app");
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(static_cast<std::size_t>(bank::kMinBankOffset), '\x90');
    }
    if (questions > 0) {
        std::string source;
        for (int i = 1; i <= questions; ++i) {
            source += "? Вопрос номер " + std::to_string(i) + " о работе контроллера|вторая строка\n";
            source += "+ верно: первый ответ\n- неверно: второй ответ\n+ верно: третий ответ\n";
        }
        bank::AppendBankToFile(path, bank::ParseQuestionSource(source), 0x3C5A);
    }
    return path;
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void questionLayoutFollowsTheAnswerCount();
    void missingDataIsRefusedAndAMissingBankLetsTheStudentIn();
    void aStudentWhoTicksTheRightAnswersPasses();
    void escapeAndCloseLeaveTheTestWindowUp();
    void resultsWindowShowsAndPurges();
    void anUnreadableEntryShowsNoNumbersAndNoMessage();
    void withTheServerAwayTheWindowSaysWhatItShows();
};

void WindowsTest::questionLayoutFollowsTheAnswerCount()
{
    TForm5 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Тест"));
    QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
    form.show();
    form.ShowQuestion({"Вопрос", {{"а", true}, {"б", false}, {"в", false}}});
    const int tops[] = {43, 109, 175};
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(form.Answ[k]->y(), tops[k]);
        QCOMPARE(form.AC[k]->y(), tops[k]);
        QVERIFY(form.Answ[k]->isVisible());
    }
    for (int k = 3; k < TForm5::kAnswerSlots; ++k) {
        QVERIFY(form.Answ[k]->isHidden());
        QVERIFY(form.AC[k]->isHidden());
    }
    QCOMPARE(form.height(), 348);
    QCOMPARE(form.OkB->y(), 290);
    if (!qEnvironmentVariableIsEmpty("RAVX_SCREENSHOTS")) {
        std::ifstream in(RAVX_QUESTION_SOURCE, std::ios::binary);
        const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto records = bank::ParseQuestionSource(source);
        form.ShowQuestion(bank::ParseRecord(records.at(kScreenshotQuestion)));
        form.Answ[0]->setChecked(true);
        saveShot(&form, "test.png");
    }
    form.ShowQuestion({"Вопрос", {{std::string(64, 'x') + "\n" + std::string(64, 'x') + "\nxx", true}, {"б", false}}});
    QCOMPARE(form.AC[0]->text().count('\n'), 2);
    QVERIFY(form.Answ[2]->isHidden());
}

void WindowsTest::missingDataIsRefusedAndAMissingBankLetsTheStudentIn()
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("results.ini")));
    QStringList refusals;
    QString noQuestions;
    whenModal(isEntry, [&](QWidget* w) {
        auto* form = static_cast<TForm5*>(w);
        // the group empty, then a group of blanks, then a name of blanks
        whenModal(isMessage, [&, form](QWidget* box) {
            refusals << static_cast<QMessageBox*>(box)->text();
            whenModal(isMessage, [&, form](QWidget* box2) {
                refusals << static_cast<QMessageBox*>(box2)->text();
                whenModal(isMessage, [&, form](QWidget* box3) {
                    refusals << static_cast<QMessageBox*>(box3)->text();
                    whenModal(isMessage, [&](QWidget* box4) {
                        noQuestions = static_cast<QMessageBox*>(box4)->text();
                        static_cast<QMessageBox*>(box4)->accept();
                    });
                    static_cast<QMessageBox*>(box3)->accept();
                    form->NameE->clear();
                    typeInto(form->NameE, QStringLiteral(" Ученик "));
                    form->OkB->click();
                });
                static_cast<QMessageBox*>(box2)->accept();
                form->NameE->clear();
                typeInto(form->NameE, QStringLiteral("  "));
                form->GrE->clear();
                typeInto(form->GrE, QStringLiteral("3"));
                form->OkB->click();
            });
            static_cast<QMessageBox*>(box)->accept();
            typeInto(form->GrE, QStringLiteral("   "));
            form->OkB->click();
        });
        typeInto(form->NameE, QStringLiteral("Ученик"));
        form->OkB->click();  // the group is still empty
    });
    std::mt19937 random(1);
    const EntryTestResult result =
        RunEntryTest(nullptr, store, QString::fromStdString(ExecutableWithBank(dir, 0)), random);
    QCOMPARE(refusals, QStringList(3, QStringLiteral("Не введены необходимые данные!")));
    QCOMPARE(noQuestions, QStringLiteral("Отсутствуют вопросы!"));
    QCOMPARE(result.outcome, EntryTestOutcome::NoQuestions);
    QVERIFY(result.MayWork());
    QVERIFY(store.ResultNames().isEmpty());
}

void WindowsTest::aStudentWhoTicksTheRightAnswersPasses()
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("results.ini")));
    QStringList asked;
    QString verdict;
    QString good;
    QString shownName, nameTip;
    bool nameFits = false;
    const QString longName = QStringLiteral("Ученик-с-очень-длинной-двойной-фамилией Константинопольский-Преображенский");
    std::function<void(QWidget*)> answer = [&](QWidget* w) {
        auto* form = static_cast<TForm5*>(w);
        asked << form->QuestL->text();
        if (asked.size() < bank::kQuestionsPerTest) {
            whenModal(
                [&asked](QWidget* next) {
                    return isQuestion(next) && static_cast<TForm5*>(next)->QuestL->text() != asked.back();
                },
                answer);
        } else {
            whenModal(isVerdict, [&](QWidget* v) {
                auto* f = static_cast<TForm5*>(v);
                verdict = f->Itog->text();
                good = f->GoodA->text();
                shownName = f->StName->text();
                nameTip = f->StName->toolTip();
                nameFits = f->StName->fontMetrics().horizontalAdvance(shownName) <= f->StName->width();
                f->OkB->click();
            });
        }
        for (int k = 0; k < TForm5::kAnswerSlots; ++k) {
            if (form->AC[k]->isVisible() && form->AC[k]->text().startsWith(QStringLiteral("верно"))) {
                QTest::mouseClick(form->AC[k], Qt::LeftButton);  // a click on the text ticks the box
            }
        }
        form->OkB->click();
    };
    whenModal(isEntry, [&](QWidget* w) {
        auto* form = static_cast<TForm5*>(w);
        whenModal(isQuestion, answer);
        typeInto(form->NameE, longName);
        typeInto(form->GrE, QStringLiteral("ИВТ-1"));
        QTest::keyClick(form->GrE, Qt::Key_Return);  // "Ввод" is the default button
    });
    std::mt19937 random(2024);
    const EntryTestResult result =
        RunEntryTest(nullptr, store, QString::fromStdString(ExecutableWithBank(dir, 12)), random);
    QCOMPARE(asked.size(), 5);
    QCOMPARE(QSet<QString>(asked.begin(), asked.end()).size(), 5);
    QVERIFY(asked[0].contains('\n'));
    QCOMPARE(verdict, QStringLiteral("Тест пройден успешно"));
    QCOMPARE(good, QStringLiteral("10 (100%)"));
    QCOMPARE(result.outcome, EntryTestOutcome::Passed);
    // a long name is cut to its line with "…", the whole of it on hover
    QVERIFY2(nameFits && shownName.endsWith(QChar(0x2026)), qPrintable(shownName));
    QCOMPARE(nameTip, longName);
    QCOMPARE(store.ResultNames(), QStringList{longName});
    const StoredEntry entry = store.ReadResult(longName);
    QVERIFY(entry.decoded);
    QCOMPARE(entry.group, QStringLiteral("ИВТ-1"));
    QCOMPARE(int(entry.decoded->counters.good), 10);
    QCOMPARE(int(entry.decoded->counters.bad), 0);
}

// Esc and a close request do nothing in any state of the test window: only
// "Ввод" moves on, so nobody leaves the test, or fails it, by accident.
void WindowsTest::escapeAndCloseLeaveTheTestWindowUp()
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("results.ini")));
    auto tryToLeave = [&](QWidget* w, const char* where) {
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY2(w->isVisible() && QApplication::activeModalWidget() == w, where);
        QVERIFY2(!w->close(), where);  // a close request, as the window's frame would send
        QVERIFY2(w->isVisible() && QApplication::activeModalWidget() == w, where);
        // the record is written before the verdict shows
        QVERIFY2(store.ResultNames().isEmpty() == (std::string_view(where) != "verdict"), where);
    };
    QStringList asked;  // one window shows every question in turn
    bool verdictSeen = false;
    std::function<void(QWidget*)> answer = [&](QWidget* w) {
        auto* form = static_cast<TForm5*>(w);
        asked << form->QuestL->text();
        tryToLeave(w, "question");
        if (asked.size() < bank::kQuestionsPerTest) {
            whenModal(
                [&asked](QWidget* next) {
                    return isQuestion(next) && static_cast<TForm5*>(next)->QuestL->text() != asked.back();
                },
                answer);
        } else {
            whenModal(isVerdict, [&](QWidget* v) {
                verdictSeen = true;
                tryToLeave(v, "verdict");
                static_cast<TForm5*>(v)->OkB->click();
            });
        }
        form->OkB->click();  // nothing ticked
    };
    whenModal(isEntry, [&](QWidget* w) {
        auto* form = static_cast<TForm5*>(w);
        tryToLeave(w, "name");
        whenModal(isQuestion, answer);
        typeInto(form->NameE, QStringLiteral("Осторожный"));
        typeInto(form->GrE, QStringLiteral("2"));
        form->OkB->click();
    });
    std::mt19937 random(5);
    const EntryTestResult result =
        RunEntryTest(nullptr, store, QString::fromStdString(ExecutableWithBank(dir, 6)), random);
    QCOMPARE(asked.size(), 5);
    QVERIFY(verdictSeen);
    QCOMPARE(result.outcome, EntryTestOutcome::Failed);  // nothing ticked
    QCOMPARE(store.ResultNames(), QStringList{QStringLiteral("Осторожный")});
}

void WindowsTest::resultsWindowShowsAndPurges()
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("results.ini")));
    std::mt19937 random(8);
    const result::CivilTime today = Today();
    result::CivilTime lastYear = today;
    lastYear.year -= 1;
    store.StoreResult(QStringLiteral("Иванов"), result::MakeRecord(result::ToDays(lastYear), "1", {5, 2, 0}, random));
    store.StoreResult(QStringLiteral("Иванов"), result::MakeRecord(NowAsDays(), "4", {6, 5, 1}, random));

    QStringList shown, hosts;
    QString itog;
    QString good;
    QString bad;
    QString checksum;
    whenModal([](QWidget* w) { return qobject_cast<TForm6*>(w) != nullptr; },
              [&](QWidget* w) {
                  auto* form = static_cast<TForm6*>(w);
                  for (int i = 0; i < form->ListBox1->topLevelItemCount(); ++i) {
                      shown << form->ListBox1->topLevelItem(i)->text(0);
                      hosts << form->ListBox1->topLevelItem(i)->text(1);
                  }
                  itog = form->Itog->text();
                  good = form->GoodA->text();
                  bad = form->BadA->text();
                  checksum = form->Label8->text();
                  saveShot(form, "results.png");
                  form->Button1->click();
              });
    ShowTestResults(nullptr, store, 1, 1, QStringLiteral("2A"), 0);
    QCOMPARE(shown, (QStringList{QStringLiteral("Иванов"), QStringLiteral("Иванов")}));
    // the embedded store holds this machine's records
    QCOMPARE(hosts, QStringList(2, QSysInfo::machineHostName()));
    // the newest first: "Иванов~", taken today
    QCOMPARE(itog, QStringLiteral("Тест пройден"));
    QCOMPARE(good, QStringLiteral("5 (83%)"));
    QCOMPARE(bad, QStringLiteral("1 (16%)"));
    QCOMPARE(checksum, QStringLiteral("1 1 2A 0"));
    QCOMPARE(IniResultStore(store.FileName()).ResultNames(), QStringList{QStringLiteral("Иванов~")});
}

// The numbers of the student shown before must not stand beside a name whose
// record cannot be read; the problem is told on hover, not in a message box.
void WindowsTest::anUnreadableEntryShowsNoNumbersAndNoMessage()
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("results.ini")));
    std::mt19937 random(9);
    store.StoreResult(QStringLiteral("Иванов"), result::MakeRecord(NowAsDays(), "4", {6, 5, 1}, random));
    QVERIFY(store.WriteBinary(QStringLiteral("SOFTWARE\\RAVX\\Сидоров"), kValueData0, QByteArray(8, '\1')));

    QStringList itogs, tips;
    bool onlyTheWindow = true;
    whenModal([](QWidget* w) { return qobject_cast<TForm6*>(w) != nullptr; },
              [&](QWidget* w) {
                  auto* form = static_cast<TForm6*>(w);
                  for (int i = 0; i < form->ListBox1->topLevelItemCount(); ++i) {
                      QTreeWidgetItem* item = form->ListBox1->topLevelItem(i);
                      form->ListBox1->setCurrentItem(item);
                      QTest::qWait(kPollMs);
                      onlyTheWindow = onlyTheWindow && QApplication::activeModalWidget() == form;
                      itogs << item->text(0) + QLatin1Char('=') + form->Itog->text();
                      tips << item->toolTip(0);
                  }
                  form->reject();
              });
    ShowTestResults(nullptr, store, 1, 1, QStringLiteral("2A"), 0);
    QVERIFY(onlyTheWindow);
    QVERIFY2(itogs.contains(QStringLiteral("Иванов=Тест пройден")), qPrintable(itogs.join(';')));
    QVERIFY2(itogs.contains(QStringLiteral("Сидоров=")), qPrintable(itogs.join(';')));
    QVERIFY2(tips.join(';').contains(QStringLiteral("Failed to get data")), qPrintable(tips.join(';')));
}

// A lab's server that cannot be reached: the test's record is kept in the
// machine's file, and the window shows that file, saying so in red with the
// reason under it and whole on hover, not in a message box.
void WindowsTest::withTheServerAwayTheWindowSaysWhatItShows()
{
    filetest::TempDir dir;
    const QString local = QString::fromStdString(dir.File("results.ini"));
    ServerResultStore store(QStringLiteral("postgresql://ravx@/lab?host=") + QString::fromStdString(dir.File("no-server")),
                            std::make_unique<IniResultStore>(local));
    std::mt19937 random(9);
    QCOMPARE(store.StoreResult(QStringLiteral("Студент"), result::MakeRecord(NowAsDays(), "4", {6, 5, 1}, random)),
             QStringLiteral("Студент"));
    QCOMPARE(IniResultStore(local).ResultNames(), QStringList{QStringLiteral("Студент")});

    QString line, tip, itog;
    QColor colour;
    bool onlyTheWindow = true;
    whenModal([](QWidget* w) { return qobject_cast<TForm6*>(w) != nullptr; },
              [&](QWidget* w) {
                  auto* form = static_cast<TForm6*>(w);
                  QTest::qWait(kPollMs);
                  onlyTheWindow = QApplication::activeModalWidget() == form;
                  line = form->StoreL->text();
                  tip = form->StoreL->toolTip();
                  colour = form->StoreL->palette().color(QPalette::WindowText);
                  itog = form->Itog->text();
                  saveShot(form, "results-local.png");
                  form->reject();
              });
    ShowTestResults(nullptr, store, 1, 1, QStringLiteral("2A"), 0);
    QVERIFY(onlyTheWindow);
    // the file on the first line, why on the second
    QVERIFY2(line.startsWith(QStringLiteral("Показан файл этого компьютера: ")), qPrintable(line));
    QVERIFY2(line.section(QLatin1Char('\n'), 1).startsWith(QStringLiteral("сервер результатов")), qPrintable(line));
    QVERIFY2(tip.contains(local) && tip.contains(QStringLiteral("недоступен")), qPrintable(tip));
    QCOMPARE(colour, QColor(kFailedColour));
    QCOMPARE(itog, QStringLiteral("Тест пройден"));
}

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
