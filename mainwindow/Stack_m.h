// The stack view "Стек" and the data RAM view "ОЗУ данных": always-on-top
// tool windows whose grids are models over the machine state, so they show
// the machine as it is and cost nothing while hidden.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "mainwindow/Simulator.h"

class QTableView;

namespace ravx {

// Row r: byte address 2 x (255 - r) and the word of slot 255 - r.
class StackModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StackModel(const MachineState& m, QObject* parent = nullptr) : QAbstractTableModel(parent), m_(m) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The stack changed: every word is shown afresh.
    void Refresh();

private:
    const MachineState& m_;
};

class TStack : public QWidget {
    Q_OBJECT
public:
    TStack(const MachineState& m, QWidget* parent = nullptr);
    // Called when the stack changed; does nothing while the view is hidden.
    void StackChanged();
    QTableView* Grid = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    StackModel* model_;
};

}  // namespace ravx
