#include "bowlmanipulator.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <exception>

#include "appstate.h"
#include "drawingarea.h"
#include "envengine.h"
#include "guarded.h"
#include "numberformat.h"
#include "numeric.h"
#include "placement.h"
#include "placementtext.h"

namespace vintrop {

namespace {

// Arrow keys move a bowl by one pixel at 96 dpi and actual size, with Shift ten.
constexpr double kKeyStepTwips = 15;
constexpr double kShiftKeyStepTwips = 150;

} // namespace

BowlManipulator::BowlManipulator(DrawingArea* area, CEnvEng& engine, Hooks hooks)
    : QObject(area), m_Area(area), m_Engine(engine), m_Hooks(std::move(hooks)) {
    // A click or Tab gives the drawing area the keys it acts on; the pointer
    // is followed for the hand cursor.
    m_Area->setFocusPolicy(Qt::StrongFocus);
    m_Area->setMouseTracking(true);
    m_Area->setAccessibleName(QStringLiteral("Drawing area"));
    m_Area->installEventFilter(this);
}

bool BowlManipulator::Available() const { return !m_Engine.IsExecuting() && m_Engine.t == 0; }

bool BowlManipulator::SelectionValid() const {
    return m_Selected >= 1 && m_Selected <= m_Engine.BowlCount() && &m_Engine.GetBowl(m_Selected) == m_SelectedBowl;
}

double BowlManipulator::TwipsPerPixel() const { return m_Area->View().TwipsPerPixel(); }

QPointF BowlManipulator::ToTwips(const QPointF& pixels) const {
    // The box may sit centred on the area, its top-left corner at the origin.
    return (pixels - m_Area->View().Origin()) * TwipsPerPixel();
}

int BowlManipulator::BowlAt(const QPointF& twips) const {
    for (int i = m_Engine.BowlCount(); i >= 1; --i) {
        const CBowl& b = m_Engine.GetBowl(i);
        const double dx = twips.x() - b.x;
        const double dy = twips.y() - b.y;
        if (dx * dx + dy * dy <= double(b.r()) * b.r()) return i;
    }
    return 0;
}

QPointF BowlManipulator::GripOf(int index) const {
    const CBowl& b = m_Engine.GetBowl(index);
    // A bowl at rest has no arrow: its grip waits beside it, just right of
    // its edge, so that the bowl's body always moves the bowl.
    if (b.Vxo() == 0 && b.Vyo() == 0) return {b.x + b.r() + kRestingGripPixels * TwipsPerPixel(), double(b.y)};
    return {b.x + kArrowSteps * b.Vxo(), b.y + kArrowSteps * b.Vyo()};
}

bool BowlManipulator::OnGrip(const QPointF& twips) const {
    if (!SelectionValid()) return false;
    const QPointF d = twips - GripOf(m_Selected);
    const double reach = kGripPixels * TwipsPerPixel();
    return d.x() * d.x() + d.y() * d.y() <= reach * reach;
}

bool BowlManipulator::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_Area) return false;
    bool handled = false;
    Guarded(m_Area, [&] { handled = Filter(event); },
            event->type() == QEvent::Paint ? Report::Later : Report::Now);
    return handled;
}

bool BowlManipulator::Filter(QEvent* event) {
    // A drag whose bowl or state is gone is forgotten, never applied.
    if (Dragging() && !(Available() && SelectionValid())) AbandonDrag();
    if (m_Selected && !SelectionValid()) Select(0);
    switch (event->type()) {
    // Whatever takes the mouse or the keys away ends a drag: a modal window,
    // another window activated, the drawing area hidden.
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate:
    case QEvent::FocusOut:
    case QEvent::UngrabMouse:
    case QEvent::Hide: CancelDrag(); return false;
    case QEvent::MouseButtonPress: return MousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove: return MouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease: return MouseRelease(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick: return DoubleClick(static_cast<QMouseEvent*>(event));
    case QEvent::KeyPress: return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const int hit = Available() ? BowlAt(ToTwips(help->pos())) : 0;
        if (hit)
            QToolTip::showText(help->globalPos(), Describe(hit), m_Area);
        else
            QToolTip::hideText();
        return true;
    }
    default: return false;
    }
}

bool BowlManipulator::MousePress(QMouseEvent* e) {
    if (!Available() || e->button() != Qt::LeftButton || Dragging()) return false;
    const QPointF at = ToTwips(e->position());
    // The selected bowl's grip comes first where it lies over a bowl.
    const bool grip = OnGrip(at);
    const int hit = grip ? m_Selected : BowlAt(at);
    Select(hit);
    if (hit) {
        const CBowl& b = m_Engine.GetBowl(hit);
        m_OrigX = b.Xo();
        m_OrigY = b.Yo();
        m_OrigVx = b.Vxo();
        m_OrigVy = b.Vyo();
        m_PressTwips = at;
        m_Drag = grip ? Drag::Grip : Drag::Bowl;
        m_Broken.clear();
    }
    Refresh();
    return true;
}

