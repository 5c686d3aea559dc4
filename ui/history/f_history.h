#pragma once
// The collision history window. The engine owns it (through IHistoryLog),
// binds it with init and ends it with Terminate; while bound it listens to
// the engine and logs every collision as a before row and an after row,
// whether it is shown or not. Every close request only hides it.
#include <QDialog>
#include <QList>
#include <QPointer>
#include <cstdint>
#include <optional>

#include "collisiontablemodel.h"
#include "enginelistener.h"
#include "historylog.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;
class QTreeView;

namespace vintrop {

class CEnvEng;
class CollisionTableModel;

class F_HISTORY : public QDialog, public IHistoryLog, public IEngineListener {
    Q_OBJECT
public:
    explicit F_HISTORY(QWidget* parent = nullptr);
    ~F_HISTORY() override;

    // --- IHistoryLog, called by the engine ---
    void init(CEnvEng& pEnvEng) override;
    void Terminate() override;
    void Reset() override;
    void Show(IOwnerWindow* pOwnerForm) override;
    void Hide() override;

    // --- IEngineListener ---
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;
    void AdvanceCompleted() override;
    void StepAborted() override;
    void ElasticityChanged() override;

    bool Active() const { return m_FlgActive != 0; }
    int32_t TotCollisions() const { return m_Log.Count(); }
    // Lets a test start the counter near its limit.
    void SetTotCollisionsForTest(int32_t value) { m_Log.StartCountAt(value); }
    // The rows, those still waiting for the next refresh included.
    const CollisionTableModel& Model() {
        ShowPending();
        return *m_Model;
    }
    // Shows at once what otherwise waits for the next refresh: queued rows
    // (scrolled into view) and the panels of the latest step.
    void ShowPending();

    // The given rows (all rows when empty) with the header row, one line
    // per row, cells separated by tabs, as the window shows them.
    QString RowsAsTabText(QList<int> rows);
    // Every row with the header, comma separated, "." as decimal point and
    // no digit grouping, lines ending in CR LF. False with `error` set when
    // the file cannot be written; an existing file is then left untouched.
    bool WriteCsv(const QString& path, QString* error);

public slots:
    // Toolbar clicks, dispatched on the button's key.
    void tlb_Bottom_ButtonClick(const QString& key);
    // Selected rows, or all rows when none are selected, to the clipboard.
    void CopyRows();
    // Asks for a file name and writes every row as CSV.
    void ExportRows();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the scale the scene is shown at (DisplaySettings::ViewScale):
    // the text grows with it above 100 % and the window with the text; at
    // 100 % the designed size. Run whenever that scale changes.
    void ApplyScale();
    void BuildColumns();
    QStringList HeaderTexts() const;              // of the columns shown
    int ColumnWidthTwips(int column) const;       // as designed
    double DesignWidth() const;                   // of the window at 100 %, twips
    void SetDesignedMinimum();                    // the designed size at the text's scale
    // Shows the column of the energy each collision lost while the engine's
    // collisions lose energy, and hides it otherwise.
    void FollowElasticity();
    // Places the table, the status bar and the buttons in the window's
    // size, the columns sharing the table's width as designed.
    void LayOut();
    // The log's new rows to the table, and its dropped ones out of it, at
    // the next refresh (ShowPending).
    void MirrorRows();
    void SchedulePublish();   // the next screen refresh publishes, while the window is shown
    void ShowPanels();
    // The panels as of the last collision logged, brought up to date once
    // per step instead of once per collision (the energy sum visits every
    // bowl, which at thousands of collisions a second would cost more than
    // the simulation).
    void FlushStatistic();
    void SetOwner(QWidget* owner);
    void OwnerDestroyed();
    // The counter cannot go past its maximum: the overflow error, said once
    // per count and only after the engine's step has returned.
    void ReportCounterOverflow();
    bool HandlePreviewKey(QKeyEvent* event);

    CEnvEng* m_pEnvEng = nullptr;   // the engine whose events arrive; not owned
    double m_Scale = 1.0;           // of the designed text and bars
    int16_t m_FlgActive = 0;        // -1 while bound: close requests only hide
    bool m_OverflowReported = false; // this count has hit its limit and said so
    // The rows, the counter (collisions since the last init or Reset) and
    // the panels' values; the table mirrors the rows up to m_MirroredNext.
    CollisionLog m_Log;
    uint64_t m_MirroredFirst = 0, m_MirroredNext = 0;
    // The panels changed with the latest step and are shown at the next
    // refresh: a label changed a thousand times a second costs a layout
    // (and a screen reader's event) each time, for text nobody can read that fast.
    bool m_PanelsDue = false;
    bool m_Placed = false;          // centred on the screen at the first showing after init

    CollisionTableModel* m_Model = nullptr;
    QTimer* m_PublishTimer = nullptr;
    QTreeView* m_lvwCollision = nullptr;
    QStatusBar* m_sbrStatistic = nullptr;
    QLabel* m_PnlEnCinTot = nullptr;
    QLabel* m_PnlTotCollisioni = nullptr;
    QWidget* m_tlbBottom = nullptr;   // the three text buttons
    QMenu* m_ContextMenu = nullptr;
    QAction* m_ActCopy = nullptr;
    QAction* m_ActExport = nullptr;
    QPointer<QWidget> m_Owner;
    QMetaObject::Connection m_OwnerConnection;
};

} // namespace vintrop
