// The display RAM view "ОЗУ индикации": a small tool window that stays on top
// and lists the 16 display RAM entries split into their halves.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

class QRadioButton;
class QTableView;

namespace ravx {

class RavxState;

// The grid MOZU: the heading row and the display RAM entries, read straight
// from the controller.
class MozuModel : public QAbstractTableModel {
    Q_OBJECT
public:
    MozuModel(const RavxState& controller, QObject* parent = nullptr) : QAbstractTableModel(parent), controller_(controller) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex&) const override { return Qt::ItemIsEnabled; }

    bool Hex() const { return hex_; }
    void SetHex(bool hex);
    // The display RAM changed: every row is read again.
    void Refresh();

private:
    const RavxState& controller_;
    bool hex_ = false;
};

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(const RavxState& controller, QWidget* parent = nullptr);
    // The main window calls this when its host hears displayRamChanged.
    void Refresh();

    QTableView* MOZU = nullptr;
    QRadioButton* SS8 = nullptr;
    QRadioButton* SS16 = nullptr;
    MozuModel* model() const { return model_; }

protected:
    bool event(QEvent* e) override;

private:
    void SSClick();

    MozuModel* model_;
};

}  // namespace ravx
