// Pointing at bowls on a screen with two device pixels to each logical
// pixel: the pointer's logical position maps to twips as the drawing does.
#include "main/bowlmanipulator.h"
#include "main/drawingarea.h"
#include "mainwindowfixture.h"

using namespace vintrop;

class TestBowlManipulationHiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_F.Build();
        QCOMPARE(m_F.Window().devicePixelRatioF(), 2.0);
    }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void hitAndDragAt100And200_data();
    void hitAndDragAt100And200();

private:
    DrawingArea* Area() { return m_F.Find<DrawingArea>("pc_Picture"); }
    BowlManipulator* Manipulator() { return Area()->findChild<BowlManipulator*>(); }

    vintrop::testing::MainWindowFixture m_F;
};

void TestBowlManipulationHiDpi::hitAndDragAt100And200_data() {
    QTest::addColumn<int>("zoomIns");
    QTest::addColumn<QPoint>("centre");   // logical pixels of (1500, 1200)
    QTest::addColumn<int>("inside");      // logical pixels right of the centre, still on the bowl
    QTest::addColumn<float>("movedX");    // after a drag 10 logical pixels right
    QTest::addColumn<QSizeF>("box");      // the scenario's own box, twips
    // Mass 10, radius 133 twips: 15 twips to the logical pixel at 100 %, 7.5 at 200 %.
    QTest::newRow("100 %") << 0 << QPoint(100, 80) << 8 << 1650.0f << QSizeF();
    QTest::newRow("200 %") << 3 << QPoint(200, 160) << 17 << 1575.0f << QSizeF();
    // A box as wide as the designed area and 200 pixels high, centred in
    // the 282 of the area.
    QTest::newRow("own box") << 0 << QPoint(100, 121) << 8 << 1650.0f << QSizeF(8085, 3000);
}

void TestBowlManipulationHiDpi::hitAndDragAt100And200() {
    QFETCH(int, zoomIns);
    QFETCH(QPoint, centre);
    QFETCH(int, inside);
    QFETCH(float, movedX);
    QFETCH(QSizeF, box);
    for (int i = 0; i < zoomIns; ++i) m_F.Trigger("MN_VIEW_ZOOM_IN");
    if (box.isValid()) m_F.Engine().SetFixedBox(BoxSize{float(box.width()), float(box.height())});
    CBowl& b = m_F.AddBowl(10, 1500, 1200);

    QTest::mouseClick(Area(), Qt::LeftButton, {}, centre + QPoint(inside + 1, 0));
    QCOMPARE(Manipulator()->Selected(), 0);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, centre + QPoint(inside, 0));
    QCOMPARE(Manipulator()->Selected(), 1);

    // Off the centre: the selected bowl's grip (no velocity) lies there.
    QTest::mousePress(Area(), Qt::LeftButton, {}, centre + QPoint(0, 7));
    QTest::mouseMove(Area(), centre + QPoint(10, 7));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, centre + QPoint(10, 7));
    QCOMPARE(b.Xo(), movedX);
    QCOMPARE(b.Yo(), 1200.0f);
    // Drawn where the engine has it, in device pixels (beside the grip at the centre).
    QCOMPARE(m_F.ShownAt(movedX - 80, 1200), m_F.ColorOf(b));
    QCOMPARE(m_F.ShownAt(movedX - 200, 1200), QColor(Qt::black));
}

VINTROP_HIDPI_TEST_MAIN(TestBowlManipulationHiDpi)

#include "test_bowlmanipulationhidpi.moc"
