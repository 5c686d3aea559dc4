#pragma once
// The rows of the collision history: a before row and an after row per
// collision, kept as raw numbers and formatted only when the view asks, so
// appending a row and dropping the oldest pair stay cheap however long the
// simulation runs.
#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <deque>

#include "collisionlog.h"

namespace vintrop {

class CollisionTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = kCollisionColumns;   // the columns always shown
    static constexpr int kLossColumn = vintrop::kLossColumn;   // shown only when collisions lose energy

    explicit CollisionTableModel(QObject* parent = nullptr);

    // Adds or removes the column of the energy each collision lost.
    void ShowLoss(bool on);
    bool ShowsLoss() const { return m_ShowLoss; }

    // The headers of the columns shown; an empty list hides the header
    // texts until the window builds its columns.
    void SetHeaders(const QStringList& headers);
    const QStringList& Headers() const { return m_Headers; }

    // Rows arrive in bursts, thousands a second, faster than anyone can
    // read them: they wait in a queue and reach the view together at
    // Publish, so the view (and a screen reader listening to it) hears of
    // one change per repaint instead of one per row.
    void Queue(const CollisionRow& row);
    // Removes the first `count` rows (the oldest), shown or still queued.
    void DropFirst(int count);
    // Rows shown and queued together: what the table holds once published.
    int TotalRows() const { return static_cast<int>(m_Rows.size() - m_DropPending + m_Queued.size()); }
    // Applies the queued changes to the view; true when anything changed.
    bool Publish();
    void Clear();
    // A shown row (0 <= index < rowCount()).
    const CollisionRow& Row(int index) const { return m_Rows[static_cast<std::size_t>(index)]; }

    // A cell as the window shows it, in the user's locale; empty when the
    // row was left unfinished before that column.
    QString DisplayText(const CollisionRow& row, int column) const;
    // A cell for a spreadsheet file: "." decimal point, no digit grouping,
    // the placeholders of an after row as "-".
    static QString PortableText(const CollisionRow& row, int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::deque<CollisionRow> m_Rows;     // the rows the view knows of
    std::deque<CollisionRow> m_Queued;   // to be appended at the next Publish
    std::size_t m_DropPending = 0;       // rows of m_Rows to drop at the next Publish
    QStringList m_Headers;
    bool m_ShowLoss = false;
};

} // namespace vintrop
