// The entry test window "Тест" and the run of the test: name and group, five
// questions from the bank appended to the executable, the stored result and
// the verdict. The window has no close box; leaving it any other way before
// the verdict counts as a failed test.
#pragma once

#include <QDialog>
#include <array>
#include <random>
#include <vector>

#include "training/QuestionBank.h"
#include "training/TestResult.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ravx {

class ResultStore;

class TForm5 : public QDialog {
    Q_OBJECT

public:
    static constexpr int kAnswerSlots = static_cast<int>(bank::kMaxAnswers);

    explicit TForm5(QWidget* parent = nullptr);

    void ShowEntryState();
    void ShowQuestion(const bank::Question& question);
    void ShowResult(const QString& name, const QString& group, const result::TestTexts& texts);
    std::vector<bool> Ticks(int answers) const;
    QString Name() const;
    QString Group() const;

    QLineEdit* NameE;
    QLineEdit* GrE;
    QPushButton* OkB;
    QFrame* Quest;
    QLabel* QuestL;
    QFrame* AnswP;
    std::array<QCheckBox*, kAnswerSlots> Answ{};
    std::array<QLabel*, kAnswerSlots> AC{};
    QFrame* Panel1;
    QLabel* StName;
    QLabel* GrName;
    QLabel* TotalQ;
    QLabel* GoodA;
    QLabel* BadA;
    QLabel* Itog;

    // Esc and a close request do nothing in any state: only "Ввод" moves on.
    void reject() override {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;

private slots:
    void OkBClick();

private:
    enum class State { Entry, Question, Result };
    void BuildEntry();
    void BuildQuestion();
    void BuildResult();
    void SetState(State state);
    void CentreOnScreen();

    State state_ = State::Entry;
    QWidget* entry_ = nullptr;
};

enum class EntryTestOutcome {
    Passed,       // the student may work
    Failed,       // the program must end
    NoQuestions,  // no usable bank: the student is let in without a test
    StoreFailed,  // the result could not be stored; the message was shown
};

struct EntryTestResult {
    EntryTestOutcome outcome = EntryTestOutcome::Failed;
    bool passed = false;
    // Whether the program goes on: a pass, a missing bank, or a pass whose
    // record could not be stored (the teacher was asked to step in).
    bool MayWork() const { return passed || outcome == EntryTestOutcome::NoQuestions; }
};

// Runs the whole test with modal windows. `executable` is the file carrying
// the bank (the application itself); `random` chooses the questions and the
// record key, so a seeded generator repeats a test.
EntryTestResult RunEntryTest(QWidget* parent, ResultStore& store, const QString& executable, std::mt19937& random);

}  // namespace ravx
