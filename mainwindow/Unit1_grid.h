// The program grid of the main window: a view of the core's program rows, so
// the text on screen is the text that runs and is saved. The editing rules
// live in the core; the grid adds the keys of a text editor: Enter goes on in
// the next row, long texts continue in the next row, Tab and Shift+Tab walk
// the statement and comment cells, Ctrl+Tab leaves the grid, Ctrl alone
// starts the go-to entry. Every change of the rows is kept for undo, and
// while a program runs the rows take no edit.
#pragma once

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "mainwindow/ProgramEdit.h"
#include "mainwindow/Simulator.h"

class QUndoStack;

namespace ravx {

// The 499 statement rows: address, "Команда", "Комментарий".
class ProgramModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kAddress = 0, kStatement = 1, kComment = 2 };

    explicit ProgramModel(Simulator& sim, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The core changed these rows (an edit command, a loaded file): they are
    // shown anew, and a change of their texts becomes one step on the undo
    // stack. A change of statements ends the step-back history, which would
    // replay the old texts.
    void rowsChanged(int first, int last);
    void allChanged() { rowsChanged(0, kProgramRows - 1); }
    // "Отменить" and "Повторить" work this stack; at least this many steps.
    static constexpr int kUndoLevels = 500;
    QUndoStack* undoStack() const { return undo_; }
    // The first row the last undo or redo changed, -1 before any.
    int lastRestoredRow() const { return lastRestored_; }
    // Whether the rows take an edit: not while a program runs.
    bool editable() const { return !detached_ && !sim_.Running(); }
    const Program& program() const { return sim_.program; }

    // The error the row's statement text decides before it runs, or 0.
    uint8_t textError(int row) const;
    // The machine is going away before the grid: from now on the model shows
    // nothing and takes nothing (a cell editor closing on the way out would
    // otherwise write into it).
    void detach() { detached_ = true; }

private:
    friend class RowsCommand;
    // Undo (or redo) of a change on the stack.
    void restore(const ProgramChange& change, bool undo);
    void showRows(int first, int last);

    Simulator& sim_;
    bool detached_ = false;
    QUndoStack* undo_;
    // The rows as the undo stack last saw them: a change reported is what
    // differs from these.
    ProgramRows recorded_;
    int lastRestored_ = -1;
    // The last text checked in each row and its verdict: the check runs
    // again only when the text differs.
    mutable std::vector<std::pair<std::string, uint8_t>> checked_;
};

// The cell editor: offers every typed key to the grid first, which may take
// it on to the next row when the text is past its soft limit.
class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    // Returns whether the key was taken elsewhere.
    std::function<bool(QKeyEvent*)> overflow;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    std::function<void(CellEditor*, const QModelIndex&)> editorCreated;
    // Ctrl+Tab or Ctrl+Shift+Tab in an editor: its text is committed, then
    // this is called to leave the grid (forward or backward).
    std::function<void(QWidget* editor, bool forward)> leaveGrid;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

class ProgramGrid : public QTableView {
    Q_OBJECT
public:
    explicit ProgramGrid(ProgramModel* model, QWidget* parent = nullptr);

    ProgramModel* programModel() const { return model_; }
    using QTableView::edit;
    int currentRow() const { return currentIndex().row(); }
    void setCurrentCell(int row, int column);
    // Puts an open editor's text into the program and closes it: every
    // command that reads the program calls this first.
    void commitEditing();
    // The selected rectangle, columns limited to the two editable ones.
    struct Range {
        int top = -1, bottom = -1, left = 1, right = 1;
    };
    Range selectedRange() const;

    // ---- the go-to entry ("Переход:") ----
    bool goToActive() const { return goTo_; }
    QString goToText() const { return goToText_; }
    void endGoTo();
    std::function<void()> goToChanged;  // started, extended or ended

    // A mouse move while the grid has no focus ("Смена фокуса ввода мышью").
    std::function<void()> hovered;
    // A key or a double click that would edit a cell while the rows take no
    // edit (a program runs): it did nothing, and the student is told why.
    std::function<void()> editRefused;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    bool continueInNextRow(CellEditor* editor, const QModelIndex& index, QKeyEvent* key);
    // Tab: the comment after the statement, the next row's statement after
    // the comment; Shift+Tab the other way. Nothing at either end.
    void moveToTextCell(bool forward);
    // Ctrl+Tab: on to the matrix and its boxes (or back, with Shift).
    void leave(bool forward);
    void setBackgroundFocused(bool focused);

    ProgramModel* model_;
    bool movingCurrent_ = false;  // an editor closed by a move of the current cell, not by Enter
    bool goTo_ = false;
    QString goToText_;
};

}  // namespace ravx
