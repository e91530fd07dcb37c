#include "mainwindow/ShowOZU.h"

#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "machine/ScreenPlace.h"
#include "machine/TitleWidth.h"
#include "mainwindow/MemoryViews.h"

namespace ravx {

int DataRamModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kDataRamViewRows; }

int DataRamModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant DataRamModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::BackgroundRole && index.column() == 0)  // the fixed address column
        return QBrush(QApplication::palette().color(QPalette::Button));
    if (role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(index.column() == 0 ? DataRamAddressText(index.row(), hex_)
                                                      : DataRamWordText(m_, index.row()));
}

void DataRamModel::SetHexAddresses(bool hex)
{
    hex_ = hex;
    emit dataChanged(index(0, 0), index(kDataRamViewRows - 1, 0));
}

void DataRamModel::Refresh() { emit dataChanged(index(0, 1), index(kDataRamViewRows - 1, 1)); }

TShowZU::TShowZU(Simulator& sim, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), sim_(sim), model_(new DataRamModel(sim.m, this))
{
    setWindowTitle(QStringLiteral("ОЗУ данных"));
    KeepOnScreen(this, Place::WindowManager);
    QFont mono(QStringLiteral("Courier New"));
    mono.setPixelSize(13);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("ZUGrid"));
    Grid->setModel(model_);
    Grid->setFont(mono);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(17);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->setColumnWidth(0, 50);
    Grid->setColumnWidth(1, 50);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->horizontalHeader()->setStretchLastSection(true);  // the window is as wide as its title
    Grid->installEventFilter(this);

    goCaption_ = new QLabel(QStringLiteral("Переход:"), this);
    GoLab = new QLabel(this);
    GoLab->setObjectName(QStringLiteral("ZUGoLab"));
    GoLab->hide();  // the caption stays; only the typed address comes and goes
    // Latin "cc", as the laboratory's screens have it
    Hex = new QCheckBox(QStringLiteral("Адрес 16cc"), this);
    Hex->installEventFilter(this);
    connect(Hex, &QCheckBox::toggled, this, [this](bool on) { model_->SetHexAddresses(on); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(Grid, 1);  // the grid takes the window's height
    auto* go = new QHBoxLayout;
    go->setContentsMargins(4, 0, 4, 0);
    go->addWidget(goCaption_);
    go->addWidget(GoLab);
    go->addStretch();
    layout->addLayout(go);
    auto* hex = new QHBoxLayout;
    hex->setContentsMargins(4, 0, 4, 0);
    hex->addWidget(Hex);
    layout->addLayout(hex);
    setMinimumWidth(TitleBarWidth(windowTitle()));
    resize(std::max(50 * 2 + 24, minimumWidth()), 17 * 16 + 66);
}

void TShowZU::DataRamChanged()
{
    if (isVisible())
        model_->Refresh();
}

void TShowZU::showEvent(QShowEvent* e)
{
    model_->Refresh();
    QWidget::showEvent(e);
}

void TShowZU::endGoTo()
{
    goTo_ = false;
    GoLab->hide();
}

bool TShowZU::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Grid && watched != Hex)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut && goTo_) {
        endGoTo();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    const bool digit = (k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_F);
    if (event->type() == QEvent::KeyPress) {
        if (k == Qt::Key_Control && !(key->modifiers() & ~Qt::ControlModifier) && !key->isAutoRepeat()) {
            goTo_ = true;
            typed_.clear();
            GoLab->clear();
            GoLab->show();
            return true;
        }
        return goTo_ && digit;  // collected on release
    }
    if (!goTo_ || key->isAutoRepeat())
        return false;
    if (digit) {
        typed_ += QChar(k);
        GoLab->setText(typed_);
        return true;
    }
    if (k == Qt::Key_Control) {
        endGoTo();
        if (const auto row = DataRamGoTo(sim_.m, sim_.host(), typed_.toStdString(), Hex->isChecked())) {
            Grid->selectRow(*row);
            Grid->scrollTo(model_->index(*row, 0), QAbstractItemView::PositionAtTop);
        }
        return true;
    }
    return false;
}

}  // namespace ravx
