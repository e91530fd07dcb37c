#include "controller/ZGfill.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QValidator>

#include "controller/semi_.h"
#include "controller/Timer.h"
#include "machine/Host.h"
#include "machine/ScreenPlace.h"
#include "machine/_Asm.h"

namespace ravx {
namespace {

const QColor kUnfocused(0xE0, 0xE0, 0xE0);
constexpr int kSmallTableRowHeight = 22;  // ЗГ3 and ЗГ4: 16 rows
constexpr int kRowHeight = 16;
constexpr int kNumberWidth = 52;
constexpr int kValueWidth = 64;
constexpr int kGridHeight = 380;  // the 16 tall rows of ЗГ3 and ЗГ4 fit whole
constexpr int kListColumns = 3;
constexpr int kListCellWidth = 36;
constexpr int kListCellHeight = 18;
constexpr QAbstractItemView::EditTriggers kEditTriggers =
    QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed;

// Grey while the widget has no focus, window-coloured while it has.
void showFocus(QWidget* w, bool focused)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, focused ? QApplication::palette().color(QPalette::Base) : kUnfocused);
    w->setPalette(p);
}

// The cell mask: whatever the sheet would not keep is refused as it is typed.
class CellValidator : public QValidator {
public:
    CellValidator(FillTarget target, QObject* parent) : QValidator(parent), target_(target) {}
    State validate(QString& input, int&) const override
    {
        const std::string text = input.toStdString();
        return CellInput(target_, text) == text ? Acceptable : Invalid;
    }

private:
    FillTarget target_;
};

class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(const FillSheet& sheet, QObject* parent) : QStyledItemDelegate(parent), sheet_(sheet) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(CellLength(sheet_.Target()));
        e->setValidator(new CellValidator(sheet_.Target(), e));
        e->setFrame(false);
        return e;
    }

private:
    const FillSheet& sheet_;
};

// The list LB: Enter released on an item chooses it, as a double click does.
class CharList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> chosen;

protected:
    void keyReleaseEvent(QKeyEvent* e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && chosen) {
            chosen();
            return;
        }
        QListWidget::keyReleaseEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        // Enter acts on release; on press it must not reach the default button
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            return;
        QListWidget::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        showFocus(this, true);
        QListWidget::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        showFocus(this, false);
        QListWidget::focusOutEvent(e);
    }
};

bool isOctalDigitKey(int key) { return key >= Qt::Key_0 && key <= Qt::Key_7; }

}  // namespace

// ---- the model ------------------------------------------------------------

int FillModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : sheet_.Entries(); }

int FillModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant FillModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= sheet_.Entries())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::fromStdString(index.column() == kNumber ? sheet_.NumberText(index.row())
                                                                : sheet_.Cell(index.row()));
    if (role == Qt::BackgroundRole && index.column() == kNumber)
        return QColor(Qt::lightGray);  // the fixed column
    return {};
}

QVariant FillModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromUtf8(
        section == kNumber ? kFillNumberHead.data() : kFillValueHead.data(),
        static_cast<qsizetype>(section == kNumber ? kFillNumberHead.size() : kFillValueHead.size()));
}

Qt::ItemFlags FillModel::flags(const QModelIndex& index) const
{
    if (index.column() == kNumber)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool FillModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != kValue)
        return false;
    // through the sheet's input rules, whatever the editor let pass
    sheet_.SetCell(index.row(), value.toString().toStdString());
    RowChanged(index.row());
    return true;
}

void FillModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void FillModel::RowChanged(int row) { emit dataChanged(index(row, kNumber), index(row, kValue)); }

// ---- the grid -------------------------------------------------------------

void FillGrid::CommitEditing()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void FillGrid::keyPressEvent(QKeyEvent* e)
{
    const bool ctrlAlone = e->key() == Qt::Key_Control && !(e->modifiers() & ~Qt::ControlModifier);
    if (ctrlAlone && !e->isAutoRepeat() && ctrlPressed && ctrlPressed())
        return;
    if (keyTyped && keyTyped(e))
        return;
    QTableView::keyPressEvent(e);
}

void FillGrid::keyReleaseEvent(QKeyEvent* e)
{
    if (!e->isAutoRepeat() && keyReleased && keyReleased(e))
        return;
    QTableView::keyReleaseEvent(e);
}

void FillGrid::focusInEvent(QFocusEvent* e)
{
    if (focusChanged)
        focusChanged(true);
    QTableView::focusInEvent(e);
}

void FillGrid::focusOutEvent(QFocusEvent* e)
{
    // an open cell editor takes the focus, but the grid stays the place of work
    if (focusChanged && state() != EditingState)
        focusChanged(false);
    QTableView::focusOutEvent(e);
}

