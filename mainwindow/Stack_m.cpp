#include "mainwindow/Stack_m.h"

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "machine/ScreenPlace.h"
#include "machine/TitleWidth.h"
#include "mainwindow/MemoryViews.h"

namespace ravx {

int StackModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kStackViewRows; }

int StackModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant StackModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(index.column() == 0 ? StackAddressText(index.row())
                                                          : StackWordText(m_, index.row()));
    // the address column is fixed; the slot the next push writes to is marked
    if (role == Qt::BackgroundRole && index.column() == 0)
        return StackSlotOfRow(index.row()) == m_.SP ? QBrush(QColor(0xFF, 0xFF, 0xC0))
                                                    : QBrush(QApplication::palette().color(QPalette::Button));
    return {};
}

void StackModel::Refresh() { emit dataChanged(index(0, 0), index(kStackViewRows - 1, 1)); }

TStack::TStack(const MachineState& m, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), model_(new StackModel(m, this))
{
    setWindowTitle(QStringLiteral("Стек"));
    KeepOnScreen(this, Place::WindowManager);
    QFont mono(QStringLiteral("Courier New"));
    mono.setPixelSize(13);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("StackGrid"));
    Grid->setModel(model_);
    Grid->setFont(mono);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(15);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->setColumnWidth(0, 49);
    Grid->setColumnWidth(1, 49);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::NoSelection);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->horizontalHeader()->setStretchLastSection(true);  // the window is as wide as its title
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid);  // the grid takes the window's height
    setMinimumWidth(TitleBarWidth(windowTitle()));
    resize(std::max(49 * 2 + 24, minimumWidth()), 15 * 16 + 4);
}

void TStack::StackChanged()
{
    if (isVisible())
        model_->Refresh();
}

void TStack::showEvent(QShowEvent* e)
{
    model_->Refresh();
    QWidget::showEvent(e);
}

}  // namespace ravx
