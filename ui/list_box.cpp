#include "ui/list_box.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <utility>

namespace dabro {

namespace {
constexpr int kRowHeight = 13;
}

void RowsModel::reset_rows(int count, RowText text) {
    beginResetModel();
    rows_ = count > 0 ? count : 0;
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
}

int ListBox::count() const {
    return rows_->rowCount();
}

int ListBox::item_index() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void ListBox::set_item_index(int row) {
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

void ListBox::mousePressEvent(QMouseEvent* event) {
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
