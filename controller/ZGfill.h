// The fill dialog "Заполнение ...": a character generator, the code generator
// or the first 1024 words of the data RAM filled cell by cell, from the
// character list, or through the seven-segment viewer while strobed input is
// on. What the cells say and what "Ввод" stores is decided by FillSheet.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QTableView>

#include "controller/ZGfill_model.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace ravx {

class Host;
class TRavx;
struct MachineState;
class TSemi;

// The grid ZGGrid: the entry numbers and the value cells of the sheet.
class FillModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNumber = 0, kValue = 1 };
    FillModel(FillSheet& sheet, QObject* parent = nullptr) : QAbstractTableModel(parent), sheet_(sheet) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // The sheet changed as a whole (opened, converted, cleared).
    void Reload();
    void RowChanged(int row);

private:
    FillSheet& sheet_;
};

// The grid's own keys: Ctrl starts the go-to entry, keys in segment entry
// mode open the viewer, characters above "f" are discarded.
class FillGrid : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    bool Editing() const { return state() == EditingState; }
    // Puts an open editor's text into its cell and closes it.
    void CommitEditing();
    std::function<bool()> ctrlPressed;            // returns whether the go-to entry started
    std::function<bool(QKeyEvent*)> keyTyped;     // returns whether the key was taken
    std::function<bool(QKeyEvent*)> keyReleased;  // returns whether the key was taken
    std::function<void(bool)> focusChanged;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(TRavx& controller, MachineState& machine, Host& host, QWidget* parent = nullptr);

    // The six items of the menu "Заполнение": fills the grid from the target
    // and shows the dialog modally. True when "Ввод" stored the cells.
    bool Open(FillTarget target);
    // The grid filled from the target, as Open does before it shows the dialog.
    void Load(FillTarget target);
    // The host's fillDialogListEnabled, and the hidden "Скрыть" (the list
    // toggled, no uses).
    void SetListEnabled(bool enabled, int uses);
    bool ListEnabled() const { return sheet_.ListEnabled(); }

    const FillSheet& sheet() const { return sheet_; }
    TSemi* viewer() const { return semi_; }

    FillGrid* ZGGrid = nullptr;
    QListWidget* LB = nullptr;
    QRadioButton* Koi8 = nullptr;
    QRadioButton* Semiss = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // "16сс": the number column
    QCheckBox* CheckBox2 = nullptr;  // "16cc": the value column
    QLabel* GoLabC = nullptr;
    QLabel* GoLab = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Ввод"
    QPushButton* BitBtn2 = nullptr;  // "Отмена"
    QPushButton* BitBtn3 = nullptr;  // "Очистить"

private:
    void buildGrid();
    void buildList();
    QWidget* buildSwitches();
    void BitBtn1Click();
    void BitBtn3Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void LBChoose();
    bool ZGGridCtrl();
    bool ZGGridKeyPress(QKeyEvent* e);
    bool ZGGridKeyUp(QKeyEvent* e);
    void endGoTo();
    void showGoTo();
    void syncList();
    void showFailure(const FillFailure& failure);
    int currentRow() const;

    MachineState& machine_;
    Host& host_;
    FillSheet sheet_;
    FillModel* model_;
    TSemi* semi_;
};

}  // namespace ravx
