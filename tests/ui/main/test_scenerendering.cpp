// The pictures: what the main window presents from the engine's events, and
// the scene renderer's drawing rules on a buffer of its own.
#include "main/drawingarea.h"
#include "mainwindowfixture.h"
#include "pathstore.h"
#include "standalonebowl.h"

using namespace vintrop;

namespace {
// Sees the engine's events after the main window has drawn them.
class Recorder : public IEngineListener {
public:
    std::function<void(const CBowl&)> onStep;
    void Step(const CBowl& b) override {
        if (onStep) onStep(b);
    }
};

using testing::MakeBowl;
const QColor kRed(200, 0, 0), kBlue(0, 40, 220), kYellow(255, 255, 60);
int32_t Packed(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }
} // namespace

class TestSceneRendering : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() {
        m_F.Reset();
        m_R.Resize(QSize(539, 282), 1.0, 15.0);
    }
    void cleanup() {
        m_F.Engine().Detach(&m_Recorder);
        m_Recorder = Recorder();
    }
    void cleanupTestCase() { m_F.Destroy(); }

    // The main window.
    void disksVectorsAndBlack();
    void numberAtTheCentre();
    void nothingReachesTheScreenBeforeTheStepEnds();
    void emptySceneAndProvisionalCircle();
    // The renderer alone.
    void diskHasABlackOutline();
    void currentPositionFollowsTheDrawing();
    void unreachableDrawingsAreSkipped();
    void bufferInDevicePixels();
    void velocityArrowsOnlyWhenAsked();
    void pathIsUnbrokenFromEndToEnd_data();
    void pathIsUnbrokenFromEndToEnd();

private:
    QColor At(const QImage& image, double xTwips, double yTwips) {
        const double scale = image.devicePixelRatio() / 15.0;
        return image.pixelColor(qFloor(xTwips * scale), qFloor(yTwips * scale));
    }
    vintrop::testing::MainWindowFixture m_F;
    Recorder m_Recorder;
    SceneRenderer m_R;
};

void TestSceneRendering::disksVectorsAndBlack() {
    const CBowl& moving = m_F.AddBowl(100, 1500, 1500, 60, 0);   // radius 287, vector 600 twips
    const CBowl& resting = m_F.AddBowl(100, 4500, 1500);
    QCOMPARE(m_F.ShownAt(1500, 1500), m_F.ColorOf(moving));
    QCOMPARE(m_F.ShownAt(4500, 1500), m_F.ColorOf(resting));
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::black));   // vectors off
    QCOMPARE(m_F.ShownAt(7000, 3500), QColor(Qt::black));
    // The window paints the presented picture.
    QCOMPARE(m_F.Find<DrawingArea>("pc_Picture")->grab().toImage().pixelColor(100, 100), m_F.ColorOf(moving));

    FlgShowVect = kTrue;   // shows at the next redraw, not before
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::black));
    m_F.Window().ManualRefresh();
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::white));        // beyond the disk
    QCOMPARE(m_F.ShownAt(4500 + 30, 1500), m_F.ColorOf(resting));   // at rest: no vector
}

void TestSceneRendering::numberAtTheCentre() {
    const CBowl& b = m_F.AddBowl(3000, 2500, 2000);   // radius about 59 pixels
    const auto marked = [&](const QRect& r) {
        const QImage& picture = m_F.Window().Picture();   // the frame on screen now
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y) n += picture.pixelColor(x, y) != m_F.ColorOf(b);
        return n;
    };
    const QPoint centre(2500 / 15, 2000 / 15);
    const QRect belowRight(centre, QSize(14, 18)), aboveLeft(centre - QPoint(14, 18), QSize(12, 16));
    QCOMPARE(marked(belowRight), 0);
    FlgShowNumber = kTrue;
    m_F.Window().ManualRefresh();
    QVERIFY(marked(belowRight) > 3);   // "1" from the centre down and to the right
    QCOMPARE(marked(aboveLeft), 0);
}

void TestSceneRendering::nothingReachesTheScreenBeforeTheStepEnds() {
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 600, 0);
    QColor seenDuringStep;
    m_Recorder.onStep = [&](const CBowl& stepped) { seenDuringStep = m_F.ShownAt(stepped.x, stepped.y); };
    m_F.Engine().Attach(&m_Recorder);
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(seenDuringStep, QColor(Qt::black));   // the old frame was still up
    QCOMPARE(m_F.ShownAt(b.x, b.y), m_F.ColorOf(b));
    QCOMPARE(m_F.ShownAt(1500 - 200, 1500), QColor(Qt::black));
}

