// The conductor commands, the interval slider, steps that fail, and the
// main window's side of the commands that open other windows.
#include "mainwindowfixture.h"

using namespace vintrop;
using vintrop::testing::ModalCloser;

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void playPauseStepBack();
    void screenEndsOnTheLastFrameOfARun();
    void backIsOffBelowFullElasticity();
    void backToTheStart_data();
    void backToTheStart();
    void sliderRetimesARunningClock_data();
    void sliderRetimesARunningClock();
    void intervalOutsideTheSliderShowsTheNearerEnd_data();
    void intervalOutsideTheSliderShowsTheNearerEnd();
    void failingTimerStepShowsOneMessage();
    void failingSingleStepShowsTheError();
    void bowlEditor_data();
    void bowlEditor();
    void historyAsksToStartTheLog();
    void fullScreenLendsTheEngineAndTakesItBack();

private:
    QStringList EnabledTransport() {
        QStringList enabled;
        for (const char* name : {"MN_COND_REW", "MN_COND_BACK", "MN_COND_PLAY", "MN_COND_PAUSE", "MN_COND_STOP",
                                 "MN_COND_STEP"})
            if (m_F.Action(name)->isEnabled()) enabled << QString::fromLatin1(name).mid(8);
        return enabled;
    }
    vintrop::testing::MainWindowFixture m_F;
};

// While a run's frames are rasterised beside the stepping, the screen may
// lag a frame behind; once the run is paused it shows the last frame, the
// one a fresh rasterising gives.
void TestTransport::screenEndsOnTheLastFrameOfARun() {
    for (int i = 0; i < 40; ++i) m_F.AddBowl(10, 400.0f + 180 * (i % 20), 800.0f + 1500 * (i / 20), 7, 5);
    m_F.Engine().sInterval(1);
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    const int before = area->FramesRasterised();
    m_F.Trigger("MN_COND_PLAY");
    QTest::qWait(250);
    m_F.Trigger("MN_COND_PAUSE");
    QVERIFY(area->FramesRasterised() > before + 3);
    QTest::qWait(80);   // a refresh and a rasterising
    const QImage shown = area->grab().toImage();
    m_F.Window().ManualRefresh();   // drawn again, here and now
    area->Picture();
    QCOMPARE(shown, area->grab().toImage());
}

void TestTransport::backIsOffBelowFullElasticity() {
    // A collision that loses energy cannot be stepped back; REW still goes to t = 0.
    QString path = QStringLiteral(VINTROP_EXAMPLES_DIR "/half-elastic-head-on.vintrop");
    QVERIFY(m_F.Window().Document().LoadScenario(path));
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(EnabledTransport(), QStringList({"REW", "PLAY", "STOP", "STEP"}));
    m_F.Trigger("MN_COND_REW");
    QCOMPARE(m_F.Engine().t, 0);
}

void TestTransport::playPauseStepBack() {
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 30, 0);
    m_F.Engine().sInterval(5);
    QSignalSpy frames(&m_F.Window(), &F_MAIN::framePresented);
    m_F.Trigger("MN_COND_PLAY");
    QCOMPARE(frames.count(), 1);   // redrawn before the first tick
    QVERIFY(m_F.Engine().IsExecuting());
    QCOMPARE(EnabledTransport(), QStringList({"PAUSE", "STOP"}));
    QTRY_VERIFY(m_F.Engine().t >= 3);

    m_F.Trigger("MN_COND_PAUSE");
    const int32_t paused = m_F.Engine().t;
    const float x = b.x;
    QVERIFY(!m_F.Engine().IsExecuting());
    QTest::qWait(30);
    QCOMPARE(m_F.Engine().t, paused);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=%1").arg(paused));
    QCOMPARE(EnabledTransport(), QStringList({"REW", "BACK", "PLAY", "STOP", "STEP"}));

    frames.clear();
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(frames.count(), 1);
    QCOMPARE(m_F.Engine().t, paused + 1);
    QCOMPARE(b.x, x + 30);
    QCOMPARE(m_F.ShownAt(b.x, b.y), m_F.ColorOf(b));
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=%1").arg(paused + 1));

    m_F.Trigger("MN_COND_BACK");
    QCOMPARE(frames.count(), 2);
    QCOMPARE(m_F.Engine().t, paused);
    QCOMPARE(b.x, x);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=%1").arg(paused));
}

