#include "ui/report_list_model.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <string_view>

namespace zelvor {
namespace {

void AppendLength(std::string& out, size_t length) {
    while (length >= 0x80) {
        out.push_back(static_cast<char>((length & 0x7F) | 0x80));
        length >>= 7;
    }
    out.push_back(static_cast<char>(length));
}

size_t TakeLength(const char*& in) {
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return length;
        }
    }
}

std::vector<std::string_view> Unpack(std::string_view packed) {
    std::vector<std::string_view> cells;
    const char* at = packed.data();
    const char* const end = at + packed.size();
    while (at < end) {
        const size_t length = TakeLength(at);
        cells.emplace_back(at, length);
        at += length;
    }
    return cells;
}

std::string Pack(const std::vector<std::string_view>& cells) {
    size_t used = cells.size();
    while (used > 0 && cells[used - 1].empty()) {
        --used;
    }
    std::string packed;
    for (size_t i = 0; i < used; ++i) {
        AppendLength(packed, cells[i].size());
        packed.append(cells[i]);
    }
    return packed;
}

}  // namespace

ReportRow::ReportRow(const QStringList& cells) {
    std::vector<std::string> utf8;
    utf8.reserve(static_cast<size_t>(cells.size()));
    for (const QString& cell : cells) {
        utf8.push_back(cell.toStdString());
    }
    Store(Pack({utf8.begin(), utf8.end()}));
}

QString ReportRow::Cell(int column) const {
    const std::vector<std::string_view> cells = Unpack(Packed());
    if (column < 0 || static_cast<size_t>(column) >= cells.size()) {
        return {};
    }
    const std::string_view cell = cells[static_cast<size_t>(column)];
    return QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
}

void ReportRow::SetCell(int column, const QString& text) {
    if (column < 0) {
        return;
    }
    const std::string utf8 = text.toStdString();
    std::vector<std::string_view> cells = Unpack(Packed());
    if (cells.size() <= static_cast<size_t>(column)) {
        cells.resize(static_cast<size_t>(column) + 1);
    }
    cells[static_cast<size_t>(column)] = utf8;
    Store(Pack(cells));
}

std::string_view ReportRow::Packed() const {
    if (!data_) {
        return {};
    }
    const char* at = data_.get();
    const size_t size = TakeLength(at);
    return {at, size};
}

void ReportRow::Store(const std::string& packed) {
    if (packed.empty()) {
        data_.reset();
        return;
    }
    std::string size;
    AppendLength(size, packed.size());
    data_ = std::make_unique_for_overwrite<char[]>(size.size() + packed.size());
    std::copy(size.begin(), size.end(), data_.get());
    std::copy(packed.begin(), packed.end(), data_.get() + size.size());
}

ReportListModel::ReportListModel(QList<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return rows_[static_cast<size_t>(index.row())].Cell(index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_[index.column()].alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return columns_[section].caption;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_[section].alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (firstColumnOnly_ && index.column() > 0) {
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int ReportListModel::InsertRows(int position, std::vector<ReportRow> rows) {
    const size_t count = rows_.size();
    if (rows.empty() || rows.size() > static_cast<size_t>(INT_MAX) - count) {
        return -1;
    }
    // Grow before telling the views, so that running out of memory leaves the model as it was.
    if (count + rows.size() > rows_.capacity()) {
        try {
            rows_.reserve(std::max(count + rows.size(), rows_.capacity() * 2));
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }
    const int first =
        position < 0 || static_cast<size_t>(position) > count ? static_cast<int>(count) : position;
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.begin() + first, std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
    return first;
}

bool ReportListModel::SetCellText(int row, int column, const QString& text) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || column < 0 ||
        column >= columns_.size()) {
        return false;
    }
    rows_[static_cast<size_t>(row)].SetCell(column, text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
    return true;
}

QString ReportListModel::CellText(int row, int column) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || column < 0) {
        return {};
    }
    return rows_[static_cast<size_t>(row)].Cell(column);
}

void ReportListModel::RemoveAllRows() {
    beginResetModel();
    std::vector<ReportRow>().swap(rows_);  // gives the memory of a large list back
    endResetModel();
}

}  // namespace zelvor