// ---- the dialog -----------------------------------------------------------

TForm4::TForm4(TRavx& controller, MachineState& machine, Host& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint),
      machine_(machine),
      host_(host),
      sheet_(controller, machine),
      model_(new FillModel(sheet_, this)),
      semi_(new TSemi(this))
{
    setModal(true);
    KeepOnScreen(this, Place::Centre);
    buildGrid();
    buildList();

    BitBtn1 = new QPushButton(QStringLiteral("Ввод"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Очистить"), this);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm4::BitBtn3Click);

    auto* right = new QVBoxLayout;
    right->addWidget(LB);
    right->addWidget(buildSwitches());
    GoLabC = new QLabel(QStringLiteral("Переход:"), this);
    GoLab = new QLabel(this);
    auto* goTo = new QHBoxLayout;
    goTo->addWidget(GoLabC);
    goTo->addWidget(GoLab, 1);
    right->addLayout(goTo);
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(ZGGrid);
    layout->addLayout(right);
    endGoTo();
    syncList();
}

void TForm4::buildGrid()
{
    ZGGrid = new FillGrid(this);
    ZGGrid->setModel(model_);
    ZGGrid->setItemDelegateForColumn(FillModel::kValue, new CellDelegate(sheet_, ZGGrid));
    ZGGrid->verticalHeader()->hide();
    ZGGrid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    ZGGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ZGGrid->setColumnWidth(FillModel::kNumber, kNumberWidth);
    ZGGrid->setColumnWidth(FillModel::kValue, kValueWidth);
    ZGGrid->setFixedWidth(kNumberWidth + kValueWidth + ZGGrid->verticalScrollBar()->sizeHint().width() + 4);
    ZGGrid->setMinimumHeight(kGridHeight);
    ZGGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ZGGrid->ctrlPressed = [this] { return ZGGridCtrl(); };
    ZGGrid->keyTyped = [this](QKeyEvent* e) { return ZGGridKeyPress(e); };
    ZGGrid->keyReleased = [this](QKeyEvent* e) { return ZGGridKeyUp(e); };
    ZGGrid->focusChanged = [this](bool focused) {
        showFocus(ZGGrid, focused);
        if (!focused)
            endGoTo();
    };
}

void TForm4::buildList()
{
    auto* list = new CharList(this);
    LB = list;
    for (int k = 0; k < kFillListItems; ++k)
        LB->addItem(QString::fromStdString(ListItemText(k)));
    // three columns of items, filled top to bottom
    const int rows = (kFillListItems + kListColumns - 1) / kListColumns;
    LB->setFlow(QListView::TopToBottom);
    LB->setWrapping(true);
    LB->setGridSize(QSize(kListCellWidth, kListCellHeight));
    LB->setUniformItemSizes(true);
    LB->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LB->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LB->setFixedSize(kListColumns * kListCellWidth + 2 * LB->frameWidth() + 4,
                     rows * kListCellHeight + 2 * LB->frameWidth() + 4);
    LB->setCurrentRow(0);
    showFocus(LB, false);
    list->chosen = [this] { LBChoose(); };
    connect(LB, &QListWidget::itemDoubleClicked, this, [this] { LBChoose(); });
}

QWidget* TForm4::buildSwitches()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    Koi8 = new QRadioButton(QStringLiteral("КОИ8"), box);
    Semiss = new QRadioButton(QStringLiteral("7сКод"), box);
    Semiss->setChecked(true);
    // "16сс" in Cyrillic letters, "16cc" in Latin ones
    CheckBox1 = new QCheckBox(QStringLiteral("16сс"), box);
    CheckBox2 = new QCheckBox(QStringLiteral("16cc"), box);
    grid->addWidget(Koi8, 0, 0);
    grid->addWidget(Semiss, 1, 0);
    grid->addWidget(CheckBox1, 0, 1);
    grid->addWidget(CheckBox2, 1, 1);
    connect(Koi8, &QRadioButton::toggled, this, [this](bool on) { sheet_.SetKoi8(on); });
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm4::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm4::CheckBox2Click);
    return box;
}

void TForm4::Load(FillTarget target)
{
    endGoTo();
    ZGGrid->CommitEditing();
    ZGGrid->hide();  // hidden while it is filled
    sheet_.Open(target);
    model_->Reload();
    const bool small = target == FillTarget::Zg3 || target == FillTarget::Zg4;
    ZGGrid->verticalHeader()->setDefaultSectionSize(small ? kSmallTableRowHeight : kRowHeight);
    ZGGrid->show();
    syncList();
    setWindowTitle(QString::fromStdString(sheet_.Caption()));
    ZGGrid->setCurrentIndex(model_->index(0, FillModel::kValue));
    ZGGrid->scrollToTop();
    ZGGrid->setFocus();
}

