// A list whose rows are a count and a text function.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <functional>

namespace dabro {

// The text of row `row`, computed from the document when the row is shown.
using RowText = std::function<QString(int row)>;

// Rows that exist only as a count and a text function, so that a rebuild of 3840 rows
// costs no more than a rebuild of three.
class RowsModel : public QAbstractListModel {
  public:
    explicit RowsModel(QObject* parent) : QAbstractListModel(parent) {}

    void reset_rows(int count, RowText text);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    int rows_ = 0;
    RowText text_;
};

// A single-selection list box. Its selection is the editor's position, so only the user
// moves it through the click signal: a click on a row, dragging the selection, or the
// keyboard. Changes made by the program never emit it.
class ListBox : public QListView {
    Q_OBJECT
  public:
    explicit ListBox(QWidget* parent);

    int count() const;
    // The selected row, or -1.
    int item_index() const;
    // Selects `row`; a row outside the list leaves the list without selection.
    void set_item_index(int row);
    // Replaces every row. With a new number of rows the list is then without selection;
    // with the same number it keeps its selection, for the caller to set again.
    void rebuild(int count, RowText text);
    // The shown text of a row (tests and the window's own checks).
    QString item_text(int row) const;

  signals:
    void user_clicked();

  protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    RowsModel* rows_;
};

}  // namespace dabro
