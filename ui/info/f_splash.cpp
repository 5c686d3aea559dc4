#include "f_splash.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "characterkey.h"
#include "classicfonts.h"
#include "headerband.h"
#include "pictures.h"
#include "programicon.h"
#include "twips.h"
#include "utility.h"
#include "version.h"

namespace vintrop {

namespace {
// A label sized to its text at (x, y).
QLabel* TextLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                  double xTwips, double yTwips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);   // a QLabel paints no background of its own
    label->move(twips::ToPixels(xTwips), twips::ToPixels(yTwips));
    label->adjustSize();
    return label;
}
} // namespace

F_SPLASH::F_SPLASH(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("F_SPLASH"));
    setWindowTitle(version::Title);
    // No title bar, no control box; a tool window gets no taskbar button.
    // (A Qt::SplashScreen window would not end a modal exec when closed.)
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setFixedSize(twips::ToPixels(7290), twips::ToPixels(4560));
    setAccessibleName(version::Title);
    setFont(fonts::SansSerif(8.25));

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame1->setGeometry(twips::ToPixelRect(-30, -120, 7350, 4680));

    // Decorative band along the top, with a lighter panel behind the name
    // that lies over the band but under the picture and the name.
    const HeaderBand header = MakeHeaderBand(frame1, QRect(30, 60, 7305, 1320), QRect(1860, 120, 1350, 1260),
                                             QRect(3120, 780, 1935, 555));
    header.name->adjustSize();
    auto* label1 = new QLabel(frame1);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(twips::ToPixelRect(2310, 120, 3435, 1260));
    label1->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 rgba(255,255,255,0),"
        " stop:0.5 rgba(255,255,255,40), stop:1 rgba(255,255,255,0));"));
    label1->stackUnder(header.picture);

    auto* imgLogo = new QLabel(frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twips::ToPixelRect(360, 1755, 1935, 2595));
    // The icon is square: it is centred in its box rather than distorted.
    imgLogo->setPixmap(pictures::Render(kProgramIcon, imgLogo->size(), devicePixelRatioF(),
                                        Qt::KeepAspectRatio));

    TextLabel(frame1, QStringLiteral("lblProductName"), version::Title, fonts::Arial(32.25, true), 2520, 1740);
    TextLabel(frame1, QStringLiteral("lblDes"), version::Description, fonts::Arial(12, true), 2550, 2520);
    auto* lblVersion = TextLabel(frame1, QStringLiteral("lblVersion"), QStringLiteral("Version ") + version::Number,
                                 fonts::Arial(12, true), 4440, 3240);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The holder line ends where its box ends; a text longer than the box
    // grows to the left instead of being cut.
    auto* lblCopyright = new QLabel(version::Holder, frame1);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setFont(fonts::Arial(8.25, false));
    lblCopyright->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QRect copyright = twips::ToPixelRect(4350, 3600, 2415, 255);
    const int needed = lblCopyright->sizeHint().width();
    if (needed > copyright.width()) copyright.setLeft(copyright.right() + 1 - needed);
    lblCopyright->setGeometry(copyright);

    // A click on any part of the window closes it.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);

    CenterForm(this);

    m_tmrAutoUnload = new QTimer(this);
    m_tmrAutoUnload->setObjectName(QStringLiteral("tmr_AutoUnload"));
    m_tmrAutoUnload->setInterval(1000);
    connect(m_tmrAutoUnload, &QTimer::timeout, this, &F_SPLASH::tmr_AutoUnload_Timer);
    connect(this, &QDialog::finished, m_tmrAutoUnload, &QTimer::stop);
    m_tmrAutoUnload->start();
}

void F_SPLASH::tmr_AutoUnload_Timer() {
    ++m_Ticks;
    if (m_Ticks > 5) close();
}

void F_SPLASH::keyPressEvent(QKeyEvent* event) {
    if (ProducesCharacter(event))
        close();
    else
        event->ignore();
}

void F_SPLASH::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) close();
}

bool F_SPLASH::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        close();
        return true;
    case QEvent::KeyPress:
        if (ProducesCharacter(static_cast<QKeyEvent*>(event))) {
            close();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vintrop
