#include "mainwindow/Unit1_grid.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QUndoStack>
#include <optional>
#include <utility>

#include "machine/TextCheck.h"
#include "machine/_Asm_errors.h"

namespace ravx {
namespace {
const QColor kUnfocused(0xE0, 0xE0, 0xE0);

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool isGoToKey(int key) { return (key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_F); }

// A key that types a character: it would open a cell editor or go into one.
bool typesCharacter(const QKeyEvent* e)
{
    return !e->text().isEmpty() && e->text().at(0).isPrint() &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
}  // namespace

// One change of the rows on the undo stack. It is pushed once done, so its
// first redo has nothing to do.
class RowsCommand : public QUndoCommand {
public:
    RowsCommand(ProgramModel& model, ProgramChange change) : model_(model), change_(std::move(change)) {}
    void undo() override { model_.restore(change_, true); }
    void redo() override
    {
        if (!std::exchange(pushed_, true))
            return;
        model_.restore(change_, false);
    }

private:
    ProgramModel& model_;
    ProgramChange change_;
    bool pushed_ = false;
};

// ---- the model ---------------------------------------------------------------

ProgramModel::ProgramModel(Simulator& sim, QObject* parent)
    : QAbstractTableModel(parent), sim_(sim), undo_(new QUndoStack(this)), recorded_(sim.program.rows)
{
    undo_->setUndoLimit(kUndoLevels);
}

int ProgramModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kStatementRows; }

int ProgramModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant ProgramModel::data(const QModelIndex& index, int role) const
{
    if (detached_ || !index.isValid() || index.row() >= kStatementRows)
        return {};
    const ProgramRow& row = sim_.program.rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case kAddress: return QString::fromStdString(RowAddressText(index.row()));
        case kStatement: return qs(row.statement);
        case kComment: return qs(row.comment);
        default: return {};
        }
    case Qt::BackgroundRole:
        if (index.column() == kAddress && row.breakpoint)
            return QBrush(Qt::red);
        return {};
    case Qt::ForegroundRole:
        if (index.column() == kAddress && row.breakpoint)
            return QBrush(Qt::blue);
        if (index.column() != kComment && textError(index.row()) != 0)
            return QBrush(Qt::darkRed);
        return {};
    case Qt::FontRole:
        // a row whose text already decides an error: its address and
        // statement underlined and bold, readable without colour too
        if (index.column() != kComment && textError(index.row()) != 0) {
            QFont font;
            font.setUnderline(true);
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
        if (index.column() != kComment) {
            if (const uint8_t code = textError(index.row()); code != 0)
                return QStringLiteral("Ошибка %1: %2")
                    .arg(code)
                    .arg(QString::fromStdString(ErrorMessage(code)[0]));
        }
        return {};
    default: return {};
    }
}

uint8_t ProgramModel::textError(int row) const
{
    if (detached_ || row < 0 || row >= kStatementRows)
        return 0;
    if (checked_.empty())
        checked_.resize(kStatementRows, {std::string(), uint8_t{0}});
    const std::string& text = sim_.program.rows[static_cast<std::size_t>(row)].statement;
    auto& [seen, code] = checked_[static_cast<std::size_t>(row)];
    if (seen != text) {
        seen = text;
        code = TextDecidedError(text);
    }
    return code;
}

QVariant ProgramModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kAddress: return QStringLiteral(" N");
    case kStatement: return QStringLiteral("       Команда");
    case kComment: return QStringLiteral("        Комментарий");
    default: return {};
    }
}

Qt::ItemFlags ProgramModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == kAddress)
        return Qt::ItemIsEnabled;
    const Qt::ItemFlags text = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return editable() ? text | Qt::ItemIsEditable : text;
}

bool ProgramModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable() || role != Qt::EditRole || !index.isValid() || index.column() == kAddress ||
        index.row() >= kStatementRows)
        return false;
    ProgramRow& row = sim_.program.rows[index.row()];
    std::string& target = index.column() == kStatement ? row.statement : row.comment;
    const std::string text = CellText(value.toString().toStdString());
    if (text != target) {
        target = text;
        rowsChanged(index.row(), index.row());
    }
    return true;
}

void ProgramModel::rowsChanged(int first, int last)
{
    if (detached_)
        return;
    ProgramChange change = ChangedRows(recorded_, sim_.program, first, last);
    for (const ProgramChange::Row& r : change.rows)
        recorded_[static_cast<std::size_t>(r.address)] = r.after;
    if (change.ChangesStatements())
        sim_.EndHistory();  // a step back would replay the new texts
    // a breakpoint mark alone is set and cleared by its own command, not undone
    if (change.ChangesTexts())
        undo_->push(new RowsCommand(*this, std::move(change)));
    showRows(first, last);
}

