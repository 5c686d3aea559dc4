#include "collisiontablemodel.h"

#include <algorithm>
#include <cmath>

#include "numberformat.h"

namespace vintrop {

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
    return QString::fromStdString(CollisionCellText(row, column, text::Separators{"", "."}, true));
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
