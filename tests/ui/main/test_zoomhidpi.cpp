// The zoom on a screen with two device pixels to each logical pixel: the box
// is counted in logical pixels, the bowls are drawn in device pixels.
#include <cmath>

#include "diskpixels.h"
#include "mainwindowfixture.h"

using namespace vintrop;
using vintrop::testing::CountOf;
using vintrop::testing::FillRun;

class TestZoomHiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_F.Build();
        QCOMPARE(m_F.Window().devicePixelRatioF(), 2.0);
    }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void bowlPixelsAt100And200_data();
    void bowlPixelsAt100And200();
    void vectorWidthInLogicalPixels_data();
    void vectorWidthInLogicalPixels();

private:
    vintrop::testing::MainWindowFixture m_F;
};

void TestZoomHiDpi::bowlPixelsAt100And200_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<float>("maxX");
    QTest::addColumn<QPoint>("centre");   // device pixels
    QTest::addColumn<int>("minRun");      // fill pixels from the centre outwards
    QTest::addColumn<int>("maxRun");
    QTest::addColumn<int>("minCount");    // fill pixels in all
    QTest::addColumn<int>("maxCount");
    // Mass 10, radius 133 twips at (1500, 1200): 17.7 device pixels at 100 %,
    // 35.5 at 200 %.
    QTest::newRow("100 %") << 100 << 8085.0f << QPoint(200, 160) << 16 << 18 << 860 << 1000;
    QTest::newRow("200 %") << 200 << 4042.5f << QPoint(400, 320) << 34 << 36 << 3690 << 4000;
}

void TestZoomHiDpi::bowlPixelsAt100And200() {
    QFETCH(int, percent);
    QFETCH(float, maxX);
    QFETCH(QPoint, centre);
    QFETCH(int, minRun);
    QFETCH(int, maxRun);
    QFETCH(int, minCount);
    QFETCH(int, maxCount);
    const CBowl& b = m_F.AddBowl(10, 1500, 1200);
    while (Settings().Zoom() < percent) m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(percent));
    // The box is the drawing area's 539 logical pixels at this zoom.
    QCOMPARE(m_F.Engine().MaxX, maxX);

    const QImage& picture = m_F.Window().Picture();
    QCOMPARE(picture.devicePixelRatio(), 2.0);
    QCOMPARE(picture.size(), QSize(1078, 564));
    const QColor fill = m_F.ColorOf(b);
    QCOMPARE(picture.pixelColor(centre), fill);
    for (const QPoint& dir : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
        const int run = FillRun(picture, centre, dir.x(), dir.y(), fill);
        QVERIFY2(minRun <= run && run <= maxRun, qPrintable(QString::number(run)));
    }
    const int count = CountOf(picture, fill);
    QVERIFY2(minCount <= count && count <= maxCount, qPrintable(QString::number(count)));
    QCOMPARE(m_F.ShownAt(1500, 1200), fill);
    QCOMPARE(m_F.ShownAt(1500 + 160, 1200), QColor(Qt::black));
}

void TestZoomHiDpi::vectorWidthInLogicalPixels_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("width");   // device pixels: twice the logical width
    QTest::newRow("100 %") << 100 << 2;
    QTest::newRow("200 %") << 200 << 4;
    QTest::newRow("300 %") << 300 << 6;
}

void TestZoomHiDpi::vectorWidthInLogicalPixels() {
    QFETCH(int, percent);
    QFETCH(int, width);
    FlgShowVect = kTrue;
    m_F.AddBowl(100, 1500, 600, 60, 0);   // room for it at 300 %
    while (Settings().Zoom() < percent) m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(percent));
    testing::CheckMomentumLine(m_F.Window().Picture(), 2 * percent / 1500.0, width);
}

VINTROP_HIDPI_TEST_MAIN(TestZoomHiDpi)

#include "test_zoomhidpi.moc"
