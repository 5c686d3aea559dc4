// The full-screen view: what it shows when opened on a paused or a running
// engine, the box size, what closes it and that it lets go of the engine.
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "appstate.h"
#include "bowl.h"
#include "clock.h"
#include "envengine.h"
#include "fullscreen/f_full_screen.h"
#include "numeric.h"
#include "prompt.h"
#include "scenerenderer.h"
#include "twips.h"
#include "vintroperror.h"
#include "windowentries.h"

using namespace vintrop;

namespace {
bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) return false;
    return true;
}
} // namespace

class TestFullScreen : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;

    // Three bowls at rest, so a step redraws them where they were.
    void AddThreeBowls() {
        m_Engine->AddBowl(10, 3000, 3000, 0, 0);
        m_Engine->AddBowl(20, 6000, 3000, 0, 0);
        m_Engine->AddBowl(30, 3000, 6000, 0, 0);
    }
    // The pixel (logical coordinates) where a point in twips lands.
    static QPoint PixelOf(const F_FULL_SCREEN& view, double xTwips, double yTwips) {
        const double perPixel = twips::PerPixel(&view);
        return QPoint(int(xTwips / perPixel), int(yTwips / perPixel));
    }
    static QColor Color(const F_FULL_SCREEN& view, QPoint logical) {
        const qreal ratio = view.Picture().devicePixelRatio();
        return view.Picture().pixelColor(int(logical.x() * ratio), int(logical.y() * ratio));
    }

