#pragma once

#include "ui/report_list_model.h"

#include <QTableView>

#include <vector>

namespace zelvor {

// A table of text rows under a header of column captions. Every operation may be called from
// any thread: it runs on the view's thread and the caller waits until it is done.
class ReportListView : public QTableView {
    Q_OBJECT

  public:
    // Without full-row selection only the first cell of a row selects and highlights it.
    ReportListView(QList<ListColumn> columns, bool fullRowSelect, QWidget* parent = nullptr);

    // Adds a row before position, or after the last row when position is negative or beyond
    // it; text goes into the first cell. Returns the new row's index, or -1.
    int InsertRow(int position = -1, const QString& text = {});
    // Adds many rows in one step, which keeps a long run of rows cheap for the window.
    // Returns the index of the first new row, or -1 when none was added.
    int InsertRows(std::vector<ReportRow> rows, int position = -1);
    // False when the row or the column does not exist.
    bool SetCellText(int row, int column = 0, const QString& text = {});
    // Empty when the row or the column does not exist.
    QString GetCellText(int row, int column = 0) const;
    int RowCount() const;
    void DeleteAllRows();
    void EnsureRowVisible(int row);

    ReportListModel* Model() const { return model_; }

  protected:
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void initViewItemOption(QStyleOptionViewItem* option) const override;

  private:
    void ApplyRowHeight();

    ReportListModel* model_;
};

}  // namespace zelvor
