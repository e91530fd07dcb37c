#include "training/Unit7.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "machine/ScreenPlace.h"

namespace ravx {

namespace {

constexpr int kGridCellWidth = 20;
constexpr int kGridRowHeight = 22;
constexpr int kTextInset = 2;  // the marked cells' text sits 2 pixels in from the corner
constexpr int kMarkRole = Qt::UserRole;
const QColor kRedMark(Qt::red);
const QColor kGreenMark(0, 128, 0);
constexpr const char* kTaskFileName = "ravx.zad";
constexpr const char* kFileNotOpen = "File not open";

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Marked cells of the indicator text: filled red or green, text at the inset.
class MarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int mark = index.data(kMarkRole).toInt();
        if (mark != training::kMarkRed && mark != training::kMarkGreen) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, mark == training::kMarkRed ? kRedMark : kGreenMark);
        painter->setPen(Qt::white);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(kTextInset, kTextInset, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data().toString());
        painter->restore();
    }
};

QTableWidget* MakeRowGrid(int cellWidth)
{
    auto* grid = new QTableWidget(1, static_cast<int>(training::kGridCells));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setMinimumSectionSize(cellWidth);
    grid->horizontalHeader()->setDefaultSectionSize(cellWidth);
    grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(cellWidth * static_cast<int>(training::kGridCells) + frame, kGridRowHeight + frame);
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->setItem(0, c, new QTableWidgetItem);
    return grid;
}

QLabel* AddRow(QFormLayout* form, const char* caption)
{
    auto* label = new QLabel(FromUtf8(std::string(training::kPlaceholder)));
    form->addRow(QString::fromUtf8(caption), label);
    return label;
}

}  // namespace

TForm7::TForm7(std::function<QString()> portText, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      portText_(std::move(portText)),
      folder_(QCoreApplication::applicationDirPath())
{
    setWindowTitle(QStringLiteral("Задания"));
    // In a corner of the screen, off the menu bar and the help window's
    // buttons at the top; kept inside as it grows with the task shown.
    KeepOnScreen(this, Place::BottomRight);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildHeader());
    layout->addWidget(BuildKindLine());
    layout->addWidget(BuildGrids());
    layout->addWidget(BuildLabels());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ShowDisplay();
}

QWidget* TForm7::BuildHeader()
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    ED = new QSpinBox;
    ED->setRange(1, training::kTaskCount);
    ComboBox1 = new QComboBox;
    for (std::string_view name : training::kKindNames)
        ComboBox1->addItem(FromUtf8(std::string(name)));
    ComboBox1->setCurrentIndex(-1);  // no kind until a task is first displayed
    row->addWidget(new QLabel(QStringLiteral("Номер задания:")));
    row->addWidget(ED);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Вид задания:")));
    row->addWidget(ComboBox1, 1);
    CheckB = new QPushButton(QStringLiteral("Проверить"));
    CheckB->setToolTip(QStringLiteral("Проверить программу в таблице по этому заданию (программа и состояние машины "
                                      "не меняются)"));
    CheckB->setVisible(false);
    row->addSpacing(12);
    row->addWidget(CheckB);
    connect(CheckB, &QPushButton::clicked, this, &TForm7::CheckBClick);
    connect(ED, &QSpinBox::valueChanged, this, &TForm7::EDChange);
    connect(ComboBox1, &QComboBox::activated, this, &TForm7::ComboBox1Change);
    return box;
}

QWidget* TForm7::BuildKindLine()
{
    KindL = new QLabel;
    KindL->setWordWrap(true);
    KindL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return KindL;
}

void TForm7::SetSolutionChecker(SolutionChecker check)
{
    check_ = std::move(check);
    CheckB->setVisible(static_cast<bool>(check_));
}

std::optional<training::TaskTerms> TForm7::ShownTerms() const
{
    if (!file_ || ComboBox1->currentIndex() < 0)
        return std::nullopt;
    return training::ReadTaskTerms(*file_, ED->value(), static_cast<training::TaskKind>(ComboBox1->currentIndex()));
}

void TForm7::CheckBClick()
{
    if (!check_)
        return;
    const auto terms = ShownTerms();
    if (!terms) {
        ShowMessage(QString::fromLatin1(kFileNotOpen));
        return;
    }
    QString text = QStringLiteral("Задание %1, «%2»: ")
                       .arg(terms->number)
                       .arg(FromUtf8(std::string(training::kKindNames[static_cast<int>(terms->kind)])));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const training::CheckVerdict v = check_(*terms);
    QApplication::restoreOverrideCursor();
    if (v.solved)
        text += QStringLiteral("решено (") + FromUtf8(training::SetupText(v.setup)) + QStringLiteral(").");
    else
        text += QStringLiteral("не решено.\n\n") + FromUtf8(v.reason) + QLatin1Char('.');
    inMessage_ = true;
    QMessageBox box(v.solved ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Проверка решения"),
                    text, QMessageBox::Ok, this);
    box.exec();
    QTimer::singleShot(0, this, [this] { inMessage_ = false; });
}

