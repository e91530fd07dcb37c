#include "controller/MOZU.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "controller/MOZU_model.h"
#include "controller/Timer_state.h"
#include "machine/ScreenPlace.h"
#include "machine/TitleWidth.h"

namespace ravx {
namespace {
constexpr int kColumnWidths[kMozuColumns] = {27, 30, 30, 30};
constexpr int kRowHeight = 15;
constexpr int kFontPixels = 11;
}  // namespace

int MozuModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kMozuRows; }

int MozuModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kMozuColumns; }

QVariant MozuModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool head = index.row() == 0;
    if (role == Qt::DisplayRole) {
        if (head)
            return QString::fromStdString(MozuHead(index.column()));
        const int entry = index.row() - 1;
        if (entry >= kMozuEntries)
            return {};
        return QString::fromStdString(
            MozuCell(entry, controller_.DisplayRam[static_cast<std::size_t>(entry)], index.column(), hex_));
    }
    // the heading row and the number column are the grid's fixed cells
    if (role == Qt::BackgroundRole && (head || index.column() == kMozuEntry))
        return QColor(Qt::lightGray);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

void MozuModel::SetHex(bool hex)
{
    hex_ = hex;
    Refresh();
}

void MozuModel::Refresh() { emit dataChanged(index(1, 0), index(kMozuEntries, kMozuColumns - 1)); }

TForm3::TForm3(const RavxState& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), model_(new MozuModel(controller, this))
{
    setWindowTitle(QStringLiteral("ОЗУ индикации"));
    KeepOnScreen(this, Place::WindowManager);
    MOZU = new QTableView(this);
    MOZU->setModel(model_);
    MOZU->horizontalHeader()->hide();
    MOZU->verticalHeader()->hide();
    MOZU->setFocusPolicy(Qt::NoFocus);
    MOZU->setSelectionMode(QAbstractItemView::NoSelection);
    MOZU->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MOZU->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MOZU->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f = MOZU->font();
    f.setPixelSize(kFontPixels);
    MOZU->setFont(f);
    MOZU->verticalHeader()->setMinimumSectionSize(kRowHeight);
    MOZU->verticalHeader()->setDefaultSectionSize(kRowHeight);
    int width = 0;
    for (int c = 0; c < kMozuColumns; ++c) {
        MOZU->setColumnWidth(c, kColumnWidths[c]);
        width += kColumnWidths[c];
    }
    const int frame = 2 * MOZU->frameWidth();
    MOZU->setFixedSize(width + frame, kMozuRows * kRowHeight + frame);

    auto* ss = new QGroupBox(this);
    auto* ssLayout = new QHBoxLayout(ss);
    SS8 = new QRadioButton(QStringLiteral("8"), ss);
    SS16 = new QRadioButton(QStringLiteral("16"), ss);
    SS8->setChecked(true);
    ssLayout->addWidget(SS8);
    ssLayout->addWidget(SS16);
    auto* group = new QButtonGroup(this);
    group->addButton(SS8);
    group->addButton(SS16);
    connect(group, &QButtonGroup::buttonClicked, this, [this] { SSClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(MOZU, 0, Qt::AlignHCenter);
    layout->addWidget(ss);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // as wide as the title, the grid centred above the base switch
    const QMargins margins = layout->contentsMargins();
    ss->setMinimumWidth(TitleBarWidth(windowTitle()) - margins.left() - margins.right());
}

void TForm3::SSClick() { model_->SetHex(SS16->isChecked()); }

void TForm3::Refresh()
{
    if (isVisible())
        model_->Refresh();
}

bool TForm3::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        MOZU->clearSelection();
    return QWidget::event(e);
}

}  // namespace ravx