bool TForm4::Open(FillTarget target)
{
    Load(target);
    return exec() == QDialog::Accepted;
}

void TForm4::SetListEnabled(bool enabled, int uses)
{
    sheet_.SetListEnabled(enabled, uses);
    syncList();
}

void TForm4::syncList()
{
    LB->setEnabled(sheet_.ListEnabled());
    // in segment entry mode no key and no click may open a cell for typing
    ZGGrid->setEditTriggers(sheet_.SegmentEntryActive() ? QAbstractItemView::NoEditTriggers : kEditTriggers);
}

int TForm4::currentRow() const { return ZGGrid->currentIndex().isValid() ? ZGGrid->currentIndex().row() : 0; }

void TForm4::showFailure(const FillFailure& failure)
{
    const QModelIndex at = model_->index(failure.row, FillModel::kValue);
    ZGGrid->setCurrentIndex(at);
    ZGGrid->scrollTo(at, QAbstractItemView::PositionAtTop);
    ReportError(machine_, host_, failure.code);
}

void TForm4::BitBtn1Click()
{
    ZGGrid->CommitEditing();  // a cell still being typed counts
    if (const FillFailure f = sheet_.Enter()) {
        showFailure(f);
        return;
    }
    if (sheet_.Target() == FillTarget::DataRam)
        host_.dataRamChanged();
    accept();
}

void TForm4::BitBtn3Click()
{
    ZGGrid->CommitEditing();
    sheet_.Clear();
    model_->Reload();
}

void TForm4::CheckBox1Click()
{
    sheet_.SetHexNumbers(CheckBox1->isChecked());
    emit model_->dataChanged(model_->index(0, FillModel::kNumber),
                             model_->index(sheet_.Entries() - 1, FillModel::kNumber));
}

void TForm4::CheckBox2Click()
{
    ZGGrid->CommitEditing();
    if (const FillFailure f = sheet_.SetHexValues(CheckBox2->isChecked())) {
        const QSignalBlocker block(CheckBox2);
        CheckBox2->setChecked(sheet_.HexValues());  // the cells keep their base
        showFailure(f);
        return;
    }
    model_->Reload();
}

void TForm4::LBChoose()
{
    if (!sheet_.ListEnabled() || !LB->currentItem())
        return;
    ZGGrid->CommitEditing();
    const int row = currentRow();
    sheet_.Choose(row, LB->currentRow());
    model_->RowChanged(row);
}

bool TForm4::ZGGridCtrl()
{
    if (ZGGrid->Editing())
        return false;
    sheet_.BeginGoTo();
    showGoTo();
    return true;
}

bool TForm4::ZGGridKeyPress(QKeyEvent* e)
{
    if (sheet_.GoToActive())
        return isOctalDigitKey(e->key());  // collected on release
    const QString text = e->text();
    if (text.isEmpty() || e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    if (text.at(0).unicode() > static_cast<unsigned char>(kFillHighestChar))
        return true;  // discarded
    if (!sheet_.SegmentEntryActive() || !text.at(0).isPrint())
        return false;
    const int row = currentRow();
    semi_->Draw(sheet_.SegmentCode(row));
    sheet_.SegmentViewerClosed(row, semi_->aborted(), semi_->code());
    model_->RowChanged(row);
    syncList();
    return true;
}

bool TForm4::ZGGridKeyUp(QKeyEvent* e)
{
    if (!sheet_.GoToActive())
        return false;
    if (isOctalDigitKey(e->key())) {
        sheet_.GoToKey(static_cast<char>(e->key()));  // the key codes of 0-7 are their characters
        showGoTo();
        return true;
    }
    if (e->key() != Qt::Key_Control)
        return false;
    const std::optional<int> entry = sheet_.EndGoTo();
    endGoTo();
    if (entry) {
        const QModelIndex at = model_->index(*entry, FillModel::kValue);
        ZGGrid->setCurrentIndex(at);
        ZGGrid->scrollTo(at, QAbstractItemView::PositionAtTop);
    }
    return true;
}

void TForm4::endGoTo()
{
    sheet_.EndGoTo();
    GoLabC->hide();
    GoLab->hide();
    GoLab->clear();
}

void TForm4::showGoTo()
{
    GoLabC->show();
    GoLab->show();
    GoLab->setText(QString::fromStdString(sheet_.GoToText()));
}

}  // namespace ravx