QWidget* TForm7::BuildGrids()
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    StringGrid1 = MakeRowGrid(kGridCellWidth);
    QFont bold = StringGrid1->font();
    bold.setBold(true);
    StringGrid1->setFont(bold);
    StringGrid1->setItemDelegate(new MarkDelegate(StringGrid1));
    // Same cell width: item i of the second row stands under indicator cell i.
    StringGrid2 = MakeRowGrid(kGridCellWidth);
    P1 = new QLabel(QStringLiteral("П1"));
    P2 = new QLabel(QStringLiteral("П2"));
    Edit1 = new QLineEdit;
    Edit2 = new QLineEdit;
    Edit1->setReadOnly(true);
    Edit2->setReadOnly(true);
    column->addWidget(StringGrid1);
    column->addWidget(StringGrid2);
    auto* texts = new QFormLayout;
    texts->addRow(P1, Edit1);
    texts->addRow(P2, Edit2);
    column->addLayout(texts);
    return box;
}

QWidget* TForm7::BuildLabels()
{
    auto* box = new QWidget;
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    IND = AddRow(form, "Вывод на индикатор:");
    KOL = AddRow(form, "Разрядность дисплея:");
    LIN = AddRow(form, "Число линеек:");
    OZU = AddRow(form, "Данные в ОЗУ индикации:");
    KOD = AddRow(form, "Кодогенератор:");
    MD = AddRow(form, "Вывод мл. цифры на нижнюю линейку:");
    PPOP = AddRow(form, "Адрес ППОП:");
    PRC = AddRow(form, "Частота ГИ процессора:");
    PKKI = AddRow(form, "Частота ПККИ:");
    IO = AddRow(form, "Адрес порта ввода-вывода:");
    return box;
}

bool TForm7::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        // Closing one of our own message boxes gives the window back its
        // activation; reading again then would show the same box for ever.
        if (!inMessage_)
            FormActivate();
    }
    return QWidget::event(e);
}

void TForm7::FormActivate()
{
    for (QTableWidget* grid : {StringGrid1, StringGrid2}) {
        grid->clearSelection();
        grid->setCurrentIndex(QModelIndex());
    }
    QFile file(QDir(folder_).filePath(QString::fromLatin1(kTaskFileName)));
    if (!file.open(QIODevice::ReadOnly)) {
        file_.reset();
        ShowMessage(QStringLiteral("Файл задания ravx.zad отсутствует в каталоге ") +
                    QDir::toNativeSeparators(QDir(folder_).absolutePath() + QLatin1Char('/')) +
                    QStringLiteral(" или не доступен для чтения."));
        return;
    }
    const QByteArray bytes = file.readAll();
    file_.emplace(bytes.begin(), bytes.end());
    DisplayTask();
}

void TForm7::ComboBox1Change() { DisplayTask(); }

void TForm7::EDChange() { DisplayTask(); }

void TForm7::DisplayTask()
{
    if (!file_) {
        ShowMessage(QString::fromLatin1(kFileNotOpen));
        return;
    }
    if (ComboBox1->currentIndex() < 0)
        ComboBox1->setCurrentIndex(static_cast<int>(training::TaskKind::Standard));
    const auto kind = static_cast<training::TaskKind>(ComboBox1->currentIndex());
    const std::string port = portText_ ? portText_().toStdString() : std::string();
    auto error = training::ShowTask(*file_, ED->value(), kind, port, display_);
    const auto terms = ShownTerms();
    KindL->setText(terms ? FromUtf8(training::KindSummary(*terms) + ".\n" + training::CheckSummary(*terms) + ".")
                         : QString());
    // as wide as the grids and as high as its wrapped text: the window's fixed
    // size follows the hints, and a wrapped label's own hint is one line
    const int width = StringGrid1->minimumWidth();
    KindL->setFixedWidth(width);
    KindL->setFixedHeight(KindL->heightForWidth(width));
    layout()->activate();
    ShowDisplay();
    if (error)
        ShowMessage(FromUtf8(*error));
}

void TForm7::ShowDisplay()
{
    const std::pair<QLabel*, const std::string*> labels[] = {
        {IND, &display_.IND},   {KOL, &display_.KOL}, {LIN, &display_.LIN},   {OZU, &display_.OZU},
        {KOD, &display_.KOD},   {MD, &display_.MD},   {PPOP, &display_.PPOP}, {PRC, &display_.PRC},
        {PKKI, &display_.PKKI}, {IO, &display_.IO},
    };
    for (auto [label, text] : labels)
        label->setText(FromUtf8(*text));
    Edit1->setText(FromUtf8(display_.Edit1));
    Edit2->setText(FromUtf8(display_.Edit2));
    for (int c = 0; c < static_cast<int>(training::kGridCells); ++c) {
        QTableWidgetItem* cell = StringGrid1->item(0, c);
        cell->setText(FromUtf8(display_.StringGrid1[c].text));
        cell->setData(kMarkRole, display_.StringGrid1[c].mark);
        StringGrid2->item(0, c)->setText(FromUtf8(display_.StringGrid2[c]));
    }
    const bool analysis = display_.analysisShown;
    for (QWidget* w : {static_cast<QWidget*>(P1), static_cast<QWidget*>(P2), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(Edit2)})
        w->setVisible(analysis);
    StringGrid1->setVisible(!analysis);
    StringGrid2->setVisible(!analysis);
}

void TForm7::ShowMessage(const QString& text)
{
    inMessage_ = true;
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
    // The activation that hands the window back after the box arrives as an
    // event of its own; it ends no earlier than the events now pending.
    QTimer::singleShot(0, this, [this] { inMessage_ = false; });
}

}  // namespace ravx
