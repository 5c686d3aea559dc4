#include "bowlvaluesmodel.h"

#include <cmath>
#include <limits>

#include "envengine.h"
#include "numberformat.h"
#include "scenerenderer.h"

namespace vintrop {

namespace {
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
} // namespace

BowlValuesModel::BowlValuesModel(const CEnvEng& engine, QObject* parent)
    : QAbstractTableModel(parent), m_Engine(engine) {
    m_Count = m_Engine.BowlCount();
    m_Totals = TotalsOf(m_Engine);
    m_Centre = CentreOfMassOf(m_Engine);
}

void BowlValuesModel::Refresh() {
    const int count = m_Engine.BowlCount();
    if (count != m_Count) {
        beginResetModel();
        m_Count = count;
        m_Totals = TotalsOf(m_Engine);
        m_Centre = CentreOfMassOf(m_Engine);
        endResetModel();
        return;
    }
    m_Totals = TotalsOf(m_Engine);
    m_Centre = CentreOfMassOf(m_Engine);
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1), {Qt::DisplayRole, Qt::BackgroundRole,
                                                                             Qt::ForegroundRole});
}

double BowlValuesModel::Value(int row, int column) const {
    if (row == TotalsRow()) {
        switch (column) {
        case Mass: return m_Centre.mass;
        case Px: return m_Totals.px;
        case Py: return m_Totals.py;
        case Energy: return m_Totals.energy;
        default: return kNone;
        }
    }
    if (row == CentreRow()) {
        if (!m_Centre.valid) return kNone;
        switch (column) {
        case X: return m_Centre.x;
        case Y: return m_Centre.y;
        case Vx: return m_Centre.vx;
        case Vy: return m_Centre.vy;
        default: return kNone;
        }
    }
    // Between the engine's change and the next Refresh the rows may name a
    // bowl that has gone.
    if (row < 0 || row >= m_Count || row >= m_Engine.BowlCount()) return kNone;
    const CBowl& b = m_Engine.GetBowl(row + 1);
    // In double from the stored floats, as the engine sums its totals.
    const double m = b.M(), vx = b.Vx, vy = b.Vy;
    switch (column) {
    case Number: return b.Id;
    case Mass: return m;
    case X: return b.x;
    case Y: return b.y;
    case Vx: return vx;
    case Vy: return vy;
    case Px: return m * vx;
    case Py: return m * vy;
    case Energy: return (vx * vx + vy * vy) * (0.5 * m);
    default: return kNone;
    }
}

QString BowlValuesModel::Text(int row, int column) const {
    if (column == Number && row == TotalsRow()) return QStringLiteral("Total");
    if (column == Number && row == CentreRow()) return QStringLiteral("Centre of mass");
    const double v = Value(row, column);
    if (std::isnan(v)) return {};
    if (column == Number) return fmt::Integer(static_cast<long long>(v));
    // A bowl's mass as the bowl editor lists it.
    if (column == Mass && row < m_Count) return fmt::General(static_cast<float>(v));
    return fmt::Fixed(v);
}

QString BowlValuesModel::Header(int column) {
    static const char* const kHeaders[kColumnCount] = {"Bowl", "m", "x", "y", "vx", "vy", "px = m·vx", "py = m·vy",
                                                       "½·m·v²"};
    return column >= 0 && column < kColumnCount ? QString::fromUtf8(kHeaders[column]) : QString();
}

int BowlValuesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_Count + 2; }

int BowlValuesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant BowlValuesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) return {};
    const int row = index.row();
    const bool bowl = row < m_Count && row < m_Engine.BowlCount();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Text(row, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == Number ? Qt::AlignLeft | Qt::AlignVCenter
                                                            : Qt::AlignRight | Qt::AlignVCenter);
    // The number cell on the bowl's own colour, as the scene paints it.
    case Qt::BackgroundRole:
        if (bowl && index.column() == Number) return SceneRenderer::ColorOf(m_Engine.GetBowl(row + 1).Color);
        return {};
    case Qt::ForegroundRole:
        if (bowl && index.column() == Number) return SceneRenderer::TextColorOn(m_Engine.GetBowl(row + 1).Color);
        return {};
    default:
        return {};
    }
}

QVariant BowlValuesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    return Header(section);
}

} // namespace vintrop
