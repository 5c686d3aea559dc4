// Frames are recorded during a tick and rasterised later: the pixels must be
// exactly those the drawing calls would give painted one by one.
#include <QtTest>

#include <QPainter>
#include <cmath>
#include <random>

#include "appstate.h"
#include "disksprites.h"
#include "bowl.h"
#include "numeric.h"
#include "presentedpicture.h"
#include "scenerenderer.h"
#include "standalonebowl.h"

using namespace vintrop;

namespace {
using testing::MakeBowl;

// A crowd of bowls of many sizes and colours; with `overEdges`, some cross
// the picture's edges.
std::vector<CBowl> Crowd(unsigned seed, double widthTwips, double heightTwips, bool overEdges) {
    std::mt19937 rng(seed);
    const float margin = overEdges ? -800.0f : 2100.0f;   // the largest radius is about 2000
    std::uniform_real_distribution<float> x(margin, static_cast<float>(widthTwips) - margin);
    std::uniform_real_distribution<float> y(margin, static_cast<float>(heightTwips) - margin);
    std::uniform_real_distribution<float> v(-60, 60);
    std::uniform_int_distribution<int> mass(0, 400), color(0, 0xFFFFFF);
    const int big[] = {1000, 5000, 32767};
    std::vector<CBowl> bowls;
    for (int16_t id = 1; id <= 300; ++id) {
        const int m = id % 50 == 0 ? big[id / 50 % 3] : mass(rng);
        bowls.push_back(MakeBowl(id, static_cast<float>(m), x(rng), y(rng), v(rng), v(rng), color(rng)));
    }
    return bowls;
}
} // namespace

class TestFrameRasterising : public QObject {
    Q_OBJECT
private slots:
    void init() { FlgShowVect = FlgShowNumber = kFalse; }
    void cleanup() { FlgShowVect = FlgShowNumber = kFalse; }

    void diskMasksGiveTheDirectDrawingsPixels_data();
    void diskMasksGiveTheDirectDrawingsPixels();
    void moreRadiiThanMasksStillGiveTheDirectDrawingsPixels();
    void disksAcrossTheEdgesAreCutOutOfWholeDisks();
    void presentedPictureIsTheLatestCompleteFrame();
    void aFrameKeepsTheSizeItWasDrawnFor();
};

void TestFrameRasterising::diskMasksGiveTheDirectDrawingsPixels_data() {
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<bool>("vectorsAndNumbers");
    QTest::newRow("96 dpi, disks only") << 1.0 << 15.0 << false;
    QTest::newRow("96 dpi, vectors and numbers") << 1.0 << 15.0 << true;
    QTest::newRow("120 dpi") << 1.0 << 12.0 << false;
    QTest::newRow("high-DPI screen, ratio 2") << 2.0 << 15.0 << true;
    QTest::newRow("fractional ratio 1.25") << 1.25 << 15.0 << false;
}

