#pragma once
// The Graphs window: the conservation plots of the running scene and the
// speeds of its bowls, a line of the latest totals, and the image and CSV exports. Modeless, owned by the
// main window; it shows the log the main window keeps, so it may be opened
// at any time and still starts at t = 0. Its text follows the scale the
// scene is shown at.
#include <QDialog>
#include <QFont>
#include <cstdint>

class QLabel;
class QTimer;

namespace vintrop {

class ConservationLog;
class ConservationPlots;

class F_GRAPHS : public QDialog {
    Q_OBJECT
public:
    F_GRAPHS(const ConservationLog& log, QWidget* owner);

    // Writes the four plots as a PNG image, or the kept points as CSV
    // (t,kinetic energy,momentum x,momentum y); false with the reason.
    bool WriteImage(const QString& path, QString* why = nullptr) const;
    bool WriteCsv(const QString& path, QString* why = nullptr) const;
    // The CSV text itself.
    static QByteArray CsvOf(const ConservationLog& log);
    // Brings the window up to date now instead of at the next refresh.
    void ShowLatest();
    // The size in which the window's text is as designed at 100 %.
    QSize DesignedSize() const { return m_Designed; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SaveImage();
    void ExportCsv();
    void FollowTextScale();

    const ConservationLog& m_Log;
    ConservationPlots* m_Plots = nullptr;
    QLabel* m_Totals = nullptr;
    QTimer* m_Refresh = nullptr;
    uint64_t m_ShownRevision = 0;
    // The text follows the scene's scale and the window's size.
    QFont m_DesignedFont;
    QSize m_Designed, m_Smallest;   // the window's size as designed and at its smallest, in that font
};

} // namespace vintrop
