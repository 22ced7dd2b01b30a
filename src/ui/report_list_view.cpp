#include "ui/report_list_view.h"

#include "ui/thread_call.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionViewItem>

namespace zelvor {

ReportListView::ReportListView(QList<ListColumn> columns, bool fullRowSelect, QWidget* parent)
    : QTableView(parent), model_(new ReportListModel(std::move(columns), this)) {
    model_->SetFirstColumnOnlySelectable(!fullRowSelect);
    setModel(model_);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(fullRowSelect ? SelectRows : SelectItems);
    setEditTriggers(NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the list instead of walking its cells.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(ScrollPerPixel);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ApplyRowHeight();

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    for (int column = 0; column < model_->Columns().size(); ++column) {
        header->resizeSection(column, model_->Columns()[column].width);
    }

    // The selection is shown only while the list has the focus (see initViewItemOption).
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
    setPalette(colours);
}

int ReportListView::InsertRow(int position, const QString& text) {
    std::vector<ReportRow> rows;
    rows.emplace_back(QStringList{text});
    return InsertRows(std::move(rows), position);
}

int ReportListView::InsertRows(std::vector<ReportRow> rows, int position) {
    return CallOnOwnerThread(this, [&] { return model_->InsertRows(position, std::move(rows)); });
}

bool ReportListView::SetCellText(int row, int column, const QString& text) {
    return CallOnOwnerThread(this, [&] { return model_->SetCellText(row, column, text); });
}

QString ReportListView::GetCellText(int row, int column) const {
    return CallOnOwnerThread(this, [&] { return model_->CellText(row, column); });
}

int ReportListView::RowCount() const {
    return CallOnOwnerThread(this, [&] { return model_->rowCount(); });
}

void ReportListView::DeleteAllRows() {
    CallOnOwnerThread(this, [&] { model_->RemoveAllRows(); });
}

void ReportListView::EnsureRowVisible(int row) {
    CallOnOwnerThread(this, [&] {
        if (row >= 0 && row < model_->rowCount()) {
            scrollTo(model_->index(row, 0), EnsureVisible);
        }
    });
}

void ReportListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        ApplyRowHeight();
    }
    QTableView::changeEvent(event);
}

void ReportListView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void ReportListView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void ReportListView::initViewItemOption(QStyleOptionViewItem* option) const {
    QTableView::initViewItemOption(option);
    if (!hasFocus()) {
        option->state &= ~QStyle::State_Active;  // paints with the inactive colours
    }
}

void ReportListView::ApplyRowHeight() {
    // Every row has the same height, so the view never measures a million rows.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

}  // namespace zelvor
