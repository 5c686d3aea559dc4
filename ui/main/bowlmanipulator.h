#pragma once
// Setting up a scene with the mouse in the drawing area: a click selects a
// bowl, dragging it moves its initial position, dragging the grip at the tip
// of its velocity arrow sets its initial velocity. Every change keeps the
// bowl dialog's placement rules: a place that breaks one shows the dialog's
// white circle and its words in the tip panel, and is not kept. All of it
// only while the bowl editor may be used (at t = 0, not executing).
//
// A drag is an edit in progress: anything else that happens meanwhile (a
// command, a modal window, the window losing activation, the mouse grab
// lost, a move with no button held) cancels it, the bowl back where the
// drag began and nothing marked modified. Each change to a bowl, a drag's
// every move and its undoing included, is reported to the engine (Touch),
// so that the windows showing the engine's values follow it.
//
// The keys, with the drawing area focused: Esc cancels a drag; arrows move
// the selected bowl by 15 twips (Shift: 150), Ctrl+arrows change its velocity
// by 1; Tab and Shift+Tab walk the bowls and, past either end, move the focus
// on. A double click opens the bowl dialog on a bowl (property) or on empty
// space (add, prefilled with the point), Delete opens it to remove the
// selected bowl.
//
// Points on the drawing area are logical pixels; the engine's box is twips,
// one logical pixel being the view's TwipsPerPixel at any device pixel ratio.
#include <QObject>
#include <QPointF>
#include <QString>
#include <functional>

#include "windowentries.h"

class QKeyEvent;
class QMouseEvent;

class QPainter;

namespace vintrop {

class CBowl;
class CEnvEng;
class DrawingArea;

class BowlManipulator : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> redraw;                  // the whole scene, presented at once
        std::function<void(const QString&)> showTip;   // the status bar's tip panel
        // Opens the bowl dialog (see ShowBowlDialog); true when it committed.
        std::function<bool(BowlDialogKind kind, int index, int x, int y)> openDialog;
    };
    // The velocity arrow shows where the bowl will be after this many steps.
    static constexpr double kArrowSteps = 10;
    // How near the grip a press takes it, logical pixels.
    static constexpr double kGripPixels = 5;
    // How far right of a resting bowl's edge its grip waits, logical pixels:
    // clear of the selection ring, within reach of the bowl.
    static constexpr double kRestingGripPixels = 10;

    BowlManipulator(DrawingArea* area, CEnvEng& engine, Hooks hooks);

    // Position (1-based) of the selected bowl, 0 for none.
    int Selected() const { return m_Selected; }
    bool Dragging() const { return m_Drag != Drag::None; }
    // Ends a drag in progress, the bowl back where it began; nothing is
    // marked modified. Called before any command runs.
    void CancelDrag();
    // Forgets the selection (another scenario, the bowl editor); redraws
    // when there was one.
    void ClearSelection();
    // Forgets the selection only when it no longer names the bowl it did.
    void DropStaleSelection();
    // Draws the selection and its velocity arrow with `painter` on the
    // drawing area, over the picture.
    void PaintOverlay(QPainter& painter) const;
    // "Bowl 2, mass 10, at 1,500.00, 1,500.00, velocity 6.00, -3.00": a bowl
    // in the bowl editor's number formats (the tooltip and the drawing
    // area's accessible description of the selection).
    QString Describe(int index) const;

protected:
    // Runs Filter; an error it throws is shown over the drawing area and the
    // event goes on to it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Bowl, Grip };

    bool Filter(QEvent* event);
    bool Available() const;
    // The selection still names the bowl selected: its position holds it.
    bool SelectionValid() const;
    // Forgets a drag without touching any bowl (its state is no longer ours).
    void AbandonDrag();
    double TwipsPerPixel() const;
    QPointF ToTwips(const QPointF& pixels) const;
    // The topmost bowl under a point in twips (the last drawn), 0 for none.
    int BowlAt(const QPointF& twips) const;
    bool OnGrip(const QPointF& twips) const;
    QPointF GripOf(int index) const;   // twips

    bool MousePress(QMouseEvent* e);
    bool MouseMove(QMouseEvent* e);
    bool MouseRelease(QMouseEvent* e);
    bool DoubleClick(QMouseEvent* e);
    void OpenDialog(BowlDialogKind kind, int index, int x = 0, int y = 0);
    bool KeyPress(QKeyEvent* e);
    bool TabKey(bool forward);
    void Select(int index);             // and describes it to screen readers
    void UpdateCursor(const QPointF& pixels);

    void MoveTo(double x, double y);   // proposed initial position while dragging
    void SetVelocityToward(const QPointF& twips);
    void Changed();                     // marks the scenario modified and redraws
    void Refresh();

    DrawingArea* m_Area;
    CEnvEng& m_Engine;
    Hooks m_Hooks;
    int m_Selected = 0;
    const CBowl* m_SelectedBowl = nullptr;   // owned by the engine
    Drag m_Drag = Drag::None;
    QPointF m_PressTwips;
    float m_OrigX = 0, m_OrigY = 0, m_OrigVx = 0, m_OrigVy = 0;
    QString m_Broken;   // the rule the proposed place breaks, empty when none
};

} // namespace vintrop
