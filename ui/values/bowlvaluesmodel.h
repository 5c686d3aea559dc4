#pragma once
// Every bowl's values as the engine holds them now, one row per bowl, then a
// row of totals and a row for the centre of mass. The cells are read from the
// engine when the view asks for them (only the rows on screen), so a crowd of
// 32,767 bowls costs the view nothing but what it shows.
#include <QAbstractTableModel>
#include <cstdint>

#include "totals.h"

namespace vintrop {

class CEnvEng;

class BowlValuesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Mass, X, Y, Vx, Vy, Px, Py, Energy, kColumnCount };

    explicit BowlValuesModel(const CEnvEng& engine, QObject* parent = nullptr);

    // Takes the engine's state as it is now: a reset when the number of
    // bowls changed, else one change over the whole table (the view repaints
    // only the rows it shows).
    void Refresh();
    // The rows after the bowls'.
    int TotalsRow() const { return m_Count; }
    int CentreRow() const { return m_Count + 1; }
    // A cell's value in double (what the CSV export writes); NaN for an
    // empty cell. The number column holds the bowl's number.
    double Value(int row, int column) const;
    // The cell as the view shows it.
    QString Text(int row, int column) const;
    static QString Header(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const CEnvEng& m_Engine;
    int m_Count = 0;            // the bowls the view knows of
    Totals m_Totals;            // as of the last Refresh
    CentreOfMass m_Centre;
};

} // namespace vintrop
