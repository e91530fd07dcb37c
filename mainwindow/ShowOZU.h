// The data RAM view "ОЗУ данных": one row per word 0..3069, the address in
// octal or (with "Адрес 16cc") hexadecimal, and a go-to entry with Ctrl.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "mainwindow/Simulator.h"

class QCheckBox;
class QLabel;
class QTableView;

namespace ravx {

class DataRamModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataRamModel(const MachineState& m, QObject* parent = nullptr) : QAbstractTableModel(parent), m_(m) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void SetHexAddresses(bool hex);
    bool hexAddresses() const { return hex_; }
    void Refresh();

private:
    const MachineState& m_;
    bool hex_ = false;
};

class TShowZU : public QWidget {
    Q_OBJECT
public:
    TShowZU(Simulator& sim, QWidget* parent = nullptr);
    // Every step and every store while the view is visible.
    void DataRamChanged();

    QTableView* Grid = nullptr;
    QCheckBox* Hex = nullptr;  // "Адрес 16cc"
    QLabel* GoLab = nullptr;   // the typed address

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    void endGoTo();

    Simulator& sim_;
    DataRamModel* model_;
    QLabel* goCaption_ = nullptr;
    bool goTo_ = false;
    QString typed_;
};

}  // namespace ravx
