#include "f_full_screen.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "appstate.h"
#include "displaysettings.h"
#include "characterkey.h"
#include "envengine.h"
#include "guarded.h"
#include "numeric.h"
#include "twips.h"
#include "version.h"

namespace vintrop {

namespace {
// Two successive mouse positions this far apart (twips, about 7 pixels)
// close the view.
constexpr float kMouseExitTwips = 100.0f;
} // namespace

F_FULL_SCREEN::F_FULL_SCREEN(QWidget* parent) : QDialog(parent), m_View(this) {
    setObjectName(QStringLiteral("F_FULL_SCREEN"));
    // A borderless tool window: like the program's other secondary windows
    // it has no task-bar button of its own; it belongs to its owner.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAccessibleName(version::Title);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent);   // the picture covers every pixel
    setMouseTracking(true);
}

F_FULL_SCREEN::~F_FULL_SCREEN() { Unbind(); }

void F_FULL_SCREEN::Display(bool FlgScrSv) {
    Open(FlgScrSv);
    exec();
}

void F_FULL_SCREEN::Open(bool FlgScrSv) {
    Unbind();
    m_pEnvEng = g_pEnvEng;
    if (m_pEnvEng) m_pEnvEng->Attach(&m_View);
    m_FlgScrSv = ToBool16(FlgScrSv);
    // The buffer keeps its drawing and the window its picture by design.
    if (m_pEnvEng && !m_pEnvEng->IsExecuting()) RedrawAll();
    m_LastX = 0;
    m_LastY = 0;
    if (QScreen* s = screen()) setGeometry(s->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
}

void F_FULL_SCREEN::done(int result) {
    // Closing in any way ends the binding: no engine event reaches a closed view.
    Unbind();
    QDialog::done(result);
}

void F_FULL_SCREEN::Unbind() {
    if (m_pEnvEng) m_pEnvEng->Detach(&m_View);
    m_pEnvEng = nullptr;
}

void F_FULL_SCREEN::LayOut(QSize pixels) {
    if (!m_pEnvEng) return;
    if (const auto& box = m_pEnvEng->FixedBox()) {
        // A lesson's own box: the screen shows it whole and the lesson goes
        // on in it unchanged.
        m_View.FitBox(pixels, box->width, box->height);
        return;
    }
    m_View.Resize(pixels, Settings().Zoom());
    m_pEnvEng->MaxX = ToSingle(m_View.WidthTwips());
    m_pEnvEng->MaxY = ToSingle(m_View.HeightTwips());
}

// ------------------------------------------------------------------ drawing

void F_FULL_SCREEN::RedrawAll() {
    LayOut(screen() ? screen()->geometry().size() : size());
    // Every bowl with its position number, whatever FlgShowNumber says.
    m_View.Redraw(*m_pEnvEng, true);
}

void F_FULL_SCREEN::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    Guarded(
        this,
        [&] {
            const QImage& picture = m_View.Shown();
            if (!picture.isNull()) painter.drawImage(m_View.Origin(), picture);
            m_View.PaintOutsideBox(painter, rect());
            m_View.PaintPairMarks(painter);
            PaintStep(painter);
        },
        Report::Later);
}

// ------------------------------------------------------------- window events

void F_FULL_SCREEN::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Guarded(this, [this] { LayOut(size()); });
}

void F_FULL_SCREEN::PaintStep(QPainter& painter) const {
    if (!m_pEnvEng) return;
    // A lesson's own box has its walls drawn along it already.
    m_View.PaintEdgeWalls(painter, rect());
    // Large enough for the back of the room: a twentieth of the height.
    QFont font = painter.font();
    font.setPixelSize(std::max(24, height() / 20));
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int margin = font.pixelSize() / 2;
    painter.drawText(QRect(margin, margin / 2, width() - 2 * margin, font.pixelSize() * 2),
                     Qt::AlignLeft | Qt::AlignTop, QStringLiteral("t=") + QString::number(m_pEnvEng->t));
}

bool F_FULL_SCREEN::Conduct(const QKeyEvent* event) {
    // The conductor's keys run the owner's commands, with their enabled
    // states, so a lesson can be played and stepped on the whole screen.
    static const char* const kCommands[] = {"MN_COND_PLAY", "MN_COND_PAUSE", "MN_COND_STEP", "MN_COND_BACK",
                                            "MN_COND_REW"};
    const QWidget* owner = parentWidget();
    if (!owner) return false;
    const QKeySequence pressed(event->keyCombination());
    for (const char* name : kCommands) {
        QAction* action = owner->findChild<QAction*>(QLatin1String(name));
        if (!action || action->shortcut() != pressed) continue;
        if (action->isEnabled()) action->trigger();
        update();
        return true;
    }
    return false;
}

void F_FULL_SCREEN::keyPressEvent(QKeyEvent* event) {
    bool conducted = false;
    Guarded(this, [&] { conducted = Conduct(event); });
    if (conducted) return;
    if (ProducesCharacter(event))
        close();
    else
        event->ignore();   // arrows, function keys, modifiers alone
}

void F_FULL_SCREEN::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) close();
}

void F_FULL_SCREEN::mouseMoveEvent(QMouseEvent* event) {
    // Measured on the screen, not in the window: while the window grows to
    // full screen the same pointer position changes its window coordinates,
    // which must not count as a quick movement.
    const double perPixel = twips::PerPixel(this);
    QPointF p = event->globalPosition();
    if (const QScreen* s = screen()) p -= s->geometry().topLeft();
    MouseMovedTo(static_cast<float>(p.x() * perPixel), static_cast<float>(p.y() * perPixel));
}

void F_FULL_SCREEN::MouseMovedTo(float X, float Y) {
    const float dx = static_cast<float>(std::fabs(static_cast<double>(m_LastX) - X));
    const float dy = static_cast<float>(std::fabs(static_cast<double>(m_LastY) - Y));
    if ((dx >= kMouseExitTwips || dy >= kMouseExitTwips) && (m_LastX != 0 || m_LastY != 0)) {
        close();
        return;
    }
    m_LastX = X;
    m_LastY = Y;
}

} // namespace vintrop