void TestTransport::backToTheStart_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("STOP while running") << "MN_COND_STOP";
    QTest::newRow("REW after steps") << "MN_COND_REW";
}

void TestTransport::backToTheStart() {
    QFETCH(QString, command);
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 600, 0);   // 40 pixels a step
    if (command == "MN_COND_STOP") {
        m_F.Trigger("MN_COND_PLAY");
        QTRY_VERIFY(m_F.Engine().t >= 2);
    } else {
        for (int i = 0; i < 3; ++i) m_F.Trigger("MN_COND_STEP");
    }
    m_F.Trigger(qPrintable(command));
    QVERIFY(!m_F.Engine().IsExecuting());
    QCOMPARE(m_F.Engine().t, 0);
    QCOMPARE(QPointF(b.x, b.y), QPointF(1500, 1500));
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=0"));
    QCOMPARE(m_F.ShownAt(1500, 1500), m_F.ColorOf(b));
    QCOMPARE(m_F.ShownAt(2700, 1500), QColor(Qt::black));
    QCOMPARE(EnabledTransport(), QStringList({"PLAY", "STEP"}));
    QVERIFY(m_F.Action("MN_VIEW_BOWL_EDITOR")->isEnabled());
}

void TestTransport::sliderRetimesARunningClock_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("1 ms") << 1;
    QTest::newRow("100 ms") << 100;
}

void TestTransport::sliderRetimesARunningClock() {
    QFETCH(int, value);
    m_F.AddBowl(10, 1000, 1000, 20, 10);
    m_F.Trigger("MN_COND_PLAY");
    m_F.Slider()->setValue(value);
    QCOMPARE(m_F.Engine().sInterval(), int16_t(value));
    QCOMPARE(m_F.Window().StepClock().Interval(), value);
    QVERIFY(m_F.Engine().IsExecuting());
    QCOMPARE(FlgModified, kFalse);   // not a change to the scenario
    const int32_t before = m_F.Engine().t;
    QTRY_VERIFY(m_F.Engine().t > before + 1);
}

void TestTransport::intervalOutsideTheSliderShowsTheNearerEnd_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("shown");
    QTest::newRow("0 ms") << 0 << 1;
    QTest::newRow("500 ms") << 500 << 100;
    QTest::newRow("75 ms") << 75 << 75;
}

void TestTransport::intervalOutsideTheSliderShowsTheNearerEnd() {
    QFETCH(int, interval);
    QFETCH(int, shown);
    m_F.Engine().sInterval(int16_t(interval));
    m_F.Window().SetSliderFromEngine();
    QCOMPARE(m_F.Slider()->value(), shown);
    QCOMPARE(m_F.Engine().sInterval(), int16_t(interval));   // the engine keeps its own
}

void TestTransport::failingTimerStepShowsOneMessage() {
    // The second bowl overflows a float when it moves: every step fails after
    // the first bowl has moved.
    const CBowl& mover = m_F.AddBowl(100, 1500, 1500, 900, 0);
    m_F.AddBowl(1, 3.0e38f, 1000, 3.0e38f, 0);
    m_F.Engine().sInterval(1);
    // The commands behind the message already show the stopped clock.
    QStringList enabledWhileShown;
    Prompt::SetOnMessage([&](const Prompt::Shown&) { enabledWhileShown = EnabledTransport(); });
    const auto unhook = qScopeGuard([] { Prompt::SetOnMessage({}); });
    m_F.Trigger("MN_COND_PLAY");
    QTRY_COMPARE(Prompt::ShownMessages().size(), std::size_t(1));
    QTest::qWait(30);
    QCOMPARE(Prompt::ShownTexts(), QStringList({"Errore 6: Overflow Vintrop"}));
    QCOMPARE(enabledWhileShown, QStringList({"PLAY", "STEP"}));
    QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
    QVERIFY(!m_F.Engine().IsExecuting());
    QCOMPARE(m_F.Engine().t, 0);
    QCOMPARE(EnabledTransport(), QStringList({"PLAY", "STEP"}));
    // The half-drawn frame is dropped; the picture shows the first bowl once,
    // where the failed step left it.
    QCOMPARE(mover.x, 2400.0f);
    QCOMPARE(m_F.ShownAt(2400, 1500), m_F.ColorOf(mover));
    QCOMPARE(m_F.ShownAt(1500, 1500), QColor(Qt::black));
}

