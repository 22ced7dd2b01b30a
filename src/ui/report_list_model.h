#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvor {

struct ListColumn {
    QString caption;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The cell texts of one row packed into one UTF-8 buffer: the size of the rest, then each cell
// as a length and its bytes; trailing empty cells are left out. A row is one pointer and one
// small allocation, which keeps a million rows cheap to hold and to move when the list grows.
// Rows may be built on any thread and handed to the list in batches.
class ReportRow {
  public:
    ReportRow() = default;
    explicit ReportRow(const QStringList& cells);

    // Empty for a cell the row does not hold.
    QString Cell(int column) const;
    void SetCell(int column, const QString& text);

  private:
    std::string_view Packed() const;
    void Store(const std::string& packed);

    std::unique_ptr<char[]> data_;
};

// The rows of a report list; the model owns their texts. Lives on the view's thread.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    ReportListModel(QList<ListColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QList<ListColumn>& Columns() const { return columns_; }
    // When on, only the first cell of a row can be selected.
    void SetFirstColumnOnlySelectable(bool on) { firstColumnOnly_ = on; }

    // Inserts the rows before position, or after the last row when position is negative or
    // beyond it. Returns the index of the first new row, or -1 when none was added.
    int InsertRows(int position, std::vector<ReportRow> rows);
    bool SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    void RemoveAllRows();

  private:
    QList<ListColumn> columns_;
    std::vector<ReportRow> rows_;
    bool firstColumnOnly_ = false;
};

}  // namespace zelvor
