#pragma once
// The main window shared by the tests of one program: built once without the
// splash; before each test the engine is reset, the window restored and the
// message boxes scripted.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QtTest>
#include <functional>
#include <memory>

#include "appstate.h"
#include "displaysettings.h"
#include "envengine.h"
#include "main/drawingarea.h"
#include "main/f_main.h"
#include "numeric.h"
#include "prompt.h"
#include "scenerenderer.h"
#include "twips.h"
#include "viewzoom.h"

namespace vintrop::testing {

// The child of `parent` named `name`; the test program stops when there is none.
template <typename T = QWidget>
T* Child(QObject* parent, const char* name) {
    auto* found = parent->findChild<T*>(QLatin1String(name));
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// The visible top-level window named `name`, or null.
inline QWidget* VisibleTopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

class MainWindowFixture {
public:
    void Build() {   // from initTestCase
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));   // "8,085.00"
        Prompt::StartScripting();
        m_Window = std::make_unique<F_MAIN>();
        if (!QTest::qWaitForWindowExposed(m_Window.get())) qFatal("main window not exposed");
        m_InitialSize = m_Window->size();
    }

    void Reset() {   // from init: a stopped, empty engine at t = 0 in the designed window, actual size
        Prompt::StartScripting();
        FlgModified = FlgShowVect = FlgShowNumber = kFalse;
        // The options only: the zoom goes back through its command below,
        // the scale with the window, and the paths stay the window's.
        Settings().SetShowVelocity(false);
        Settings().SetShowCentre(false);
        Settings().SetShowPaths(false);
        Settings().SetPathSteps(DisplaySettings::kStartPathSteps);
        Settings().SetVectorScale(DisplaySettings::kStartVectorScale);
        Engine().Reset();   // no box of its own: the zoom is offered again
        m_Window->ManualRefresh();
        m_Window->RefreshCommands();
        if (Settings().Zoom() != zoom::kActualSize) Action("MN_VIEW_ACTUAL_SIZE")->trigger();
        Engine().CentralCollision(kFalse);
        Engine().KeepHistory(kFalse);
        if (!Action("MN_VIEW_CONDUCTOR_TOOLBAR")->isChecked()) Action("MN_VIEW_CONDUCTOR_TOOLBAR")->trigger();
        m_Window->resize(m_InitialSize);
        QCoreApplication::processEvents();
        m_Window->SetSliderFromEngine();
        m_Window->ManualRefresh();
        m_Window->RefreshCommands();
        Prompt::ClearLog();
    }

    void Destroy() { m_Window.reset(); }   // from cleanupTestCase

    F_MAIN& Window() { return *m_Window; }
    CEnvEng& Engine() { return *g_pEnvEng; }

    template <typename T = QWidget>
    T* Find(const char* name) {
        return Child<T>(m_Window.get(), name);
    }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    // Runs a command as its menu item or button would. A disabled action
    // does nothing when triggered, so a test asking for one fails here
    // rather than passing without the command having run.
    void Trigger(const char* name) {
        QAction* action = Action(name);
        QVERIFY2(action->isEnabled(), qPrintable(QStringLiteral("%1 is disabled").arg(QLatin1String(name))));
        action->trigger();
    }
    QString Panel(const char* name) { return Find<QLabel>(name)->text(); }
    QSlider* Slider() { return Find<QSlider>("sldr_Interval"); }

    // A bowl added as the bowl editor adds one: redrawn, commands refreshed.
    CBowl& AddBowl(int16_t mass, float x, float y, float vx = 0, float vy = 0) {
        CBowl& b = Engine().AddBowl(mass, x, y, vx, vy);
        m_Window->ManualRefresh();
        m_Window->RefreshCommands();
        return b;
    }

    // Every bowl's initial state: Xo, Yo, Vxo, Vyo.
    QList<QList<float>> InitialStates() {
        QList<QList<float>> all;
        for (int i = 1; i <= Engine().BowlCount(); ++i) {
            const CBowl& b = Engine().GetBowl(i);
            all << QList<float>{b.Xo(), b.Yo(), b.Vxo(), b.Vyo()};
        }
        return all;
    }
    // The mouse moving over `widget` with no button held (its release went
    // elsewhere), which QTest's own moves cannot send after a press.
    static void MoveWithNoButton(QWidget* widget, QPoint to) {
        QMouseEvent move(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    // The colour the window's picture shows at a point given in twips, at
    // the scale the drawing area shows the box.
    QColor ShownAt(double xTwips, double yTwips) {
        const QImage& picture = m_Window->Picture();
        const double scale = picture.devicePixelRatio() / Find<DrawingArea>("pc_Picture")->View().TwipsPerPixel();
        return picture.pixelColor(qFloor(xTwips * scale), qFloor(yTwips * scale));
    }
    static QColor ColorOf(const CBowl& b) { return SceneRenderer::ColorOf(b.Color); }

private:
    std::unique_ptr<F_MAIN> m_Window;
    QSize m_InitialSize;
};

// Closes the first modal window that comes up while it lives (a window
// opened with exec() would wait for a user), after `whileOpen` has looked.
class ModalCloser {
public:
    explicit ModalCloser(std::function<void()> whileOpen = {}) : m_WhileOpen(std::move(whileOpen)) {
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            m_Timer.stop();
            m_Seen = QString::fromLatin1(modal->metaObject()->className());
            if (m_WhileOpen) m_WhileOpen();
            modal->close();
        });
        m_Timer.start(10);
    }
    const QString& Seen() const { return m_Seen; }   // class of the window closed, or empty

private:
    QTimer m_Timer;
    std::function<void()> m_WhileOpen;
    QString m_Seen;
};

} // namespace vintrop::testing

// The main() of a test program on a screen with two device pixels to every
// logical pixel: the scale is set before the application starts.
#define VINTROP_HIDPI_TEST_MAIN(TestClass)              \
    int main(int argc, char* argv[]) {                  \
        qputenv("QT_SCALE_FACTOR", "2");                \
        QApplication app(argc, argv);                   \
        TestClass test;                                 \
        QTEST_SET_MAIN_SOURCE_PATH                      \
        return QTest::qExec(&test, argc, argv);         \
    }