void TestFrameRasterising::diskMasksGiveTheDirectDrawingsPixels() {
    QFETCH(double, ratio);
    QFETCH(double, twipsPerPixel);
    QFETCH(bool, vectorsAndNumbers);
    if (vectorsAndNumbers) FlgShowVect = FlgShowNumber = kTrue;
    SceneRenderer masks, direct;
    masks.Resize(QSize(640, 400), ratio, twipsPerPixel);
    direct.Resize(QSize(640, 400), ratio, twipsPerPixel);
    direct.SetDiskMasks(false);
    for (unsigned seed : {1u, 2u, 3u}) {
        masks.Clear();
        direct.Clear();
        for (const CBowl& b : Crowd(seed, masks.InnerWidthTwips(), masks.InnerHeightTwips(), false)) {
            masks.DrawBowl(b);
            direct.DrawBowl(b);
        }
        const QImage a = masks.Snapshot(), b = direct.Snapshot();
        QCOMPARE(a.size(), b.size());
        QVERIFY2(a == b, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

void TestFrameRasterising::moreRadiiThanMasksStillGiveTheDirectDrawingsPixels() {
    // Every mass its own radius, a few hundred more than masks are kept:
    // the rest are drawn directly, frame after frame, and a new scale (a
    // zoom) starts the masks afresh.
    const int count = static_cast<int>(DiskSprites::kMaxMasks) + 300;
    std::mt19937 rng(7);
    std::vector<CBowl> bowls;
    for (int m = 1; m <= count; ++m) {
        std::uniform_real_distribution<float> x(1300, 9600 - 1300), y(1300, 6000 - 1300);
        bowls.push_back(MakeBowl(static_cast<int16_t>(m % 30000 + 1), static_cast<float>(m), x(rng), y(rng), 0, 0,
                                 static_cast<int32_t>(rng() & 0xFFFFFF)));
    }
    SceneRenderer masks, direct;
    direct.SetDiskMasks(false);
    for (double twipsPerPixel : {15.0, 15.0, 12.0}) {
        masks.Resize(QSize(640, 400), 1.0, twipsPerPixel);
        direct.Resize(QSize(640, 400), 1.0, twipsPerPixel);
        masks.Clear();
        direct.Clear();
        for (const CBowl& b : bowls) {
            masks.DrawBowl(b);
            direct.DrawBowl(b);
        }
        QVERIFY2(masks.Snapshot() == direct.Snapshot(), qPrintable(QString::number(twipsPerPixel)));
    }
}

void TestFrameRasterising::disksAcrossTheEdgesAreCutOutOfWholeDisks() {
    // The picture is a window onto the scene: a disk across an edge shows
    // exactly the part of the whole disk (painted on a canvas with room for
    // it) that falls inside. QPainter's own clipping at the edge can add
    // stray outline pixels there; the masks must not.
    SceneRenderer masks;
    const QSize size(640, 400);
    masks.Resize(size, 1.0, 15.0);
    const int room = 200;   // pixels around the picture, more than any radius
    for (unsigned seed : {4u, 5u}) {
        masks.Clear();
        QImage canvas(size + QSize(2 * room, 2 * room), QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const CBowl& b : Crowd(seed, masks.InnerWidthTwips(), masks.InnerHeightTwips(), true)) {
            masks.DrawBowl(b);
            const QColor fill = SceneRenderer::ColorOf(b.Color);
            DiskSprites::DrawDirect(painter, static_cast<int>(std::lround(b.x / 15.0)) + room,
                                    static_cast<int>(std::lround(b.y / 15.0)) + room, b.r() / 15.0, fill.rgb());
        }
        painter.end();
        const QImage expected = canvas.copy(QRect(QPoint(room, room), size));
        QVERIFY2(masks.Snapshot() == expected, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

void TestFrameRasterising::presentedPictureIsTheLatestCompleteFrame() {
    QWidget target;
    target.resize(320, 200);
    PresentedPicture shown(&target);
    SceneRenderer renderer;
    renderer.Resize(QSize(320, 200), 1.0, 15.0);
    FlgShowVect = kTrue;
    QImage black(320, 200, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage expected;
    for (int tick = 0; tick < 50; ++tick) {
        // A tick's drawing, as the engine's events ask for it.
        CBowl b1 = MakeBowl(1, 10, 300.0f + 40 * tick, 1000, 40, 5, 0x2040E0);
        CBowl b2 = MakeBowl(2, 10, 2000, 300.0f + 30 * tick, -10, 30, 0xE04020);
        renderer.DrawBowl(b1);
        renderer.DrawBowl(b2);
        expected = renderer.Snapshot();
        shown.Present(renderer);
        renderer.Clear();
        QCOMPARE(renderer.Snapshot(), black);   // the next tick starts from nothing
    }
    // Fifty frames presented, none looked at: nothing was rasterised yet.
    QCOMPARE(shown.FramesRasterised(), 0);
    QCOMPARE(shown.Picture(), expected);   // the last tick, whole
    QCOMPARE(shown.FramesRasterised(), 1);
    QCOMPARE(shown.Picture(), expected);   // shown again without rasterising again
    QCOMPARE(shown.FramesRasterised(), 1);
}

void TestFrameRasterising::aFrameKeepsTheSizeItWasDrawnFor() {
    QWidget target;
    PresentedPicture shown(&target);
    SceneRenderer renderer;
    renderer.Resize(QSize(200, 100), 1.0, 15.0);
    renderer.DrawBowl(MakeBowl(1, 100, 1500, 750, 0, 0, 0x00C8FF));
    const QImage expected = renderer.Snapshot();
    shown.Present(renderer);
    renderer.Resize(QSize(400, 300), 1.0, 15.0);   // the window grew before it painted
    QCOMPARE(shown.Picture().size(), QSize(200, 100));
    QCOMPARE(shown.Picture(), expected);
}

QTEST_MAIN(TestFrameRasterising)
#include "test_framerasterising.moc"