bool BowlManipulator::MouseMove(QMouseEvent* e) {
    // The release went elsewhere (a window that came up meanwhile): the
    // mouse moving freely never moves a bowl.
    if (Dragging() && !(e->buttons() & Qt::LeftButton)) CancelDrag();
    if (!Dragging()) {
        UpdateCursor(e->position());
        return false;
    }
    const QPointF at = ToTwips(e->position());
    if (m_Drag == Drag::Bowl) {
        const QPointF by = at - m_PressTwips;
        MoveTo(m_OrigX + by.x(), m_OrigY + by.y());
    } else {
        SetVelocityToward(at);
    }
    Refresh();
    return true;
}

bool BowlManipulator::MouseRelease(QMouseEvent* e) {
    if (!Dragging() || e->button() != Qt::LeftButton) return false;
    if (m_Drag == Drag::Bowl && !m_Broken.isEmpty()) {
        CancelDrag();
        return true;
    }
    m_Drag = Drag::None;
    const CBowl& b = m_Engine.GetBowl(m_Selected);
    if (b.Xo() != m_OrigX || b.Yo() != m_OrigY || b.Vxo() != m_OrigVx || b.Vyo() != m_OrigVy)
        Changed();
    else
        Refresh();
    return true;
}

bool BowlManipulator::DoubleClick(QMouseEvent* e) {
    if (!Available() || e->button() != Qt::LeftButton || Dragging()) return false;
    const QPointF at = ToTwips(e->position());
    const int hit = BowlAt(at);
    if (hit) {
        Select(hit);
        OpenDialog(BowlDialogKind::Property, hit);
    } else {
        try {
            OpenDialog(BowlDialogKind::Add, m_Engine.BowlCount() + 1, ToInt16(at.x()), ToInt16(at.y()));
        } catch (const std::exception&) {
            return true;   // a point beyond a whole number of twips: no bowl there
        }
    }
    return true;
}

void BowlManipulator::OpenDialog(BowlDialogKind kind, int index, int x, int y) {
    if (!m_Hooks.openDialog || !m_Hooks.openDialog(kind, index, x, y)) return;
    // The bowl just added or changed is the selection; a removed one is gone.
    Select(kind == BowlDialogKind::Add ? m_Engine.BowlCount() : kind == BowlDialogKind::Property ? index : 0);
    Changed();
}

bool BowlManipulator::KeyPress(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && Dragging()) {
        CancelDrag();
        return true;
    }
    if (!Available() || Dragging()) return false;
    if (e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier)) return TabKey(true);
    if (e->key() == Qt::Key_Backtab || e->key() == Qt::Key_Tab) return TabKey(false);
    if (m_Selected == 0) return false;
    if (e->key() == Qt::Key_Delete) {
        OpenDialog(BowlDialogKind::Remove, m_Selected);
        return true;
    }
    int dx = 0, dy = 0;
    switch (e->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: return false;
    }
    CBowl& b = m_Engine.GetBowl(m_Selected);
    if (e->modifiers() & Qt::ControlModifier) {
        // One component by one; the other keeps its value, whatever it is.
        // A value beyond the dialog's range may only come back towards it.
        const float old = dx ? b.Vxo() : b.Vyo();
        const double next = double(old) + (dx ? dx : dy);
        const bool away = (next < kMinFieldVelocity && next < old) || (next > kMaxFieldVelocity && next > old);
        float value = old;
        try {
            if (!away) value = ToSingle(next);
        } catch (const std::exception&) {
            return true;   // beyond a float: no change
        }
        if (value == old) return true;
        dx ? b.SetVxo(value) : b.SetVyo(value);
        m_Engine.Touch();
        Changed();
        return true;
    }
    const double step = (e->modifiers() & Qt::ShiftModifier) ? kShiftKeyStepTwips : kKeyStepTwips;
    const float fromX = b.Xo();
    const float fromY = b.Yo();
    MoveTo(fromX + dx * step, fromY + dy * step);
    if (m_Broken.isEmpty()) {
        Changed();
    } else {
        // Refused: the bowl stays. The place refused shows as the white
        // circle and the tip says why, both until the next frame.
        const QString why = m_Broken;
        const float refusedX = b.x, refusedY = b.y;
        b.SetXo(fromX);
        b.SetYo(fromY);
        m_Engine.Touch();
        m_Broken.clear();
        Refresh();
        m_Area->View().DrawProvisionalCircle(refusedX, refusedY, b.r());
        if (m_Hooks.showTip) m_Hooks.showTip(why);
    }
    return true;
}