void TestSceneRendering::emptySceneAndProvisionalCircle() {
    m_F.Engine().t = -7;
    m_F.Window().ManualRefresh();
    const QImage& picture = m_F.Window().Picture();
    QCOMPARE(picture.size(), QSize(539, 282));
    QImage black(picture.size(), picture.format());
    black.fill(Qt::black);
    QVERIFY(picture == black);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=-7"));

    m_F.Window().DrawProvisionalCircle(4000, 2000, 300);   // over the picture on screen
    QCOMPARE(m_F.ShownAt(4000, 2000), QColor(Qt::white));
    QCOMPARE(m_F.ShownAt(4000 + 400, 2000), QColor(Qt::black));
    m_F.Window().ManualRefresh();
    QCOMPARE(m_F.ShownAt(4000, 2000), QColor(Qt::black));
}

void TestSceneRendering::diskHasABlackOutline() {
    // Walking down from a small disk's centre drawn over a large disk: its
    // colour, its black outline, the large disk.
    m_R.DrawBowl(MakeBowl(1, 3000, 1500, 1500, 0, 0, Packed(kYellow)));
    m_R.DrawBowl(MakeBowl(2, 100, 1500, 1500, 0, 0, Packed(kRed)));
    const QImage image = m_R.Snapshot();
    QList<QColor> runs;
    for (int y = 100; y < 130; ++y)
        if (runs.isEmpty() || runs.last() != image.pixelColor(100, y)) runs << image.pixelColor(100, y);
    QCOMPARE(runs, QList<QColor>({kRed, Qt::black, kYellow}));
}

void TestSceneRendering::currentPositionFollowsTheDrawing() {
    const CBowl b = MakeBowl(1, 100, 1500, 1200, 30, 40, Packed(kRed));
    const double line = m_R.LineHeightTwips();
    QVERIFY(line > 100);
    m_R.DrawBowl(b);
    QCOMPARE(m_R.CurrentPosition(), QPointF(1500, 1200));   // the centre
    FlgShowNumber = kTrue;
    m_R.DrawBowl(b);
    QCOMPARE(m_R.CurrentPosition(), QPointF(0, 1200 + line));   // a line end after the number
    FlgShowVect = kTrue;
    m_R.DrawBowl(b);
    QCOMPARE(m_R.CurrentPosition(), QPointF(1500, 1200));   // back to the centre after the vector
    m_R.PrintText(QStringLiteral("1"));
    QCOMPARE(m_R.CurrentPosition(), QPointF(0, 1200 + line));
    m_R.Clear();
    QCOMPARE(m_R.CurrentPosition(), QPointF(0, 0));
    QCOMPARE(At(m_R.Snapshot(), 1500, 1200), QColor(Qt::black));
}

void TestSceneRendering::unreachableDrawingsAreSkipped() {
    FlgShowVect = kTrue;
    FlgShowNumber = kTrue;
    const CBowl far = MakeBowl(1, 100, 3.0e38f, 3.0e38f, 3.0e38f, -3.0e38f, Packed(kRed));
    m_R.DrawBowl(far);                      // off the buffer, vector beyond float range
    QPointF from, to;
    QVERIFY(!SceneRenderer::PairMomentumLine(far, far, from, to));
    m_R.DrawBowl(MakeBowl(2, 100, 1500, 1500, 1.0e30f, 0, Packed(kBlue)));   // vector cut at the edge
    m_R.DrawBowl(MakeBowl(3, 100, 4500, 3000, 0, 0, Packed(kYellow)));
    const QImage image = m_R.Snapshot();
    QCOMPARE(At(image, 1350, 1350), kBlue);
    QCOMPARE(At(image, 8050, 1500), QColor(Qt::white));
    QCOMPARE(At(image, 4350, 2850), kYellow);
}

