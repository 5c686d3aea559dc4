#pragma once
// The Values window: every bowl's mass, position, velocity, momentum and
// kinetic energy as the engine holds them, with the totals and the centre of
// mass, beside the momenta diagram. Modeless, owned by the main window; it
// shows the engine's state at most once per screen refresh after the engine
// reports a change (a step, the conductor, a load, an edit), and learns of
// collisions as a listener of the engine while it exists. Its text follows
// the scale the scene is shown at.
#include <QDialog>
#include <QFont>
#include <QList>
#include <cstdint>
#include <memory>

class QLabel;
class QSplitter;
class QTableView;
class QTimer;

namespace vintrop {

class BowlValuesModel;
class CEnvEng;
class EngineChanges;
class MomentaDiagram;
class PairCollisions;

class F_VALUES : public QDialog {
    Q_OBJECT
public:
    F_VALUES(CEnvEng& engine, QWidget* owner);
    ~F_VALUES() override;

    // Brings the window up to date now instead of at the next refresh.
    void ShowLatest();
    // How many times the window has been brought up to date (for tests).
    int Refreshes() const { return m_Refreshes; }
    // The engine's revision the window shows, and whether a refresh is on its way.
    uint64_t ShownRevision() const { return m_ShownRevision; }
    bool RefreshDue() const;
    const BowlValuesModel& Model() const { return *m_Model; }
    const PairCollisions& Pairs() const { return *m_Pairs; }

    // The given rows (all when empty) with the header, cells separated by
    // tabs, as the table shows them.
    QString RowsAsTabText(QList<int> rows) const;
    // Every row as CSV: "." decimal point, no grouping, shortest digits
    // that read back to the same double; false with the reason.
    bool WriteCsv(const QString& path, QString* why = nullptr) const;

public slots:
    void CopyRows();     // the selected rows, or all, to the clipboard
    void ExportRows();   // asks for a file name and writes the CSV

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The engine has changed: a refresh is due at the next screen refresh.
    void ScheduleRefresh();
    void OnRefreshDue();
    void FollowTextScale(int percent);

    CEnvEng& m_Engine;
    std::unique_ptr<PairCollisions> m_Pairs;   // attached to the engine while this window lives
    BowlValuesModel* m_Model = nullptr;
    QTableView* m_Table = nullptr;
    MomentaDiagram* m_Diagram = nullptr;
    QSplitter* m_Splitter = nullptr;
    QLabel* m_Time = nullptr;
    EngineChanges* m_Changes = nullptr;
    QTimer* m_Refresh = nullptr;   // single-shot: one refresh per screen refresh at most
    uint64_t m_ShownRevision = 0;  // the engine's Revision() last shown
    bool m_SkipNext = false;       // while running: this refresh is skipped
    int m_Refreshes = 0;
    QFont m_DesignedFont;
    int m_TextScale = 0;           // percent: the scene's scale the text last followed
};

} // namespace vintrop