void ProgramModel::restore(const ProgramChange& change, bool undo)
{
    if (detached_ || change.Empty())
        return;
    if (undo)
        UndoChange(sim_.program, change);
    else
        RedoChange(sim_.program, change);
    for (const ProgramChange::Row& r : change.rows)
        recorded_[static_cast<std::size_t>(r.address)] = sim_.program.rows[static_cast<std::size_t>(r.address)];
    if (change.ChangesStatements())
        sim_.EndHistory();
    lastRestored_ = std::min(change.rows.front().address, kLastStatementRow);  // the spare row has no grid row
    showRows(change.rows.front().address, change.rows.back().address);
}

void ProgramModel::showRows(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, kStatementRows - 1);
    if (first <= last)
        emit dataChanged(index(first, kAddress), index(last, kComment));
}

// ---- the cell editor ---------------------------------------------------------

void CellEditor::keyPressEvent(QKeyEvent* e)
{
    const QString t = e->text();
    const bool typed = !t.isEmpty() && t.at(0).isPrint();
    if (typed && overflow && overflow(e))
        return;
    QLineEdit::keyPressEvent(e);
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    auto* editor = new CellEditor(parent);
    editor->setFont(option.font);
    editor->setFrame(false);
    if (editorCreated)
        editorCreated(editor, index);
    return editor;
}

namespace {
// Tab and Backtab with Ctrl held: the key that leaves the grid. Shift+Tab may
// come as Backtab or as Tab with Shift, depending on the source.
std::optional<bool> leavingKey(const QKeyEvent* k)
{
    if (!(k->modifiers() & Qt::ControlModifier))
        return std::nullopt;
    if (k->key() == Qt::Key_Backtab)
        return false;
    if (k->key() == Qt::Key_Tab)
        return !(k->modifiers() & Qt::ShiftModifier);
    return std::nullopt;
}
}  // namespace

bool CellDelegate::eventFilter(QObject* object, QEvent* event)
{
    // The item delegate would take Ctrl+Tab for a plain Tab to the next cell.
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress && leaveGrid) {
        if (const std::optional<bool> forward = leavingKey(static_cast<QKeyEvent*>(event))) {
            emit commitData(editor);
            leaveGrid(editor, *forward);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---- the grid ----------------------------------------------------------------

ProgramGrid::ProgramGrid(ProgramModel* model, QWidget* parent) : QTableView(parent), model_(model)
{
    setModel(model);
    auto* delegate = new CellDelegate(this);
    delegate->editorCreated = [this](CellEditor* editor, const QModelIndex& index) {
        editor->overflow = [this, editor, index](QKeyEvent* key) { return continueInNextRow(editor, index, key); };
    };
    delegate->leaveGrid = [this](QWidget* editor, bool forward) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        leave(forward);
    };
    setItemDelegate(delegate);
    // Tab is handled here (focusNextPrevChild): it walks the two text columns
    // rather than every cell, and Ctrl+Tab leaves the grid.
    setTabKeyNavigation(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setBackgroundFocused(false);
}

void ProgramGrid::setCurrentCell(int row, int column)
{
    setCurrentIndex(model_->index(row, column));
}

void ProgramGrid::commitEditing()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

ProgramGrid::Range ProgramGrid::selectedRange() const
{
    Range r;
    QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid())
        cells.push_back(currentIndex());
    for (const QModelIndex& i : cells) {
        if (r.top < 0) {
            r.top = r.bottom = i.row();
            r.left = r.right = i.column();
        }
        r.top = std::min(r.top, i.row());
        r.bottom = std::max(r.bottom, i.row());
        r.left = std::min(r.left, i.column());
        r.right = std::max(r.right, i.column());
    }
    r.left = std::clamp(r.left, 1, 2);
    r.right = std::clamp(r.right, r.left, 2);
    return r;
}

bool ProgramGrid::continueInNextRow(CellEditor* editor, const QModelIndex& index, QKeyEvent* key)
{
    const auto column = index.column() == ProgramModel::kComment ? ProgramColumn::Comment : ProgramColumn::Statement;
    if (!TypingGoesOnInNextRow(model_->program(), index.row(), column, editor->text().toStdString()))
        return false;  // the text grows in its own cell
    const QModelIndex next = model_->index(index.row() + 1, index.column());
    commitData(editor);
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    setCurrentIndex(next);
    edit(next);
    // the key goes on at the end of whatever the next row holds
    if (auto* nextEditor = qobject_cast<CellEditor*>(indexWidget(next))) {
        nextEditor->deselect();
        nextEditor->end(false);
        QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(nextEditor, &copy);
    }
    return true;
}

void ProgramGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    movingCurrent_ = true;
    QTableView::currentChanged(current, previous);
    movingCurrent_ = false;
}

bool ProgramGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    constexpr EditTriggers byStudent = DoubleClicked | EditKeyPressed | AnyKeyPressed;
    if (!model_->editable() && index.isValid() && index.column() != ProgramModel::kAddress &&
        (trigger & byStudent & editTriggers())) {
        if (editRefused)
            editRefused();
        return false;
    }
    return QTableView::edit(index, trigger, event);
}

void ProgramGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (movingCurrent_)
        hint = QAbstractItemDelegate::NoHint;
    switch (hint) {
    case QAbstractItemDelegate::SubmitModelCache: {
        // Enter: typing goes on in the next row's same column
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        const QModelIndex at = currentIndex();
        if (at.isValid() && at.row() < kLastStatementRow)
            setCurrentIndex(model_->index(at.row() + 1, at.column()));
        return;
    }
    case QAbstractItemDelegate::EditNextItem:
    case QAbstractItemDelegate::EditPreviousItem:
        // Tab in an editor: the text is in; typing goes on in the next text cell
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveToTextCell(hint == QAbstractItemDelegate::EditNextItem);
        return;
    default: QTableView::closeEditor(editor, hint);
    }
}

void ProgramGrid::keyPressEvent(QKeyEvent* e)
{
    // Ctrl alone: whether the event counts Ctrl itself among the modifiers
    // differs between sources, so only the other modifiers are looked at
    const bool ctrlAlone = e->key() == Qt::Key_Control && !(e->modifiers() & ~Qt::ControlModifier);
    if (ctrlAlone && !e->isAutoRepeat()) {
        goTo_ = true;
        goToText_.clear();
        if (goToChanged)
            goToChanged();
        return;
    }
    if (const std::optional<bool> forward = leavingKey(e)) {
        leave(*forward);
        return;
    }
    if (goTo_ && isGoToKey(e->key()))
        return;  // collected on release
    if (!model_->editable() && typesCharacter(e)) {
        // no search for a row by its first letter either: the key did nothing
        if (editRefused)
            editRefused();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier &&
        state() != EditingState) {
        const QModelIndex at = currentIndex();
        if (at.isValid() && at.row() < kLastStatementRow)
            setCurrentIndex(model_->index(at.row() + 1, at.column()));
        return;
    }
    QTableView::keyPressEvent(e);
}

void ProgramGrid::keyReleaseEvent(QKeyEvent* e)
{
    if (goTo_ && !e->isAutoRepeat()) {
        if (isGoToKey(e->key())) {
            goToText_ += QChar(e->key());  // the key codes of 0-9 and A-F are their characters
            if (goToChanged)
                goToChanged();
            return;
        }
        if (e->key() == Qt::Key_Control) {
            const std::optional<int> row = GoToRow(goToText_.toStdString());
            endGoTo();
            if (row) {
                const QModelIndex at = model_->index(*row, ProgramModel::kStatement);
                setCurrentIndex(at);
                scrollTo(at, PositionAtTop);
            }
            return;
        }
    }
    QTableView::keyReleaseEvent(e);
}

bool ProgramGrid::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab of the grid itself; other callers move the focus on
    if (!hasFocus() || state() == EditingState)
        return QTableView::focusNextPrevChild(next);
    moveToTextCell(next);
    return true;
}

void ProgramGrid::moveToTextCell(bool forward)
{
    const QModelIndex at = currentIndex();
    int row = at.isValid() ? at.row() : 0;
    int column = at.isValid() ? at.column() : ProgramModel::kAddress;
    if (forward) {
        if (column == ProgramModel::kStatement) {
            column = ProgramModel::kComment;
        } else if (column == ProgramModel::kAddress) {
            column = ProgramModel::kStatement;
        } else if (row < kLastStatementRow) {
            ++row;
            column = ProgramModel::kStatement;
        }
    } else {
        if (column == ProgramModel::kComment) {
            column = ProgramModel::kStatement;
        } else if (row > 0) {
            --row;
            column = ProgramModel::kComment;
        } else {
            column = ProgramModel::kStatement;
        }
    }
    setCurrentIndex(model_->index(row, column));
}

void ProgramGrid::leave(bool forward)
{
    endGoTo();
    QAbstractScrollArea::focusNextPrevChild(forward);
}

void ProgramGrid::endGoTo()
{
    if (!goTo_)
        return;
    goTo_ = false;
    if (goToChanged)
        goToChanged();
}

void ProgramGrid::setBackgroundFocused(bool focused)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, focused ? QApplication::palette().color(QPalette::Base) : kUnfocused);
    setPalette(p);
}

void ProgramGrid::focusInEvent(QFocusEvent* e)
{
    setBackgroundFocused(true);
    QTableView::focusInEvent(e);
}

void ProgramGrid::focusOutEvent(QFocusEvent* e)
{
    // an open cell editor takes the focus from the grid, but the grid stays the place of work
    if (state() != EditingState)
        setBackgroundFocused(false);
    endGoTo();
    QTableView::focusOutEvent(e);
}

void ProgramGrid::mouseMoveEvent(QMouseEvent* e)
{
    if (!hasFocus() && state() != EditingState && hovered)
        hovered();
    QTableView::mouseMoveEvent(e);
}

}  // namespace ravx
