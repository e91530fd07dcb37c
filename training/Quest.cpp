#include "training/Quest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "training/ResultStore.h"
#include "training/Verdict.h"

namespace ravx {

namespace {

constexpr int kWidth = 560;
constexpr int kEntryHeight = 124;
constexpr int kEntryButtonTop = 84;
constexpr int kQuestionHeight = 348;
constexpr int kQuestionButtonTop = 290;
constexpr int kResultHeight = 189;
constexpr int kResultButtonTop = 127;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 27;
constexpr int kMargin = 8;
constexpr int kQuestionPanelHeight = 72;
constexpr int kAnswerPanelTop = 84;
// Answers share this height: answer k of c sits at (200 div c) * k - 23.
constexpr int kAnswerPanelHeight = 200;
constexpr int kAnswerTopOffset = 23;
constexpr int kCheckLeft = 8;
constexpr int kAnswerLabelLeft = 30;
constexpr int kResultPanelHeight = 112;
constexpr int kResultRowHeight = 18;
constexpr int kResultCaptionWidth = 200;
constexpr int kTextPointSize = 10;

QFont FixedFont()
{
    QFont font(QStringLiteral("Courier New"), kTextPointSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFrame* Panel(QWidget* parent, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

QLabel* Caption(QWidget* parent, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Тест"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 9));
    OkB = new QPushButton(QStringLiteral("Ввод"), this);
    OkB->setDefault(true);
    OkB->setAutoDefault(true);
    connect(OkB, &QPushButton::clicked, this, &TForm5::OkBClick);
    BuildEntry();
    BuildQuestion();
    BuildResult();
    SetState(State::Entry);
}

void TForm5::BuildEntry()
{
    entry_ = new QWidget(this);
    entry_->setGeometry(0, 0, kWidth, kEntryButtonTop);
    Caption(entry_, QStringLiteral("Имя"), QRect(16, 16, 60, 20));
    NameE = new QLineEdit(entry_);
    NameE->setGeometry(90, 14, 300, 24);
    Caption(entry_, QStringLiteral("Группа"), QRect(16, 50, 60, 20));
    GrE = new QLineEdit(entry_);
    GrE->setGeometry(90, 48, 140, 24);
}

void TForm5::BuildQuestion()
{
    const int inner = kWidth - 2 * kMargin;
    Quest = Panel(this, QRect(kMargin, kMargin, inner, kQuestionPanelHeight));
    QuestL = new QLabel(Quest);
    QuestL->setWordWrap(true);
    QuestL->setFont(FixedFont());
    QuestL->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QuestL->setGeometry(kMargin, 2, inner - 2 * kMargin, kQuestionPanelHeight - 4);
    AnswP = Panel(this, QRect(kMargin, kAnswerPanelTop, inner, kAnswerPanelHeight));
    for (int k = 0; k < kAnswerSlots; ++k) {
        Answ[k] = new QCheckBox(AnswP);
        Answ[k]->setObjectName(QStringLiteral("Answ%1").arg(k + 1));
        AC[k] = new QLabel(AnswP);
        AC[k]->setObjectName(QStringLiteral("AC%1").arg(k + 1));
        AC[k]->setFont(FixedFont());
        AC[k]->setFixedWidth(inner - kAnswerLabelLeft - kMargin);
        // a click on the text ticks the box, as students expect
        AC[k]->setBuddy(Answ[k]);
        AC[k]->installEventFilter(this);
    }
}

void TForm5::BuildResult()
{
    Panel1 = Panel(this, QRect(kMargin, kMargin, kWidth - 2 * kMargin, kResultPanelHeight));
    const QStringList captions = {QStringLiteral("Студент:"),
                                  QStringLiteral("Группа :"),
                                  QStringLiteral("Верных ответов всего :"),
                                  QStringLiteral("Верных ответов :"),
                                  QStringLiteral("Неверных ответов :"),
                                  QStringLiteral("Результат :")};
    std::array<QLabel**, 6> values = {&StName, &GrName, &TotalQ, &GoodA, &BadA, &Itog};
    for (int i = 0; i < captions.size(); ++i) {
        const int top = 4 + i * kResultRowHeight;
        auto* caption = Caption(Panel1, captions[i], QRect(kMargin, top, kResultCaptionWidth, kResultRowHeight));
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *values[i] = Caption(Panel1, QString(), QRect(kResultCaptionWidth + 2 * kMargin, top, 300, kResultRowHeight));
    }
    QFont bold = Itog->font();
    bold.setBold(true);
    Itog->setFont(bold);
}

void TForm5::SetState(State state)
{
    state_ = state;
    entry_->setVisible(state == State::Entry);
    Quest->setVisible(state == State::Question);
    AnswP->setVisible(state == State::Question);
    Panel1->setVisible(state == State::Result);
    const int height = state == State::Entry      ? kEntryHeight
                       : state == State::Question ? kQuestionHeight
                                                  : kResultHeight;
    const int buttonTop = state == State::Entry      ? kEntryButtonTop
                          : state == State::Question ? kQuestionButtonTop
                                                     : kResultButtonTop;
    setFixedSize(kWidth, height);
    OkB->setGeometry((kWidth - kButtonWidth) / 2, buttonTop, kButtonWidth, kButtonHeight);
}

void TForm5::CentreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TForm5::ShowEntryState()
{
    SetState(State::Entry);
    NameE->setFocus();
}

void TForm5::ShowQuestion(const bank::Question& question)
{
    SetState(State::Question);
    QuestL->setText(QString::fromStdString(question.text));
    const int count = std::min(static_cast<int>(question.answers.size()), kAnswerSlots);
    for (int k = 1; k <= kAnswerSlots; ++k) {
        QCheckBox* box = Answ[k - 1];
        QLabel* label = AC[k - 1];
        if (k > count) {
            box->hide();
            label->hide();
            continue;
        }
        const int top = (kAnswerPanelHeight / count) * k - kAnswerTopOffset;
        box->setChecked(false);
        box->setText(QString());
        box->move(kCheckLeft, top);
        label->setText(QString::fromStdString(question.answers[k - 1].text));
        label->adjustSize();
        label->move(kAnswerLabelLeft, top);
        box->show();
        label->show();
    }
    CentreOnScreen();
    OkB->setFocus();
}

void TForm5::ShowResult(const QString& name, const QString& group, const result::TestTexts& texts)
{
    SetState(State::Result);
    // a long name or group is cut with "…" to its line; the whole shows on hover
    for (auto [label, text] : {std::pair{StName, name}, std::pair{GrName, group}}) {
        label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
        label->setToolTip(text);
    }
    TotalQ->setText(QString::fromStdString(texts.total));
    GoodA->setText(QString::fromStdString(texts.good));
    BadA->setText(QString::fromStdString(texts.bad));
    Itog->setText(QString::fromStdString(texts.verdict));
    SetColour(Itog, texts.passed ? kPassedColour : kFailedColour);
    CentreOnScreen();
}

std::vector<bool> TForm5::Ticks(int answers) const
{
    std::vector<bool> ticks;
    for (int k = 0; k < std::min(answers, kAnswerSlots); ++k) {
        ticks.push_back(Answ[k]->isChecked());
    }
    return ticks;
}

// Blanks around a name are no part of it: " Петров" and "Петров" are one student.
QString TForm5::Name() const { return NameE->text().trimmed(); }
QString TForm5::Group() const { return GrE->text().trimmed(); }

void TForm5::OkBClick()
{
    if (state_ == State::Entry && (Name().isEmpty() || Group().isEmpty())) {
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8(result::kMissingDataText));
        return;
    }
    accept();
}

void TForm5::closeEvent(QCloseEvent* e) { e->ignore(); }

bool TForm5::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int k = 0; k < kAnswerSlots; ++k) {
            if (watched == AC[k]) {
                Answ[k]->toggle();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

EntryTestResult RunEntryTest(QWidget* parent, ResultStore& store, const QString& executable, std::mt19937& random)
{
    EntryTestResult outcome;
    TForm5 form(parent);
    form.ShowEntryState();
    if (form.exec() != QDialog::Accepted) {
        return outcome;  // the application is ending: no test, nothing to store
    }
    const bank::Bank bank = bank::ReadBankFile(executable.toStdString());
    if (bank.status != bank::BankStatus::Ok) {
        QMessageBox box(QMessageBox::Warning, form.windowTitle(), QString::fromUtf8(result::kNoQuestionsText),
                        QMessageBox::Ok, parent);
        if (bank.status == bank::BankStatus::Damaged) {
            box.setInformativeText(QString::fromStdString(bank.problem));
        }
        box.exec();
        outcome.outcome = EntryTestOutcome::NoQuestions;
        return outcome;
    }
    result::Counters counters;
    bool left = false;
    for (int index : bank::ChooseQuestions(static_cast<int>(bank.records.size()), random)) {
        const bank::Question question = bank::ParseRecord(bank.records[static_cast<std::size_t>(index)]);
        std::vector<bool> ticks;
        // The window is left only when the application itself ends; the
        // questions not seen then still count their correct answers.
        if (!left) {
            form.ShowQuestion(question);
            left = form.exec() != QDialog::Accepted;
            if (!left) {
                ticks = form.Ticks(static_cast<int>(question.answers.size()));
            }
        }
        counters.Score(question, ticks);
    }
    const result::TestTexts texts = result::MakeTestTexts(counters);
    outcome.passed = texts.passed && !left;
    try {
        store.StoreResult(form.Name(), result::MakeRecord(NowAsDays(), form.Group().toStdString(), counters, random));
    } catch (const StoreError& e) {
        QMessageBox::critical(parent, form.windowTitle(), QString::fromUtf8(e.what()));
        outcome.outcome = EntryTestOutcome::StoreFailed;
        return outcome;
    }
    outcome.outcome = outcome.passed ? EntryTestOutcome::Passed : EntryTestOutcome::Failed;
    if (!left) {
        form.ShowResult(form.Name(), form.Group(), texts);
        form.exec();
    }
    return outcome;
}

}  // namespace ravx
