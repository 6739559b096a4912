#include "RowListView.h"

#include <QHeaderView>

#include "MessageService.h"

TRowTextModel::TRowTextModel(QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void TRowTextModel::SetRows(int count, TextOf textOf) {
    beginResetModel();
    rows_ = textOf ? std::max(count, 0) : 0;
    textOf_ = std::move(textOf);
    endResetModel();
}

int TRowTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TRowTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max<int>(1, int(columns_.size()));
}

QVariant TRowTextModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_) return {};
    return textOf_(index.row(), index.column());
}

QVariant TRowTextModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= columns_.size()) return {};
    return columns_[section];
}

TRowListView::TRowListView(const QString& name, const QStringList& columns, QWidget* parent)
    : QTreeView(parent), model_(new TRowTextModel(columns, this)) {
    setObjectName(name);
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHeaderHidden(columns.isEmpty());
    header()->setStretchLastSection(true);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Guarded([&] { emit rowDoubleClicked(index.row()); });
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Guarded([&] { emit selectedRowChanged(current.isValid() ? current.row() : -1); });
            });
}

void TRowListView::SetRows(int count, TRowTextModel::TextOf textOf) {
    model_->SetRows(count, std::move(textOf));
}

void TRowListView::Clear() {
    model_->Clear();
}

int TRowListView::RowCount() const {
    return model_->rowCount();
}

QString TRowListView::Text(int row, int column) const {
    return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

int TRowListView::SelectedRow() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() && selectionModel()->isRowSelected(current.row()) ? current.row() : -1;
}

void TRowListView::SelectRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    selectionModel()->setCurrentIndex(model_->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