bool BowlManipulator::TabKey(bool forward) {
    // Through the bowls in collection order; past either end the key goes on
    // to move the focus to the next control.
    const int count = m_Engine.BowlCount();
    int next = 0;
    if (forward)
        next = m_Selected < count ? m_Selected + 1 : 0;
    else
        next = m_Selected == 0 ? count : m_Selected - 1;
    Select(next);
    Refresh();
    return next != 0;
}

void BowlManipulator::ClearSelection() {
    CancelDrag();
    if (m_Selected == 0) return;
    Select(0);
    if (Available()) Refresh();
}

void BowlManipulator::DropStaleSelection() {
    if (Dragging() && !(Available() && SelectionValid())) AbandonDrag();
    if (m_Selected == 0) return;
    if (SelectionValid())
        Select(m_Selected);   // its values may have changed: describe it afresh
    else
        ClearSelection();
}

void BowlManipulator::Select(int index) {
    m_Selected = index;
    m_SelectedBowl = index ? &m_Engine.GetBowl(index) : nullptr;
    m_Area->setAccessibleDescription(index ? Describe(index) : QString());
}

void BowlManipulator::UpdateCursor(const QPointF& pixels) {
    if (Available() && BowlAt(ToTwips(pixels)))
        m_Area->setCursor(Qt::PointingHandCursor);
    else
        m_Area->unsetCursor();
}

QString BowlManipulator::Describe(int index) const {
    const CBowl& b = m_Engine.GetBowl(index);
    return QStringLiteral("Bowl %1, mass %2, at %3, %4, velocity %5, %6")
        .arg(QString::number(index), fmt::General(b.M()), fmt::Fixed(b.Xo()), fmt::Fixed(b.Yo()),
             fmt::Fixed(b.Vxo()), fmt::Fixed(b.Vyo()));
}

void BowlManipulator::MoveTo(double x, double y) {
    CBowl& b = m_Engine.GetBowl(m_Selected);
    try {
        // Whole twips, as the dialog's fields take them (halves to even).
        x = ToInt16(x);
        y = ToInt16(y);
        m_Broken = PlacementText(CheckPlacement(m_Engine, b.M(), x, y, m_Selected));
        b.SetXo(ToSingle(x));
        b.SetYo(ToSingle(y));
        m_Engine.Touch();
    } catch (const std::exception&) {
        // A place beyond what a float holds is no place: the bowl stays.
        m_Broken = InvalidDataText();
    }
}

void BowlManipulator::SetVelocityToward(const QPointF& twips) {
    CBowl& b = m_Engine.GetBowl(m_Selected);
    // Whole twips per step as the dialog's fields take them (halves to even),
    // within what they accept.
    const auto velocity = [](double offset) {
        return ToSingle(ToInt16(std::clamp(offset / kArrowSteps, double(kMinFieldVelocity), double(kMaxFieldVelocity))));
    };
    b.SetVxo(velocity(twips.x() - b.x));
    b.SetVyo(velocity(twips.y() - b.y));
    m_Engine.Touch();
}

void BowlManipulator::CancelDrag() {
    if (!Dragging()) return;
    if (!(Available() && SelectionValid())) {
        AbandonDrag();
        return;
    }
    CBowl& b = m_Engine.GetBowl(m_Selected);
    b.SetXo(m_OrigX);
    b.SetYo(m_OrigY);
    b.SetVxo(m_OrigVx);
    b.SetVyo(m_OrigVy);
    m_Engine.Touch();
    m_Drag = Drag::None;
    m_Broken.clear();
    Refresh();
}

void BowlManipulator::AbandonDrag() {
    m_Drag = Drag::None;
    m_Broken.clear();
}

void BowlManipulator::Changed() {
    FlgModified = kTrue;
    if (m_Selected) Select(m_Selected);
    Refresh();
}

void BowlManipulator::Refresh() {
    if (m_Hooks.redraw) m_Hooks.redraw();
    m_Area->update();   // the overlay is painted over the picture at the repaint
    if (m_Broken.isEmpty() || m_Selected == 0) return;
    const CBowl& b = m_Engine.GetBowl(m_Selected);
    m_Area->View().DrawProvisionalCircle(b.x, b.y, b.r());
    if (m_Hooks.showTip) m_Hooks.showTip(m_Broken);
}

void BowlManipulator::PaintOverlay(QPainter& painter) const {
    if (!Available() || !SelectionValid()) return;
    const double scale = 1.0 / TwipsPerPixel();   // logical pixels per twip
    const CBowl& b = m_Engine.GetBowl(m_Selected);
    const QPointF centre(b.x * scale, b.y * scale);
    const QPointF tip = GripOf(m_Selected) * scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::yellow);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double radius = b.r() * scale + 2;
    painter.drawEllipse(centre, radius, radius);
    if (b.Vxo() != 0 || b.Vyo() != 0) painter.drawLine(centre, tip);
    painter.setBrush(Qt::yellow);
    painter.drawRect(QRectF(tip - QPointF(3, 3), QSizeF(6, 6)));
    painter.restore();
}

} // namespace vintrop
