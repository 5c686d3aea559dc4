#include "f_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>
#include <algorithm>

#include "appstate.h"
#include "bowlmanipulator.h"
#include "conservationlog.h"
#include "displaysettings.h"
#include "drawingarea.h"
#include "envengine.h"
#include "guarded.h"
#include "initialbox.h"
#include "numberformat.h"
#include "numeric.h"
#include "pathstore.h"
#include "programicon.h"
#include "prompt.h"
#include "transport.h"
#include "twips.h"
#include "version.h"
#include "windowentries.h"

namespace vintrop {

namespace {
bool SameBox(const std::optional<BoxSize>& a, const std::optional<BoxSize>& b) {
    if (!a || !b) return !a == !b;
    return a->width == b->width && a->height == b->height;
}
} // namespace

F_MAIN::F_MAIN(QString commandLinePath, bool showSplash)
    : QMainWindow(nullptr), tmr_Step(this), m_Document(*this) {
    // 1. The splash window, modal, before anything of this window is seen.
    if (showSplash) ShowSplash();

    setObjectName(QStringLiteral("F_MAIN"));
    setWindowTitle(version::Title);
    setWindowIcon(QIcon(kProgramIcon));
    m_DrawArea = new DrawingArea(this);
    m_DrawArea->setObjectName(QStringLiteral("pc_Picture"));
    setCentralWidget(m_DrawArea);
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    // 2. The step timer: 50 ms, stopped. The engine starts and stops it.
    tmr_Step.setObjectName(QStringLiteral("tmr_Step"));
    tmr_Step.SetInterval(kDefaultInterval);
    tmr_Step.SetEnabled(false);
    connect(&tmr_Step, &QtClock::stepFailed, this, GuardedSlot(this, &F_MAIN::OnStepFailed));

    // 3. The slider's range; from now on a move sets the engine's interval.
    sldr_Interval->setRange(1, 100);
    sldr_Interval->setSingleStep(1);
    sldr_Interval->setPageStep(10);
    connect(sldr_Interval, &QSlider::valueChanged, this, GuardedSlot(this, &F_MAIN::OnIntervalChanged));

    // 4. The one engine, owned here and known to every window as g_pEnvEng;
    // the drawing area shows its steps.
    m_Engine = std::make_unique<CEnvEng>();
    g_pEnvEng = m_Engine.get();
    m_DrawArea->View().SetOnPresented([this] { OnFramePresented(); });
    // The paths hear of every step, back step and rewind before any view
    // draws it, also while the full-screen view is the one drawing.
    m_Paths = std::make_unique<PathStore>(*m_Engine);
    m_Engine->Attach(m_Paths.get());
    Settings().SetPaths(m_Paths.get());
    Attach();
    m_Conservation = std::make_unique<ConservationLog>(*m_Engine);
    m_Engine->Attach(m_Conservation.get());
    m_Manipulator = new BowlManipulator(
        m_DrawArea, *m_Engine,
        {[this] { ManualRefresh(); }, [this](const QString& tip) { m_PnlTip->setText(tip); },
         [this](BowlDialogKind kind, int index, int x, int y) {
             const bool changed = ShowBowlDialog(this, this, kind, index, x, y);
             if (changed) RefreshCommands();
             return changed;
         }});
    m_DrawArea->SetOverlay([this](QPainter& painter) {
        if (m_Manipulator) m_Manipulator->PaintOverlay(painter);
    });

    // 5. The timer becomes the engine's clock.
    m_Engine->init(tmr_Step);
    m_Engine->SetHistoryFactory(&CreateHistoryWindow);

    // The window's resizeEvent runs the handler; should the layout settle the
    // drawing area at another size afterwards (a menu bar that wraps), again.
    connect(m_DrawArea, &DrawingArea::resized, this, GuardedSlot(this, [this] {
                if (m_DrawArea->size() != m_AreaPixels) Form_Resize();
            }));

    // 6. Visible at the designed client size below the menu bar: the initial
    // box above the toolbar and the status bar, 8085 x 5295 twips in all.
    resize(twips::ToPixels(kInitialBoxWidth, this),
           twips::ToPixels(kInitialBoxHeight + kToolBarHeightTwips + kStatusBarHeightTwips, this) +
               menuBar()->sizeHint().height());
    show();
    Form_Resize();
    // On another screen the pixel ratio and the twips per pixel may differ.
    if (QWindow* window = windowHandle())
        connect(window, &QWindow::screenChanged, this, GuardedSlot(this, &F_MAIN::Form_Resize));

    // 7. No collision log until the user asks for one.
    try {
        m_Engine->KeepHistory(kFalse);
    } catch (const VintropError& e) {
        Prompt::Error(this, QString::fromStdString(e.UserText()));
    }

    // 8. The slider shows the engine's interval.
    SetSliderFromEngine();

    // 9. The drawing area keeps its picture between frames by design.

    // 10. The scenario named on the command line, or a new one; then the
    // commands' enabled states.
    if (!commandLinePath.isEmpty())
        m_Document.LoadScenario(commandLinePath);
    else
        m_Document.New();
    RefreshCommands();
    // The keys go to the interval slider until the drawing area is clicked
    // or reached with Tab.
    sldr_Interval->setFocus(Qt::OtherFocusReason);
}

F_MAIN::~F_MAIN() {
    // The manipulator filters the drawing area's events and reads the engine:
    // it goes first, before the engine, whatever events the closing children
    // still send.
    m_DrawArea->SetOverlay({});
    delete m_Manipulator;
    m_Manipulator = nullptr;
    delete m_Graphs;
    delete m_Values;
    Detach();
    if (m_Engine && m_Conservation) m_Engine->Detach(m_Conservation.get());
    if (m_Engine && m_Paths) m_Engine->Detach(m_Paths.get());
    if (Settings().Paths() == m_Paths.get()) Settings().SetPaths(nullptr);
    if (m_Engine) {
        m_Engine->sStop();
        if (!m_Terminated) m_Engine->Terminate();
    }
    if (g_pEnvEng == m_Engine.get()) g_pEnvEng = nullptr;
}

void F_MAIN::Attach() {
    if (m_pEnvEng || !m_Engine) return;
    m_pEnvEng = m_Engine.get();
    m_pEnvEng->Attach(&m_DrawArea->View());
}

void F_MAIN::Detach() {
    if (!m_pEnvEng) return;
    m_pEnvEng->Detach(&m_DrawArea->View());
    m_pEnvEng = nullptr;
}

int F_MAIN::MenuBarHeight() const {
    const QWidget* bar = menuWidget();
    return bar && !bar->isHidden() ? bar->height() : 0;
}

void F_MAIN::Form_Resize() {
    // While detached (full-screen view, after close) the box is not ours.
    if (!m_pEnvEng) return;

    // The drawing area fills the client area above the docked bars. A window
    // too small for the bars would leave a negative height: keep the last one.
    const int toolBar = tlb_Main->isHidden() ? 0 : tlb_Main->height();
    const int room = height() - MenuBarHeight() - toolBar - statusBar()->height();
    if (room >= 0) m_AreaPixels.setHeight(room);
    m_AreaPixels.setWidth(std::max(0, width()));
    SceneView& view = m_DrawArea->View();
    m_LaidOutBox = m_Engine->FixedBox();
    if (m_LaidOutBox) {
        // A lesson's own box: the window shows it whole, the box stays.
        view.FitBox(m_AreaPixels, m_LaidOutBox->width, m_LaidOutBox->height);
    } else {
        // The box is the drawing area, in twips at the current zoom.
        view.Resize(m_AreaPixels, Settings().Zoom());
        m_Engine->MaxX = ToSingle(view.WidthTwips());
        m_Engine->MaxY = ToSingle(view.HeightTwips());
    }
    m_PnlMaxX->setText(fmt::Fixed(m_Engine->MaxX));
    m_PnlMaxY->setText(fmt::Fixed(m_Engine->MaxY));
    m_PnlScale->setText(QString::number(view.ScalePercent()) + QStringLiteral(" %"));
    // The text of the history, values and graphs windows follows the scale
    // the scene is shown at.
    Settings().SetViewScale(static_cast<int16_t>(std::clamp(view.ScalePercent(), 1, 32767)));

    // A running engine redraws at its next tick.
    if (!m_Engine->IsExecuting()) ManualRefresh();
}

void F_MAIN::RefreshCommands() {
    // A selection made on the drawing area stays while it names its bowl.
    if (m_Manipulator) m_Manipulator->DropStaleSelection();
    const bool executing = m_Engine->IsExecuting();
    const bool atStart = m_Engine->t == 0;
    const bool stopped = !executing;

    MN_FILE_NEW->setEnabled(stopped);
    MN_FILE_OPEN->setEnabled(stopped);
    MN_FILE_SAVE->setEnabled(stopped);
    MN_FILE_SAVE_AS->setEnabled(stopped);
    MN_VIEW_BOWL_EDITOR->setEnabled(stopped && atStart);
    const TransportState transport = TransportStateOf(*m_Engine, executing);
    MN_COND_BACK->setEnabled(transport.back);
    MN_COND_PAUSE->setEnabled(transport.pause);
    MN_COND_PLAY->setEnabled(transport.play);
    MN_COND_REW->setEnabled(transport.rew);
    MN_COND_STEP->setEnabled(transport.step);
    MN_COND_STOP->setEnabled(transport.stop);
    // The zoom resizes the box, so only while the bowls stand at their
    // initial places; Graphs and Values, like Full Screen and Options, at all times.
    // A lesson's own box is shown whole at any size: no zoom to choose.
    const bool zoomable = stopped && atStart && !m_Engine->FixedBox();
    MN_VIEW_ZOOM_IN->setEnabled(zoomable);
    MN_VIEW_ZOOM_OUT->setEnabled(zoomable);
    MN_VIEW_ACTUAL_SIZE->setEnabled(zoomable);
}

void F_MAIN::ScenarioReplacing() {
    if (m_Manipulator) m_Manipulator->ClearSelection();
}

void F_MAIN::SetSliderFromEngine() {
    int interval = 0;
    try {
        interval = m_Engine->sInterval();
    } catch (const VintropError&) {
        return;   // an interval beyond 16 bits: the slider stays where it is
    }
    // An interval outside the slider's range shows as the nearer end, and
    // the engine keeps its own value: no valueChanged reaches it.
    const QSignalBlocker block(sldr_Interval);
    sldr_Interval->setValue(std::clamp(interval, sldr_Interval->minimum(), sldr_Interval->maximum()));
}

void F_MAIN::SetTitle(const QString& title) { setWindowTitle(title); }

const QImage& F_MAIN::Picture() const { return m_DrawArea->Picture(); }

// ------------------------------------------------------------------ drawing

void F_MAIN::OnFramePresented() {
    m_PnlTip->setText(QStringLiteral("t=") + fmt::Integer(m_Engine->t));
    emit framePresented();
}

void F_MAIN::ManualRefresh() {
    // The log takes its points from the engine's steps; whatever else moved
    // the bowls (a load, New, an edit at t = 0, what a failed step left)
    // reaches it here, as it reaches the scene.
    if (m_Conservation) {
        const uint64_t logged = m_Conservation->Revision();
        m_Conservation->Sync();
        // The log caught up only now, perhaps after the graphs looked at it
        // on the engine's report (a failed load's message box runs the event
        // loop before this): they hear of it as of any change.
        if (m_Conservation->Revision() != logged) m_Engine->Touch();
    }
    // The paths likewise, and the options may have switched them or their
    // length.
    if (m_Paths) {
        m_Paths->Configure(Settings().ShowPaths(), Settings().PathSteps());
        m_Paths->Sync();
    }
    // A load, New or the options may have fixed or freed the box: the
    // drawing area is laid out again, which redraws.
    if (m_pEnvEng && !SameBox(m_Engine->FixedBox(), m_LaidOutBox)) {
        Form_Resize();
        if (!m_Engine->IsExecuting()) return;
    }
    if (m_pEnvEng) m_DrawArea->View().Redraw(*m_pEnvEng);
}

void F_MAIN::DrawProvisionalCircle(float x, float y, float r) { m_DrawArea->View().DrawProvisionalCircle(x, y, r); }

void F_MAIN::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Guarded(this, [this] {
        FitSliderToToolBar();
        Form_Resize();
    });
}

// -------------------------------------------------------------------- close

void F_MAIN::closeEvent(QCloseEvent* event) {
    // A close that fails part-way is refused: the window stays, with the error shown.
    const bool done = Guarded(this, [this, event] {
        if (m_Terminated) {
            event->accept();
            return;
        }
        if (!m_Document.QuerySaveChanges()) {
            event->ignore();
            return;
        }
        Detach();
        m_Engine->sStop();
        m_Engine->Terminate();
        if (m_Graphs) m_Graphs->close();
        if (m_Values) m_Values->close();
        m_Terminated = true;
        event->accept();
        emit closed();
    });
    if (!done) event->ignore();
}

} // namespace vintrop
