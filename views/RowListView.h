#pragma once
// A read-only list whose row texts are made when a row is drawn: a buffer of any size shows at once, and
// filling it costs nothing per row.
#include <QAbstractTableModel>
#include <QStringList>
#include <QTreeView>
#include <functional>

class TRowTextModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using TextOf = std::function<QString(int row, int column)>;
    explicit TRowTextModel(QStringList columns, QObject* parent = nullptr);

    void SetRows(int count, TextOf textOf);
    void Clear() { SetRows(0, {}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList columns_;
    int rows_ = 0;
    TextOf textOf_;
};

// Single selection by row; without column captions it is a plain list with no header.
class TRowListView : public QTreeView {
    Q_OBJECT
public:
    TRowListView(const QString& name, const QStringList& columns, QWidget* parent = nullptr);

    // The text function reads the caller's kept record, which must outlive the rows.
    void SetRows(int count, TRowTextModel::TextOf textOf);
    void Clear();
    int RowCount() const;
    QString Text(int row, int column = 0) const;
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

signals:
    void rowDoubleClicked(int row);
    // The selected row changed (by click, key or SelectRow); -1 when none is selected.
    void selectedRowChanged(int row);

private:
    TRowTextModel* model_;
};
