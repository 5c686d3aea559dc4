#pragma once
// The Graphs window: the conservation plots of the running scene and the
// speeds of its bowls, a line of the latest totals, and the image and CSV exports. Modeless, owned by the
// main window; it shows the log the main window keeps, so it may be opened
// at any time and still starts at t = 0. It looks at the log again at most
// once per screen refresh after the engine reports a change, and its text
// follows the scale the scene is shown at.
#include <QDialog>
#include <QFont>
#include <cstdint>

class QLabel;
class QTimer;

namespace vintrop {

class CEnvEng;
class ConservationLog;
class ConservationPlots;
class EngineChanges;

class F_GRAPHS : public QDialog {
    Q_OBJECT
public:
    // `engine` is the one `log` logs.
    F_GRAPHS(const ConservationLog& log, CEnvEng& engine, QWidget* owner);

    // Writes the four plots as a PNG image, or the kept points as CSV
    // (t,kinetic energy,momentum x,momentum y); false with the reason.
    bool WriteImage(const QString& path, QString* why = nullptr) const;
    bool WriteCsv(const QString& path, QString* why = nullptr) const;
    // The CSV text itself.
    static QByteArray CsvOf(const ConservationLog& log);
    // Brings the window up to date now instead of at the next refresh.
    void ShowLatest();
    // How many times the window has been brought up to date (for tests).
    int Refreshes() const { return m_Refreshes; }
    // The size in which the window's text is as designed at 100 %.
    QSize DesignedSize() const { return m_Designed; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SaveImage();
    void ExportCsv();
    void ScheduleRefresh();   // the engine has changed: a refresh is due at the next screen refresh
    void OnRefreshDue();
    void FollowTextScale();

    const ConservationLog& m_Log;
    ConservationPlots* m_Plots = nullptr;
    QLabel* m_Totals = nullptr;
    EngineChanges* m_Changes = nullptr;
    QTimer* m_Refresh = nullptr;    // single-shot: one refresh per screen refresh at most
    uint64_t m_ShownRevision = 0;   // the log's Revision() last shown
    int m_Refreshes = 0;
    // The text follows the scene's scale and the window's size.
    QFont m_DesignedFont;
    QSize m_Designed, m_Smallest;   // the window's size as designed and at its smallest, in that font
};

} // namespace vintrop
