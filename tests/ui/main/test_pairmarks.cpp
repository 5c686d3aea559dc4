// The pair's momentum around a collision, as the main window shows it: over
// the disks, whole while the simulation stands on the collision's step,
// fading out over a second (on the marks' own clock, set by the test) while it
// runs, one mark per pair.
#include "mainwindowfixture.h"

using namespace vintrop;

class TestPairMarks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() {
        m_F.Reset();
        m_Now = 0;
        View().Marks().SetClock([this] { return m_Now; });
    }
    void cleanup() { m_F.Engine().sStop(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void wholeWhilePausedOnItsStep_data();
    void wholeWhilePausedOnItsStep();
    void fadesWhileRunning();
    void eachPairKeepsItsOwn();

private:
    SceneView& View() { return m_F.Find<DrawingArea>("pc_Picture")->View(); }
    // Bowl `first` (mass 100) runs at 30 twips a step into bowl first + 1,
    // resting `gap` twips to its right, on row y: they meet once the gap is
    // under the radii's 574.
    void HeadOn(float y, float gap) {
        m_F.AddBowl(100, 1000, y, 30, 0);
        m_F.AddBowl(100, 1000 + gap, y, 0, 0);
    }
    // On the part of the line that lies on the resting bowl's disk (row y):
    // the pixels the screen shows other than the frame, those in the colour
    // of bowl `first` exactly (the dashes of the line before the impact, when
    // it ran into the resting one), and the black ones (the line's rim).
    struct Seen {
        int marked = 0, dashed = 0, rim = 0;
    };
    Seen Look(float y, int first = 1) {
        const QImage shot = m_F.Find<DrawingArea>("pc_Picture")->grab().toImage();
        const QImage& frame = m_F.Window().Picture();
        const QColor dashes = first <= m_F.Engine().BowlCount() ? m_F.ColorOf(m_F.Engine().GetBowl(first)) : QColor();
        Seen seen;
        for (int x = 95; x <= 104; ++x)
            for (int row = int(y / 15) - 3; row <= int(y / 15) + 3; ++row) {
                seen.marked += shot.pixel(x, row) != frame.pixel(x, row);
                seen.dashed += shot.pixelColor(x, row) == dashes;
                seen.rim += shot.pixelColor(x, row) == Qt::black;
            }
        return seen;
    }
    vintrop::testing::MainWindowFixture m_F;
    qint64 m_Now = 0;   // ms
};

void TestPairMarks::wholeWhilePausedOnItsStep_data() {
    QTest::addColumn<QStringList>("away");
    QTest::newRow("STEP") << QStringList{"MN_COND_STEP"};
    QTest::newRow("REW") << QStringList{"MN_COND_REW"};
    // Back into the same pair, met again at t = 0, then a new scenario at t = 0.
    QTest::newRow("BACK, then New") << QStringList{"MN_COND_BACK", "MN_FILE_NEW"};
}

void TestPairMarks::wholeWhilePausedOnItsStep() {
    QFETCH(QStringList, away);
    HeadOn(1500, 600);
    m_F.Trigger("MN_COND_STEP");   // vectors off: no mark
    QCOMPARE(View().Marks().Count(), std::size_t(0));
    m_F.Trigger("MN_COND_REW");

    FlgShowVect = kTrue;
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(m_F.Engine().t, 1);
    const Seen seen = Look(1500);
    QVERIFY(seen.dashed > 3);   // over the disk, in the running bowl's colour
    QVERIFY(seen.rim > 3);      // rimmed, so that it shows on a disk of its own colour
    m_Now += 60000;
    m_F.Window().ManualRefresh();      // a redraw is not a step
    QVERIFY(Look(1500).dashed > 3);   // a minute later, still paused on it
    QVERIFY(!View().Fading());           // and nothing repaints meanwhile
    for (const QString& command : away) m_F.Trigger(qPrintable(command));
    QCOMPARE(Look(1500).marked, 0);
}

void TestPairMarks::fadesWhileRunning() {
    FlgShowVect = kTrue;
    HeadOn(1500, 600);
    m_F.Engine().sPlay();   // running, though no tick comes while the test holds the thread
    m_F.Engine().Advance();
    QVERIFY(Look(1500).dashed > 3);
    m_Now += 500;
    m_F.Engine().Advance();
    m_F.Engine().Advance();
    const auto half = Look(1500);
    QVERIFY(half.marked > 3);   // still there, two steps on
    QCOMPARE(half.dashed, 0);   // but no longer in its full colour
    QVERIFY(View().Fading());
    m_F.Engine().sStop();         // paused two steps after the collision
    QCOMPARE(Look(1500).marked, 0);
    QVERIFY(!View().Fading());    // no mark left, no repaints
}

void TestPairMarks::eachPairKeepsItsOwn() {
    FlgShowVect = kTrue;
    HeadOn(1500, 600);   // meets in step 1
    HeadOn(3000, 660);   // meets in step 3
    m_F.Engine().sPlay();
    m_F.Engine().Advance();
    m_Now = 300;
    m_F.Engine().Advance();
    m_F.Engine().Advance();
    QVERIFY(Look(1500).marked > 3);
    QVERIFY(Look(3000, 3).dashed > 3);
    m_Now = 1100;   // the first is a second old, the second 0.8 s
    QCOMPARE(Look(1500).marked, 0);
    QVERIFY(Look(3000, 3).marked > 3);
    m_F.Engine().sStop();   // paused on the second's step: it stays
    m_Now = 60000;
    QVERIFY(Look(3000, 3).dashed > 3);
}

QTEST_MAIN(TestPairMarks)
#include "test_pairmarks.moc"
