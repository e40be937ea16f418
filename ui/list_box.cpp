// A list whose rows are a count and a text function.
#include "ui/list_box.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <utility>

namespace dabro {

namespace {
constexpr int kRowHeight = 13;
}

void RowsModel::reset_rows(int count, RowText text) {
    const int rows = count > 0 ? count : 0;
    if (rows == rows_) {
        // Same number of rows: new texts, but the view keeps its layout. A reset would make
        // it lay out every row again, the dearest part of a refresh of a long list.
        text_ = std::move(text);
        if (rows > 0) emit dataChanged(index(0), index(rows - 1), {Qt::DisplayRole});
        return;
    }
    beginResetModel();
    rows_ = rows;
    text_ = std::move(text);
    endResetModel();
}

int RowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant RowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || !text_) return {};
    if (role == Qt::DisplayRole) return text_(index.row());
    if (role == Qt::SizeHintRole) return QSize(1, kRowHeight);
    return {};
}

ListBox::ListBox(QWidget* parent) : QListView(parent), rows_(new RowsModel(this)) {
    setModel(rows_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setSpacing(0);
    // The focus comes with a primary press only (see mousePressEvent), so a secondary
    // click that opens a popup menu leaves the focus, and a field's edit, where they are.
    setFocusPolicy(Qt::TabFocus);
}

int ListBox::count() const {
    return rows_->rowCount();
}

int ListBox::item_index() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void ListBox::set_item_index(int row) {
    if (row == item_index()) return;
    if (row >= 0 && row < count())
        setCurrentIndex(rows_->index(row));
    else
        selectionModel()->clear();
}

void ListBox::rebuild(int count, RowText text) {
    rows_->reset_rows(count, std::move(text));
}

QString ListBox::item_text(int row) const {
    return rows_->index(row).data().toString();
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
    // Ctrl+click on the selected row and Ctrl+Space would deselect it; a list with rows
    // always has one selected, as the handlers expect.
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    // Only the primary button on a row selects: the secondary one opens a popup menu, if
    // any, and a press below the last row would otherwise clear the selection unseen.
    if (event->button() != Qt::LeftButton || !indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
    emit user_clicked();
}

void ListBox::mouseMoveEvent(QMouseEvent* event) {
    const int before = item_index();
    QListView::mouseMoveEvent(event);
    if (item_index() != before) emit user_clicked();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    const int before = item_index();
    QListView::keyPressEvent(event);
    if (item_index() != before) emit user_clicked();
}

}  // namespace dabro