void TestSceneRendering::bufferInDevicePixels() {
    m_R.Resize(QSize(100, 50), 2.0, 15.0);
    QCOMPARE(m_R.Snapshot().size(), QSize(200, 100));
    QCOMPARE(m_R.Snapshot().devicePixelRatio(), 2.0);
    QCOMPARE(QSizeF(m_R.InnerWidthTwips(), m_R.InnerHeightTwips()), QSizeF(1500, 750));
    m_R.DrawBowl(MakeBowl(1, 100, 300, 300, 0, 0, Packed(kRed)));
    QCOMPARE(At(m_R.Snapshot(), 300, 300), kRed);
    m_R.Resize(QSize(0, 40), 1.0, 12.0);   // no room: nothing to draw on, nothing fails
    m_R.DrawBowl(MakeBowl(1, 100, 300, 300, 0, 0, Packed(kRed)));
    QVERIFY(m_R.Snapshot().isNull());
    QCOMPARE(m_R.InnerHeightTwips(), 480.0);
}

void TestSceneRendering::velocityArrowsOnlyWhenAsked() {
    // Mass 25 at 60 twips a step: the velocity arrow (ten steps) ends 600
    // twips right of the centre, at pixel 140, past the short momentum line.
    // The bowl is cyan too: the arrow's black rim shows it on the disk.
    const CBowl b = MakeBowl(1, 25, 1500, 1500, 60, 0, Packed(Qt::cyan));
    FlgShowVect = kTrue;
    m_R.DrawBowl(b);
    const QImage off = m_R.Snapshot();
    Settings().SetShowVelocity(true);
    m_R.Clear();
    m_R.DrawBowl(b);
    const QImage on = m_R.Snapshot();
    const QColor cyan(Qt::cyan), black(Qt::black);
    int arrow = 0, rimOnDisk = 0, other = 0;   // pixels the arrow changed
    for (int y = 0; y < on.height(); ++y)
        for (int x = 0; x < on.width(); ++x) {
            if (on.pixel(x, y) == off.pixel(x, y)) continue;
            if (on.pixelColor(x, y) == cyan) ++arrow;
            else if (on.pixelColor(x, y) != black) ++other;
            else rimOnDisk += off.pixelColor(x, y) == cyan;
        }
    QCOMPARE(other, 0);
    QVERIFY(arrow > 35);
    QVERIFY(rimOnDisk > 8);
    QCOMPARE(on.pixelColor(138, 100), cyan);
    QCOMPARE(on.pixelColor(143, 100), black);
    // An open head: a barb above the shaft with black between them.
    QCOMPARE(on.pixelColor(134, 98), black);
    QVERIFY(on.pixelColor(134, 97) == cyan || on.pixelColor(134, 96) == cyan);
}

void TestSceneRendering::pathIsUnbrokenFromEndToEnd_data() {
    QTest::addColumn<double>("ratio");
    QTest::newRow("one device pixel a pixel") << 1.0;
    QTest::newRow("three device pixels a pixel") << 3.0;
}

void TestSceneRendering::pathIsUnbrokenFromEndToEnd() {
    QFETCH(double, ratio);
    // A bowl climbing 10 pixels a step through a picture tall enough to be
    // drawn in several bands of rows, drifting right into the wall, where
    // its path bends back.
    ManualClock clock;
    CEnvEng engine;
    engine.init(clock);
    engine.MaxX = 1500;
    engine.MaxY = 15000;
    const CBowl& b = engine.AddBowl(1, 300, 14000, 15, -150);
    PathStore paths(engine);
    paths.Configure(true, 200);
    engine.Attach(&paths);
    for (int s = 0; s < 85; ++s) engine.Advance();
    engine.Detach(&paths);
    m_R.Resize(QSize(100, 1000), ratio, 15.0);
    m_R.DrawPaths(paths, engine.t, false);
    const QImage picture = m_R.Snapshot();
    const QColor color = SceneRenderer::ColorOf(b.Color);
    const int top = qRound(b.y / 15.0 * ratio), bottom = qRound(14000 / 15.0 * ratio), width = qRound(ratio);
    int gaps = 0, stray = 0, right = 0;
    for (int y = 0; y < picture.height(); ++y) {
        int n = 0;
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) == color) {
                ++n;
                right = std::max(right, x);
            }
        if (y >= top && y <= bottom) gaps += n == 0;
        if (y < top - width || y > bottom + width) stray += n;
    }
    QCOMPARE(gaps, 0);
    QCOMPARE(stray, 0);
    // The bend is drawn where the bowl met the wall, its centre one radius in.
    QVERIFY(std::abs(right - (1500 - b.r()) / 15.0 * ratio) <= 2 * width);
}

QTEST_MAIN(TestSceneRendering)
#include "test_scenerendering.moc"