private slots:
    void init() {
        Prompt::StartScripting();
        m_Clock.SetEnabled(false);
        m_Engine = std::make_unique<CEnvEng>();
        m_Engine->init(m_Clock);
        m_Engine->MaxX = 9000;   // the main window's drawing area
        m_Engine->MaxY = 6000;
        g_pEnvEng = m_Engine.get();
        FlgShowNumber = kFalse;
        FlgShowVect = kFalse;
    }
    void cleanup() {
        g_pEnvEng = nullptr;
        m_Engine.reset();
    }

    void pausedEngineIsDrawnAtOnceWithPositionNumbers() {
        AddThreeBowls();
        F_FULL_SCREEN view;
        view.Open(false);
        QVERIFY(view.Bound());
        QVERIFY(!view.ScrSv());
        QCOMPARE(view.LastX(), 0.f);
        QCOMPARE(view.LastY(), 0.f);
        const QImage opened = view.Picture();
        QVERIFY(!opened.isNull());
        for (int i = 1; i <= 3; ++i) {
            const CBowl& b = m_Engine->GetBowl(i);
            // Left of the centre: the disk, clear of the number.
            QCOMPARE(Color(view, PixelOf(view, b.x - b.r() / 2, b.y)), SceneRenderer::ColorOf(b.Color));
        }

        // The same bowls drawn by a step, without numbers (FlgShowNumber is
        // off): the frames differ exactly where the numbers were printed,
        // just right of and below each centre.
        m_Clock.SetEnabled(true);
        m_Clock.Tick();
        const QImage stepped = view.Picture();
        QCOMPARE(stepped.size(), opened.size());
        int differing[3] = {0, 0, 0};
        const qreal ratio = opened.devicePixelRatio();
        for (int y = 0; y < opened.height(); ++y)
            for (int x = 0; x < opened.width(); ++x) {
                if (opened.pixel(x, y) == stepped.pixel(x, y)) continue;
                bool nearACentre = false;
                for (int i = 1; i <= 3; ++i) {
                    const QPoint c = PixelOf(view, m_Engine->GetBowl(i).x, m_Engine->GetBowl(i).y);
                    const QRect numberBox((c - QPoint(3, 3)) * ratio, QSize(40, 40) * ratio);
                    if (numberBox.contains(x, y)) {
                        ++differing[i - 1];
                        nearACentre = true;
                    }
                }
                QVERIFY2(nearACentre, qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
        for (int n : differing) QVERIFY(n > 0);
    }

    void runningEngineShowsBlackUntilTheNextStep() {
        AddThreeBowls();
        m_Clock.SetEnabled(true);
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        QVERIFY(view.Picture().isNull() || AllBlack(view.Picture()));
        m_Clock.Tick();
        const CBowl& b = m_Engine->GetBowl(2);
        QCOMPARE(Color(view, PixelOf(view, b.x, b.y)), SceneRenderer::ColorOf(b.Color));
        QVERIFY(m_Engine->IsExecuting());   // the run state is left alone
    }

    void boxIsTheWholeScreen() {
        F_FULL_SCREEN view;
        view.Open(false);
        const QSize screen = view.screen()->geometry().size();
        const double perPixel = twips::PerPixel(&view);
        QCOMPARE(double(m_Engine->MaxX), screen.width() * perPixel);
        QCOMPARE(double(m_Engine->MaxY), screen.height() * perPixel);
        view.show();
        QVERIFY(view.isFullScreen());
        QCOMPARE(view.geometry(), view.screen()->geometry());
        QCOMPARE(double(m_Engine->MaxX), screen.width() * perPixel);
        QCOMPARE(double(m_Engine->MaxY), screen.height() * perPixel);
    }

    void noBowlsGivesABlackScreenThatAKeyCloses() {
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        QVERIFY(AllBlack(view.Picture()));
        QTest::keyClick(&view, Qt::Key_Q);
        QVERIFY(!view.isVisible());
    }

    void keysThatCloseAndKeysThatDoNot_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Space") << int(Qt::Key_Space) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true;
        QTest::newRow("letter") << int(Qt::Key_X) << true;
        QTest::newRow("punctuation") << int(Qt::Key_Period) << true;
        QTest::newRow("arrow") << int(Qt::Key_Up) << false;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false;
        QTest::newRow("Alt") << int(Qt::Key_Alt) << false;
        QTest::newRow("function key") << int(Qt::Key_F5) << false;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false;
    }
    void keysThatCloseAndKeysThatDoNot() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        AddThreeBowls();
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        QTest::keyClick(&view, Qt::Key(key));
        QCOMPARE(!view.isVisible(), closes);
        QCOMPARE(!view.Bound(), closes);
    }

    // The conductor's keys run the owner's commands (enabled ones only) and
    // leave the view open, Ctrl+Z and Ctrl+R included though they produce
    // control characters. The step shows in the top-left corner.
    void conductorKeysRunTheOwnersCommands() {
        AddThreeBowls();
        QWidget owner;
        QMap<QString, int> runs;
        const std::pair<const char*, QKeySequence> commands[] = {
            {"MN_COND_PLAY", Qt::Key_F5},   {"MN_COND_PAUSE", Qt::Key_F9}, {"MN_COND_STEP", Qt::Key_F8},
            {"MN_COND_BACK", Qt::CTRL | Qt::Key_Z}, {"MN_COND_REW", Qt::CTRL | Qt::Key_R}};
        for (const auto& [name, key] : commands) {
            auto* action = new QAction(&owner);
            action->setObjectName(QLatin1String(name));
            action->setShortcut(key);
            connect(action, &QAction::triggered, [&runs, name = QString::fromLatin1(name)] { ++runs[name]; });
        }
        owner.findChild<QAction*>("MN_COND_PAUSE")->setEnabled(false);
        F_FULL_SCREEN view(&owner);
        view.Open(false);
        view.show();
        for (const QKeyCombination key : {QKeyCombination(Qt::Key_F8), Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_R,
                                          QKeyCombination(Qt::Key_F5), QKeyCombination(Qt::Key_F9)})
            QTest::keyClick(&view, key.key(), key.keyboardModifiers());
        QVERIFY(view.isVisible());
        QCOMPARE(runs, (QMap<QString, int>{{"MN_COND_STEP", 1}, {"MN_COND_BACK", 1}, {"MN_COND_REW", 1},
                                           {"MN_COND_PLAY", 1}}));
        const QRect corner(0, 0, view.width() / 4, view.height() / 8);
        const QImage before = view.grab(corner).toImage();
        m_Engine->Advance();
        QVERIFY(view.grab(corner).toImage() != before);
        QTest::keyClick(&view, Qt::Key_X);
        QVERIFY(!view.isVisible());
    }

    void aFailedStepLeavesNoPairMark() {
        // Bowls 1 and 2 meet in the first step; bowl 3 then overflows a float,
        // so the step fails after the pair's collision was recorded.
        FlgShowVect = kTrue;
        m_Engine->AddBowl(100, 3000, 3000, 30, 0);
        m_Engine->AddBowl(100, 3600, 3000, 0, 0);
        m_Engine->AddBowl(1, 3.0e38f, 1000, 3.0e38f, 0);
        QWidget owner;
        F_FULL_SCREEN view(&owner);
        view.Open(false);
        QVERIFY_THROWS_EXCEPTION(VintropError, m_Engine->Advance());
        m_Engine->sRewind();   // stands at t = 0, where no collision happened
        QCOMPARE(view.Marks().Count(), std::size_t(0));
    }

    void aClickCloses() {
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(200, 150));
        QVERIFY(!view.isVisible());
        QVERIFY(!view.Bound());
    }

    void mouseExitRule_data() {
        QTest::addColumn<QList<QPointF>>("moves");   // twips
        QTest::addColumn<bool>("closes");
        QTest::newRow("first move only records, however far")
            << QList<QPointF>{{5000, 5000}} << false;
        QTest::newRow("jitter of a few pixels")
            << QList<QPointF>{{5000, 5000}, {5045, 5030}, {5000, 5000}, {4910, 5090}} << false;
        QTest::newRow("99 twips across") << QList<QPointF>{{5000, 5000}, {5099, 5000}} << false;
        QTest::newRow("100 twips across") << QList<QPointF>{{5000, 5000}, {5100, 5000}} << true;
        QTest::newRow("100 twips up") << QList<QPointF>{{5000, 5000}, {5000, 4900}} << true;
        QList<QPointF> drift;
        for (int i = 0; i < 60; ++i) drift << QPointF(1000 + 90 * i, 1000 + 45 * i);
        QTest::newRow("slow drift never closes") << drift << false;
        QTest::newRow("a jump after a drift") << QList<QPointF>{{1000, 1000}, {1090, 1000}, {1500, 1000}} << true;
    }
    void mouseExitRule() {
        QFETCH(QList<QPointF>, moves);
        QFETCH(bool, closes);
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        for (const QPointF& p : moves) view.MouseMovedTo(float(p.x()), float(p.y()));
        QCOMPARE(!view.isVisible(), closes);
        if (!closes) {
            QCOMPARE(view.LastX(), float(moves.last().x()));
            QCOMPARE(view.LastY(), float(moves.last().y()));
        }
    }

    void realMouseMovesFollowTheRule() {
        F_FULL_SCREEN view;
        view.Open(false);
        view.show();
        auto move = [&](QPointF pos) {
            QMouseEvent event(QEvent::MouseMove, pos, view.mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&view, &event);
        };
        const double perPixel = twips::PerPixel(&view);
        move(QPointF(100, 100));
        move(QPointF(102, 101));
        QVERIFY(view.isVisible());
        QCOMPARE(double(view.LastX()), 102 * perPixel);
        move(QPointF(102 + 100 / perPixel + 1, 101));   // more than 100 twips in one go
        QVERIFY(!view.isVisible());
    }

    void closingLetsGoOfTheEngine() {
        AddThreeBowls();
        m_Clock.SetEnabled(true);
        auto view = std::make_unique<F_FULL_SCREEN>();
        view->Open(false);
        view->show();
        m_Clock.Tick();
        const QImage last = view->Picture();
        view->close();
        QVERIFY(!view->Bound());
        m_Engine->GetBowl(1).Vx = 500;   // would move visibly on the next frame
        m_Clock.Tick();
        QCOMPARE(view->Picture(), last);
        // Gone for good: the engine must not reach the destroyed view.
        view.reset();
        m_Clock.Tick();
    }

    void displayFullScreenIsModalAndKeepsTheRunState_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("paused") << false;
        QTest::newRow("running") << true;
    }
    void displayFullScreenIsModalAndKeepsTheRunState() {
        QFETCH(bool, running);
        AddThreeBowls();
        m_Clock.SetEnabled(running);
        bool wasFullScreen = false;
        QString seen;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            seen = modal->objectName();
            wasFullScreen = modal->isFullScreen() && modal->isWindow();
            if (running) m_Clock.Tick();
            QTest::keyClick(modal, Qt::Key_Space);
        });
        DisplayFullScreen(nullptr, false);
        QCOMPARE(seen, QString("F_FULL_SCREEN"));
        QVERIFY(wasFullScreen);
        QCOMPARE(m_Engine->IsExecuting(), running);
        m_Clock.Tick();   // no listener left behind
    }

    void ownedByTheWindowThatOpensItWithoutATaskBarButton() {
        // A tool window is left off the task bar; being owned (transient
        // for the owner) keeps it with the main window.
        QWidget owner;
        owner.setObjectName(QStringLiteral("owner"));
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        Qt::WindowFlags flags;
        QWidget* parent = nullptr;
        QWindow* transientParent = nullptr;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            flags = modal->windowFlags();
            parent = modal->parentWidget();
            transientParent = modal->windowHandle()->transientParent();
            modal->close();
        });
        DisplayFullScreen(&owner, false);
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::WindowFlags(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QCOMPARE(parent, &owner);
        QCOMPARE(transientParent, owner.windowHandle());
    }
};

QTEST_MAIN(TestFullScreen)
#include "test_fullscreen.moc"
