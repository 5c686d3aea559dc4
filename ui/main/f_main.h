#pragma once
// The program's main window. It owns the one engine and the engine's clock,
// carries the menus, the conductor toolbar with the interval slider and the
// status bar, shows the scene in its drawing area (whose view follows the
// engine's events), runs the transport commands and keeps the enabled state
// of every command in step with the engine. The document commands live in
// ScenarioDocument.
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <memory>
#include <optional>

#include "documenthost.h"
#include "drawdevice.h"
#include "envengine.h"
#include "historylog.h"
#include "qtclock.h"
#include "scenariodocument.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QSlider;
class QToolBar;

namespace vintrop {

class BowlManipulator;
class CEnvEng;
class ConservationLog;
class DrawingArea;
class PathStore;

class F_MAIN : public QMainWindow,
               public IOwnerWindow,
               public IDrawDevice,
               public IDocumentHost {
    Q_OBJECT
public:
    // Runs the whole start-up and shows the window. The splash window comes
    // first only when asked (the program asks, tests do not). A non-empty
    // path is loaded as the scenario; otherwise a new one is started.
    explicit F_MAIN(QString commandLinePath = {}, bool showSplash = false);
    ~F_MAIN() override;

    // --- IDrawDevice and IDocumentHost ---
    void ManualRefresh() override;   // redraw the whole scene and show it at once
    void DrawProvisionalCircle(float x, float y, float r) override;
    QWidget* HostWidget() override { return this; }
    void RefreshCommands() override; // the enabled-state table
    void SetSliderFromEngine() override;
    void SetTitle(const QString& title) override;
    void ScenarioReplacing() override;   // the drawing area lets go of its selection

    // The resize handler: the drawing area fills the client area above the
    // toolbar and the status bar; the engine's box and the size panels follow.
    void Form_Resize();

    // Whether the drawing area's view receives the engine's events.
    bool IsAttached() const { return m_pEnvEng != nullptr; }
    const QImage& Picture() const;             // the frame on screen, device pixels
    ScenarioDocument& Document() { return m_Document; }
    // The totals and collisions the Graphs window plots, logged from the
    // start whether or not the window is open.
    const ConservationLog& Conservation() const { return *m_Conservation; }
    QtClock& StepClock() { return tmr_Step; }

signals:
    void framePresented();   // a finished frame has become the window's picture
    void closed();           // the close was accepted and the engine terminated

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;   // runs Form_Resize
    // No right-click menu on the bars: F2 is the one toolbar switch.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    // The docked bars' designed heights.
    static constexpr double kToolBarHeightTwips = 660;
    static constexpr double kStatusBarHeightTwips = 405;

    // Built in menusandbars.cpp.
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    // Narrows the slider's place when the toolbar is too short for its
    // designed 3000 twips, so that no button has to leave the toolbar.
    void FitSliderToToolBar();
    void BuildStatusBar();

    void Attach();
    void Detach();
    int MenuBarHeight() const;
    void OnFramePresented();

    // Commands, in maincommands.cpp.
    void OnToolBarToggled(bool checked);
    void OnRew();
    void OnBack();
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnStep();
    void OnBowlEditor();
    void OnHistory();
    void OnGraphs();
    void OnValues();
    void OnFullScreen();
    void OnOptions();
    // Draws the scene at `percent` percent of actual size (one of the zoom
    // steps) and resizes the box to match.
    void SetZoom(int16_t percent);
    // Why zooming to `percent` would leave a bowl outside the box, or empty.
    QString ZoomRefusal(int16_t percent) const;
    void OnAcknowledgements();
    void OnAbout();
    void OnIntervalChanged(int value);
    void OnStepFailed(const QString& userText);
    // Runs a single step; an engine error is shown and the partial frame dropped.
    template <typename StepFn>
    void RunSingleStep(StepFn&& step);
    void DiscardPartialFrame();

    QtClock tmr_Step;                   // the engine's clock; declared before the engine
    std::unique_ptr<CEnvEng> m_Engine;  // the one engine, also g_pEnvEng
    CEnvEng* m_pEnvEng = nullptr;       // set while the drawing area receives the events
    std::unique_ptr<ConservationLog> m_Conservation;   // listens to the engine throughout
    std::unique_ptr<PathStore> m_Paths;  // also Settings().Paths(); listens throughout, records while the option is on
    QPointer<QDialog> m_Graphs;         // made on first use
    QPointer<QDialog> m_Values;         // made on first use; listens to the engine while it lives
    bool m_Terminated = false;          // the close went ahead
    ScenarioDocument m_Document;
    QSize m_AreaPixels;                 // the drawing area, logical pixels
    // The lesson's own box the drawing area was last laid out for (none:
    // the box is the drawing area).
    std::optional<BoxSize> m_LaidOutBox;

    DrawingArea* m_DrawArea = nullptr;
    BowlManipulator* m_Manipulator = nullptr;   // the mouse and keys on the drawing area
    QToolBar* tlb_Main = nullptr;
    QSlider* sldr_Interval = nullptr;
    QWidget* m_SliderHost = nullptr;     // the BT_SEP place
    QLabel* m_PnlMaxX = nullptr;         // PNL_MAX_X
    QLabel* m_PnlMaxY = nullptr;         // PNL_MAX_Y
    QLabel* m_PnlTip = nullptr;          // PNL_TIP
    QLabel* m_PnlScale = nullptr;        // the picture's scale, percent

    QMenu* MN_FILE = nullptr;
    QMenu* MN_VIEW = nullptr;
    QMenu* MN_CONDUCTOR = nullptr;
    QMenu* MN_HELP = nullptr;

    QAction* MN_FILE_NEW = nullptr;
    QAction* MN_FILE_OPEN = nullptr;
    QAction* MN_FILE_SAVE = nullptr;
    QAction* MN_FILE_SAVE_AS = nullptr;
    QAction* MN_EXIT = nullptr;
    QAction* MN_VIEW_CONDUCTOR_TOOLBAR = nullptr;
    QAction* MN_VIEW_BOWL_EDITOR = nullptr;
    QAction* MN_VIEW_HISTORY = nullptr;
    QAction* MN_FULL_SCREEN = nullptr;
    QAction* MN_OPTIONS = nullptr;
    QAction* MN_VIEW_ZOOM_IN = nullptr;
    QAction* MN_VIEW_ZOOM_OUT = nullptr;
    QAction* MN_VIEW_ACTUAL_SIZE = nullptr;
    QAction* MN_VIEW_GRAPHS = nullptr;
    QAction* MN_VIEW_VALUES = nullptr;
    QAction* MN_COND_REW = nullptr;
    QAction* MN_COND_BACK = nullptr;
    QAction* MN_COND_PLAY = nullptr;
    QAction* MN_COND_PAUSE = nullptr;
    QAction* MN_COND_STOP = nullptr;
    QAction* MN_COND_STEP = nullptr;
    QAction* MN_ACKNOWLEDGEMENTS = nullptr;
    QAction* MN_ABOUT = nullptr;
};

} // namespace vintrop
