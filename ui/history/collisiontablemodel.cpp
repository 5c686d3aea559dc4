#include "collisiontablemodel.h"

#include <algorithm>
#include <cmath>

#include "numberformat.h"

namespace vintrop {

namespace {
enum Column { ColT, ColB1, ColB2, ColM1, ColV1x, ColV1y, ColM2, ColV2x, ColV2y, ColSumX, ColSumY, ColLost };
static_assert(ColLost == kLossColumn);

// Two decimals without grouping; a value that rounds to zero is "0.00".
QString PortableFixed(double v) {
    if (std::fabs(v) < 0.005) v = 0.0;
    return QString::number(v, 'f', 2);
}
} // namespace

CollisionTableModel::CollisionTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void CollisionTableModel::ShowLoss(bool on) {
    if (on == m_ShowLoss) return;
    if (on) {
        beginInsertColumns({}, kLossColumn, kLossColumn);
        m_ShowLoss = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, kLossColumn, kLossColumn);
        m_ShowLoss = false;
        endRemoveColumns();
    }
}

void CollisionTableModel::SetHeaders(const QStringList& headers) {
    m_Headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void CollisionTableModel::Queue(const CollisionRow& row) { m_Queued.push_back(row); }

void CollisionTableModel::DropFirst(int count) {
    if (count <= 0) return;
    auto n = static_cast<std::size_t>(count);
    const std::size_t fromShown = std::min(n, m_Rows.size() - m_DropPending);
    m_DropPending += fromShown;
    n -= fromShown;
    m_Queued.erase(m_Queued.begin(), m_Queued.begin() + static_cast<std::ptrdiff_t>(std::min(n, m_Queued.size())));
}

bool CollisionTableModel::Publish() {
    const bool changed = m_DropPending > 0 || !m_Queued.empty();
    if (m_DropPending > 0) {
        beginRemoveRows({}, 0, static_cast<int>(m_DropPending) - 1);
        m_Rows.erase(m_Rows.begin(), m_Rows.begin() + static_cast<std::ptrdiff_t>(m_DropPending));
        m_DropPending = 0;
        endRemoveRows();
    }
    if (!m_Queued.empty()) {
        const int at = static_cast<int>(m_Rows.size());
        beginInsertRows({}, at, at + static_cast<int>(m_Queued.size()) - 1);
        m_Rows.insert(m_Rows.end(), m_Queued.begin(), m_Queued.end());
        m_Queued.clear();
        endInsertRows();
    }
    return changed;
}

void CollisionTableModel::Clear() {
    m_Queued.clear();
    m_DropPending = 0;
    if (m_Rows.empty()) return;
    beginResetModel();
    m_Rows.clear();
    endResetModel();
}

QString CollisionTableModel::DisplayText(const CollisionRow& row, int column) const {
    return QString::fromStdString(CollisionCellText(row, column, fmt::LocaleSeparators()));
}

QString CollisionTableModel::PortableText(const CollisionRow& row, int column) {
    if (column == ColLost && row.filled == kColumnCount)
        return row.after ? (row.lossKnown ? PortableFixed(row.lost) : QString()) : QStringLiteral("-");
    if (column < 0 || column >= row.filled) return {};
    if (row.after && (column <= ColM1 || column == ColM2)) return QStringLiteral("-");
    switch (column) {
    case ColT: return QString::number(row.t);
    case ColB1: return QString::number(row.b1);
    case ColB2: return QString::number(row.b2);
    case ColM1: return QString::number(static_cast<double>(row.m1), 'g', 7);
    case ColV1x: return PortableFixed(row.v1x);
    case ColV1y: return PortableFixed(row.v1y);
    case ColM2: return QString::number(static_cast<double>(row.m2), 'g', 7);
    case ColV2x: return PortableFixed(row.v2x);
    case ColV2y: return PortableFixed(row.v2y);
    case ColSumX: return PortableFixed(row.sumX);
    case ColSumY: return PortableFixed(row.sumY);
    default: return {};
    }
}

int CollisionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CollisionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount + (m_ShowLoss ? 1 : 0);
}

QVariant CollisionTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    // Every column is left-aligned, the view's default.
    if (role == Qt::DisplayRole) return DisplayText(Row(index.row()), index.column());
    return {};
}

QVariant CollisionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= m_Headers.size()) return QString();
    return m_Headers.at(section);
}

} // namespace vintrop