void TestTransport::failingSingleStepShowsTheError() {
    m_F.AddBowl(1, 3.0e38f, 1000, 3.0e38f, 0);
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(Prompt::ShownTexts(), QStringList({"Errore 6: Overflow Vintrop"}));
    QCOMPARE(m_F.Engine().t, 0);
    QCOMPARE(EnabledTransport(), QStringList({"PLAY", "STEP"}));
}

void TestTransport::bowlEditor_data() {
    QTest::addColumn<int>("t");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("opens");
    QTest::newRow("t=0: opens without asking") << 0 << QMessageBox::NoButton << true;
    QTest::newRow("t=1, No: nothing happens") << 1 << QMessageBox::No << false;
    QTest::newRow("t=1, Yes: rewinds, then opens") << 1 << QMessageBox::Yes << true;
}

void TestTransport::bowlEditor() {
    QFETCH(int, t);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, opens);
    m_F.AddBowl(10, 1000, 1000, 20, 10);
    // Enabled at t=0; the engine may have moved on since without a refresh.
    for (int i = 0; i < t; ++i) m_F.Engine().Advance();
    if (answer != QMessageBox::NoButton) Prompt::ScriptAnswer(answer);
    ModalCloser closer;
    m_F.Trigger("MN_VIEW_BOWL_EDITOR");

    if (t == 0) {
        QVERIFY(Prompt::ShownMessages().empty());
    } else {
        QCOMPARE(Prompt::ShownTexts(), QStringList({"Riportare lo stato al tempo t=0?"}));
        QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Question);
        QCOMPARE(Prompt::ShownMessages().front().buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(m_F.Engine().t, opens ? 0 : t);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=%1").arg(m_F.Engine().t));
    QCOMPARE(m_F.Action("MN_VIEW_BOWL_EDITOR")->isEnabled(), m_F.Engine().t == 0);   // refreshed
    QCOMPARE(closer.Seen(), opens ? QStringLiteral("vintrop::F_BOWL_EDITOR") : QString());
}

void TestTransport::historyAsksToStartTheLog() {
    Prompt::ScriptAnswer(QMessageBox::No);
    m_F.Trigger("MN_VIEW_HISTORY");
    QCOMPARE(Prompt::ShownTexts(), QStringList({"History non attiva. Attivarla adesso?"}));
    QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Question);
    QCOMPARE(m_F.Engine().KeepHistory(), kFalse);

    Prompt::ScriptAnswer(QMessageBox::Yes);
    m_F.Trigger("MN_VIEW_HISTORY");
    QCOMPARE(Prompt::ShownMessages().size(), std::size_t(2));
    QCOMPARE(m_F.Engine().KeepHistory(), kTrue);

    m_F.Trigger("MN_VIEW_HISTORY");   // the log is on: no question
    QCOMPARE(Prompt::ShownMessages().size(), std::size_t(2));
}

void TestTransport::fullScreenLendsTheEngineAndTakesItBack() {
    m_F.AddBowl(10, 1000, 1000, 20, 10);
    bool attachedMeanwhile = true;
    float maxXMeanwhile = 0;
    ModalCloser closer([&] {
        attachedMeanwhile = m_F.Window().IsAttached();
        maxXMeanwhile = m_F.Engine().MaxX;
    });
    m_F.Trigger("MN_FULL_SCREEN");
    QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_FULL_SCREEN"));
    QVERIFY(!attachedMeanwhile);            // the main window stopped listening
    QVERIFY(maxXMeanwhile != 8085.0f);      // the screen was the box
    QVERIFY(m_F.Window().IsAttached());
    QCOMPARE(m_F.Engine().MaxX, 8085.0f);   // the main window's box again
    QCOMPARE(m_F.Engine().MaxY, 4230.0f);
    QSignalSpy frames(&m_F.Window(), &F_MAIN::framePresented);
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(frames.count(), 1);            // drawing again
}

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
