#include "training/Result.h"

#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <array>
#include <memory>

#include "training/ResultStore.h"
#include "training/ServerResultStore.h"
#include "training/TeacherAccess.h"
#include "training/TeacherPassword.h"
#include "training/Verdict.h"

namespace ravx {

namespace {

constexpr int kWidth = 620;
constexpr int kStoreLineHeight = 30;  // where the records are; why, when they are not the lab's
constexpr int kHeight = 296 + kStoreLineHeight;
constexpr int kMargin = 8;
constexpr int kListWidth = 260;
constexpr int kNameColumnWidth = 150;
constexpr int kPanelHeight = 240;
constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 150;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 27;
constexpr int kChecksumPointSize = 12;
constexpr int kKeyRole = Qt::UserRole;

QFrame* Panel(QWidget* parent, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

}  // namespace

TForm6::TForm6(ResultStore& store, const QString& checksum, QWidget* parent)
    : QDialog(parent), store_(store), checksum_(checksum)
{
    setWindowTitle(QStringLiteral("Результаты теста"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 9));
    setFixedSize(kWidth, kHeight);

    ListBox1 = new QTreeWidget(this);
    ListBox1->setGeometry(kMargin, kMargin, kListWidth, kPanelHeight);
    ListBox1->setRootIsDecorated(false);
    ListBox1->setUniformRowHeights(true);
    ListBox1->setHeaderLabels({QStringLiteral("Фамилия"), QStringLiteral("Компьютер")});
    ListBox1->header()->setStretchLastSection(true);
    ListBox1->setColumnWidth(0, kNameColumnWidth);
    connect(ListBox1, &QTreeWidget::itemClicked, this, &TForm6::ListBox1Click);
    connect(ListBox1, &QTreeWidget::currentItemChanged, this, &TForm6::ListBox1Click);

    const int panelLeft = 2 * kMargin + kListWidth;
    const int panelWidth = kWidth - panelLeft - kMargin;
    Panel1 = Panel(this, QRect(panelLeft, kMargin, panelWidth, kPanelHeight));
    const QStringList captions = {QStringLiteral("Время:"),
                                  QStringLiteral("Группа :"),
                                  QStringLiteral("Верных ответов всего :"),
                                  QStringLiteral("Верных ответов :"),
                                  QStringLiteral("Неверных ответов :"),
                                  QStringLiteral("Результат :"),
                                  QStringLiteral("Контрольная сумма :")};
    std::array<QLabel**, 7> values = {&TimeL, &GrName, &TotalQ, &GoodA, &BadA, &Itog, &Label8};
    for (int i = 0; i < captions.size(); ++i) {
        const int top = kMargin + i * kRowHeight + (i == captions.size() - 1 ? kRowHeight : 0);
        auto* caption = new QLabel(captions[i], Panel1);
        caption->setGeometry(kMargin, top, kCaptionWidth, kRowHeight);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *values[i] = new QLabel(Panel1);
        (*values[i])
            ->setGeometry(kCaptionWidth + 2 * kMargin, top, panelWidth - kCaptionWidth - 3 * kMargin, kRowHeight);
    }
    QFont itogFont = Itog->font();
    itogFont.setBold(true);
    Itog->setFont(itogFont);
    QFont checksumFont(QStringLiteral("Times New Roman"), kChecksumPointSize);
    checksumFont.setStyleHint(QFont::Serif);
    checksumFont.setBold(true);
    Label8->setFont(checksumFont);
    SetColour(Label8, kPassedColour);

    Panel2 = Panel(this, QRect(kMargin, kMargin, kWidth - 2 * kMargin, kPanelHeight));
    auto* purging = new QLabel(QStringLiteral("Удаление старых записей"), Panel2);
    purging->setAlignment(Qt::AlignCenter);
    purging->setGeometry(kMargin, kPanelHeight / 2 - 40, Panel2->width() - 2 * kMargin, kRowHeight);
    ProgressBar1 = new QProgressBar(Panel2);
    ProgressBar1->setGeometry(kMargin * 3, kPanelHeight / 2, Panel2->width() - 6 * kMargin, kRowHeight);
    Panel2->hide();

    StoreL = new QLabel(this);
    StoreL->setObjectName(QStringLiteral("StoreL"));
    StoreL->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StoreL->setGeometry(kMargin, kHeight - kStoreLineHeight - 2, kWidth - 2 * kMargin, kStoreLineHeight);
    QFont small = StoreL->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    StoreL->setFont(small);
    SetColour(StoreL, Qt::darkGray);

    Button1 = new QPushButton(QStringLiteral("Ввод"), this);
    Button1->setDefault(true);
    Button1->setGeometry((kWidth - kButtonWidth) / 2, kHeight - kStoreLineHeight - kButtonHeight - kMargin,
                         kButtonWidth, kButtonHeight);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
}

void TForm6::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm6::FormShow()
{
    if (const QString problem = store_.Problem(); !problem.isEmpty()) {
        ShowError(problem);
    }
    const QSignalBlocker quiet(ListBox1);
    ListBox1->clear();
    for (const QString& key : store_.ResultNames()) {
        const QString name = QString::fromStdString(result::DisplayName(key.toStdString()));
        auto* item = new QTreeWidgetItem(ListBox1, {name, store_.ReadResult(key).host});
        item->setData(0, kKeyRole, key);
        // a long name is cut with "…" in the list; the name as stored tells
        // the takes of one name apart
        item->setToolTip(0, key);
        item->setToolTip(1, item->text(1));
    }
    ShowEntry();
    Label8->setText(checksum_);
    ShowStoreLine();
}

// The lab's server, the machine-wide file, or the user's own file when that
// could not be written; while the server is away or refuses, the machine's
// file and why, in red. Under the server's records, why this machine's own
// records went to its file, when they did.
void TForm6::ShowStoreLine()
{
    const QString location = store_.Location();
    const QString notice = store_.Notice();
    QString line;
    QString why;
    if (!notice.isEmpty()) {
        line = QStringLiteral("Показан файл этого компьютера: ") + location;
        why = notice;
    } else {
        line = (location.contains(QLatin1String("://")) ? QStringLiteral("Результаты лаборатории: ")
                                                        : QStringLiteral("Файл результатов: ")) +
               location;
        if (!machineNotice_.isEmpty())
            why = QStringLiteral("Записи этого компьютера сохранялись в его файл: ") + machineNotice_;
    }
    const QFontMetrics metrics = StoreL->fontMetrics();
    StoreL->setText(
        metrics.elidedText(line, Qt::ElideMiddle, StoreL->width()) +
        (why.isEmpty() ? QString() : QLatin1Char('\n') + metrics.elidedText(why, Qt::ElideRight, StoreL->width())));
    StoreL->setToolTip(why.isEmpty() ? location : line + QLatin1Char('\n') + why);
    SetColour(StoreL, why.isEmpty() ? QColor(Qt::darkGray) : kFailedColour);
}

void TForm6::SetMachineNotice(const QString& notice)
{
    machineNotice_ = notice;
    if (isVisible())
        ShowStoreLine();
}

void TForm6::ListBox1Click() { ShowEntry(); }

void TForm6::ShowEntry()
{
    if (ListBox1->topLevelItemCount() == 0) {
        return;
    }
    if (!ListBox1->currentItem()) {
        const QSignalBlocker quiet(ListBox1);
        ListBox1->setCurrentItem(ListBox1->topLevelItem(0));
    }
    const QString key = ListBox1->currentItem()->data(0, kKeyRole).toString();
    const StoredEntry entry = store_.ReadResult(key);
    // An entry that cannot be read shows nothing rather than the numbers of
    // the student shown before; its problem is the list item's tooltip.
    if (!entry.error.isEmpty()) {
        for (QLabel* value : {TimeL, GrName, TotalQ, GoodA, BadA, Itog}) {
            value->clear();
            value->setToolTip({});
        }
        ListBox1->currentItem()->setToolTip(0, key + QStringLiteral("\n") + entry.error);
    }
    if (!entry.group.isNull()) {
        GrName->setText(GrName->fontMetrics().elidedText(entry.group, Qt::ElideRight, GrName->width()));
        GrName->setToolTip(entry.group);
    }
    if (entry.decoded) {
        const result::EntryTexts texts = result::MakeEntryTexts(entry.decoded->counters);
        TotalQ->setText(QString::fromStdString(texts.total));
        GoodA->setText(QString::fromStdString(texts.good));
        BadA->setText(QString::fromStdString(texts.bad));
        TimeL->setText(FormatResultTime(entry.decoded->days));
        Itog->setText(QString::fromStdString(texts.verdict));
        SetColour(Itog, texts.passed ? kPassedColour : kFailedColour);
    }
    Label8->setText(checksum_);
}

void TForm6::Button1Click()
{
    if (ListBox1->topLevelItemCount() == 0) {
        accept();
        return;
    }
    QStringList keys;
    for (int i = 0; i < ListBox1->topLevelItemCount(); ++i) {
        keys << ListBox1->topLevelItem(i)->data(0, kKeyRole).toString();
    }
    ListBox1->hide();
    Panel1->hide();
    Panel2->show();
    ProgressBar1->setRange(0, static_cast<int>(keys.size()));
    ProgressBar1->setValue(0);
    const PurgeOutcome outcome = store_.PurgeOld(keys, Today(), [this](int done, bool old) {
        // a record young enough to keep means the rest of the scan is no
        // longer worth watching
        if (!old) {
            hide();
        }
        ProgressBar1->setValue(done);
        QCoreApplication::processEvents();
    });
    ListBox1->show();
    Panel1->show();
    Panel2->hide();
    if (!outcome.error.isEmpty()) {
        ShowError(outcome.error);
    }
    accept();
}

void TForm6::ShowError(const QString& message)
{
    QMessageBox::critical(isVisible() ? this : parentWidget(), windowTitle(), message);
}

namespace {

// Asks for the teacher's password when the lab has set one. False when the
// window stays closed; `teacher` gets the store connected as the teacher's
// role when the lab's server checks the password.
bool LetTeacherIn(QWidget* parent, std::unique_ptr<ResultStore>& teacher)
{
    const TeacherGate gate = ConfiguredTeacherGate();
    switch (gate.kind) {
    case TeacherGate::Kind::Open: return true;
    case TeacherGate::Kind::Damaged:
        QMessageBox::critical(parent, QStringLiteral("Результаты теста"), gate.problem);
        return false;
    case TeacherGate::Kind::Password:
        return AskTeacherPassword(parent, [&gate](const QString& password) {
            return CheckTeacherPassword(gate.hash, password).value_or(false) ? QString()
                                                                             : QString::fromUtf8(kWrongPasswordText);
        });
    case TeacherGate::Kind::ServerRole:
        return AskTeacherPassword(parent, [&](const QString& password) {
            // an empty one would let libpq take a password saved for this
            // machine's user
            if (password.isEmpty())
                return QString::fromUtf8(kWrongPasswordText);
            std::unique_ptr<ServerResultStore> store = OpenTeacherStore(gate.url, gate.role, password);
            if (!store->Offline().isEmpty())
                return store->Offline();
            teacher = std::move(store);
            return QString();
        });
    }
    return false;
}

}  // namespace

void ShowTestResults(QWidget* parent, ResultStore& store, int group, int machine, const QString& portText,
                     unsigned errorCounter)
{
    std::unique_ptr<ResultStore> teacher;
    if (!LetTeacherIn(parent, teacher))
        return;
    const QString checksum =
        QString::fromStdString(result::ChecksumText(group, machine, portText.toStdString(), errorCounter));
    TForm6 form(teacher ? *teacher : store, checksum, parent);
    if (teacher)
        form.SetMachineNotice(store.Notice());
    form.exec();
}

}  // namespace ravx
