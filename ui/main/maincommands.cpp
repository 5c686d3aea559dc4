// The main window's commands: the conductor (REW, BACK, PLAY, PAUSE, STOP,
// STEP), the interval slider, the toolbar switch, and the commands that open
// the other windows. Each ends by re-applying the enabled states where the
// program's rules say so.
#include <QDialog>
#include <QLabel>
#include <QToolBar>

#include "appstate.h"
#include "displaysettings.h"
#include "bowlmanipulator.h"
#include "drawingarea.h"
#include "envengine.h"
#include "errortext.h"
#include "f_main.h"
#include "numeric.h"
#include "placement.h"
#include "prompt.h"
#include "twips.h"
#include "viewzoom.h"
#include "windowentries.h"

namespace vintrop {

void F_MAIN::OnToolBarToggled(bool checked) {
    tlb_Main->setVisible(checked);
    Form_Resize();
}

// ---------------------------------------------------------------- conductor

void F_MAIN::OnRew() {
    m_Engine->sRewind();
    ManualRefresh();
    RefreshCommands();
}

void F_MAIN::OnBack() {
    // The step's own events draw and present the new frame.
    RunSingleStep([this] { m_Engine->Reverse(); });
    RefreshCommands();
}

void F_MAIN::OnPlay() {
    m_Engine->sPlay();
    ManualRefresh();
    RefreshCommands();
}

void F_MAIN::OnPause() {
    m_Engine->sStop();
    ManualRefresh();
    RefreshCommands();
}

void F_MAIN::OnStop() {
    m_Engine->sStop();
    m_Engine->sRewind();
    ManualRefresh();
    RefreshCommands();
}

void F_MAIN::OnStep() {
    RunSingleStep([this] { m_Engine->Advance(); });
    RefreshCommands();
}

template <typename StepFn>
void F_MAIN::RunSingleStep(StepFn&& step) {
    try {
        step();
    } catch (...) {
        DiscardPartialFrame();
        Prompt::Error(this, UserTextOf(std::current_exception()));
    }
}

void F_MAIN::DiscardPartialFrame() {
    // A step that failed half-way has drawn only some bowls: drop that and
    // show where the bowls are now.
    m_DrawArea->View().DropRecording();
    ManualRefresh();
}

void F_MAIN::OnStepFailed(const QString& userText) {
    // The clock has already stopped, so this is shown once; the commands
    // show the stopped clock before the message comes up in front of them.
    DiscardPartialFrame();
    RefreshCommands();
    Prompt::Error(this, userText);
}

void F_MAIN::OnIntervalChanged(int value) {
    // Milliseconds per tick, applied at once, also to a running clock. The
    // scenario does not count as modified. A refused value is reported by
    // the slot's guard.
    m_Engine->sInterval(ToInt16(value));
}

// ------------------------------------------------------------ other windows

void F_MAIN::OnBowlEditor() {
    bool open = true;
    if (m_Engine->t != 0) {
        // Bowls are edited at their initial values only.
        open = Prompt::Message(this, QStringLiteral("Riportare lo stato al tempo t=0?"), Prompt::Icon::Question,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        if (open) m_Engine->sRewind();
    }
    if (open) {
        ShowBowlEditor(this, this);
        // The editor may have removed, added or changed any bowl.
        if (m_Manipulator) m_Manipulator->ClearSelection();
    }
    RefreshCommands();
}

void F_MAIN::OnHistory() {
    try {
        bool show = true;
        if (m_Engine->KeepHistory() != kTrue) {
            show = Prompt::Message(this, QStringLiteral("History non attiva. Attivarla adesso?"),
                                   Prompt::Icon::Question,
                                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
            if (show) m_Engine->KeepHistory(kTrue);   // starts the collision log
        }
        if (show) m_Engine->ShowHistory(this);
    } catch (const VintropError& e) {
        Prompt::Error(this, QString::fromStdString(e.UserText()));
    }
    RefreshCommands();
}

void F_MAIN::OnGraphs() {
    if (!m_Graphs) m_Graphs = CreateGraphsWindow(this, *m_Conservation, *m_Engine);
    m_Graphs->show();
    m_Graphs->raise();
    m_Graphs->activateWindow();
}

void F_MAIN::OnValues() {
    if (!m_Values) m_Values = CreateValuesWindow(this, *m_Engine);
    m_Values->show();
    m_Values->raise();
    m_Values->activateWindow();
}

void F_MAIN::OnFullScreen() {
    // The full-screen view listens to the engine meanwhile; this window
    // neither draws nor touches the box until it returns.
    {
        Detach();
        // Attached again however the view ends, also when it failed to open.
        struct Reattach {
            F_MAIN* window;
            ~Reattach() { window->Attach(); }
        } reattach{this};
        DisplayFullScreen(this, false);
    }
    // Back to this window's box; no refresh of the command states follows.
    Form_Resize();
}

void F_MAIN::OnOptions() {
    // The new display options show at once, not only from the next step; a
    // box fixed or freed changes what the zoom may do.
    if (ShowOptions(this)) {
        ManualRefresh();
        RefreshCommands();
    }
}

QString F_MAIN::ZoomRefusal(int16_t percent) const {
    // The box at the new zoom: the drawing area's pixels in twips.
    const double twipsPerPixel = zoom::TwipsPerPixel(twips::PerPixel(m_DrawArea), percent);
    const float maxX = ToSingle(m_AreaPixels.width() * twipsPerPixel);
    const float maxY = ToSingle(m_AreaPixels.height() * twipsPerPixel);
    const int count = m_Engine->BowlCount();
    for (int i = 1; i <= count; ++i) {
        // Zooming in moves only the right and bottom walls, checked as the
        // bowl dialog checks them.
        const CBowl& b = m_Engine->GetBowl(i);
        const int16_t r = WholeRadiusOf(b.M());
        if (BeyondFarWall(b.x, r, maxX) || BeyondFarWall(b.y, r, maxY))
            return QStringLiteral("Bowl %1 would be outside").arg(i);
    }
    return {};
}

void F_MAIN::SetZoom(int16_t percent) {
    if (percent == Settings().Zoom()) return;
    // A bowl beyond the new walls would be crushed onto them at the next
    // step: the zoom stays as it is and the tip says why.
    if (percent > Settings().Zoom()) {
        const QString why = ZoomRefusal(percent);
        if (!why.isEmpty()) {
            m_PnlTip->setText(why);
            return;
        }
    }
    Settings().SetZoom(percent);
    // The same drawing area holds a box of another size; the scene is drawn
    // again at once when stopped, at the next tick when running.
    Form_Resize();
}

void F_MAIN::OnAcknowledgements() { ShowExplanation(); }

void F_MAIN::OnAbout() { ShowAbout(); }

} // namespace vintrop
