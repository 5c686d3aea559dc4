// The zoom: its steps and commands, the box and the size panels at every
// step, the drawing at 100 % and 200 %, the full-screen view at the main
// window's zoom, and that the zoom is a setting of the view, not of the
// scenario.
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <cmath>

#include "diskpixels.h"
#include "fullscreen/f_full_screen.h"
#include "mainwindowfixture.h"
#include "placement.h"

using namespace vintrop;
using vintrop::testing::CountOf;
using vintrop::testing::FillRun;

namespace {
const QStringList kZoomCommands = {"MN_VIEW_ZOOM_IN", "MN_VIEW_ZOOM_OUT", "MN_VIEW_ACTUAL_SIZE"};
} // namespace

class TestZoom : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void zoomCommandsFollowOptions();
    void stepsUpAndDown();
    void shortcutsZoom();
    void onlyAtTheStartAndNeverCrushing();
    void boxAndPanelsAtEachZoom_data();
    void boxAndPanelsAtEachZoom();
    void doubleWindowAtDoubleZoomGivesTheDesignedBox();
    void bowlPixelsAt100And200();
    void vectorsAndNumbersGrowWithTheZoom();
    void vectorWidthGrowsWithTheZoom_data();
    void vectorWidthGrowsWithTheZoom();
    void fullScreenUsesTheMainWindowsZoom();
    void keptByNewAndOpenAndNotSaved();

private:
    void ZoomTo(int percent) {
        m_F.Trigger("MN_VIEW_ACTUAL_SIZE");
        while (Settings().Zoom() < percent) m_F.Trigger("MN_VIEW_ZOOM_IN");
        QCOMPARE(Settings().Zoom(), int16_t(percent));
    }
    bool Activate() {
        m_F.Window().activateWindow();
        return QTest::qWaitForWindowActive(&m_F.Window());
    }
    vintrop::testing::MainWindowFixture m_F;
};

void TestZoom::zoomCommandsFollowOptions() {
    const QList<QAction*> items = m_F.Find<QMenu>("MN_VIEW")->actions();
    // The designed items first, untouched, ending with Options; then a
    // separator and the zoom (the Graphs item comes after them).
    int options = 0;
    while (options < items.size() && items[options]->objectName() != QStringLiteral("MN_OPTIONS")) ++options;
    QVERIFY(options + 4 < items.size());
    QVERIFY(items[options + 1]->isSeparator());
    QStringList names, captions;
    for (int i = options + 2; i < options + 5; ++i) {
        names << items[i]->objectName();
        captions << items[i]->text();
    }
    QCOMPARE(names, kZoomCommands);
    QCOMPARE(captions, QStringList({"Zoom &In", "Zoom O&ut", "&Actual Size"}));
    // Every View item has an access key of its own.
    QSet<QChar> keys;
    for (QAction* item : items) {
        if (item->isSeparator()) continue;
        const qsizetype amp = item->text().indexOf(QLatin1Char('&'));
        QVERIFY2(amp >= 0, qPrintable(item->text()));
        QVERIFY2(!keys.contains(item->text().at(amp + 1).toLower()), qPrintable(item->text()));
        keys.insert(item->text().at(amp + 1).toLower());
    }

    QCOMPARE(m_F.Action("MN_VIEW_ZOOM_IN")->shortcuts(),
             QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
    QCOMPARE(m_F.Action("MN_VIEW_ZOOM_OUT")->shortcuts(),
             QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Minus)}));
    QCOMPARE(m_F.Action("MN_VIEW_ACTUAL_SIZE")->shortcuts(),
             QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_0)}));
    // None of them is on the toolbar.
    for (QAction* onBar : m_F.Find<QToolBar>("tlb_Main")->actions())
        QVERIFY(!kZoomCommands.contains(onBar->objectName()));
}

void TestZoom::stepsUpAndDown() {
    QCOMPARE(Settings().Zoom(), int16_t(100));
    QList<int> seen;
    for (int i = 0; i < 7; ++i) {
        m_F.Trigger("MN_VIEW_ZOOM_IN");
        seen << Settings().Zoom();
    }
    QCOMPARE(seen, QList<int>({125, 150, 200, 250, 300, 400, 400}));   // stops at the largest
    seen.clear();
    for (int i = 0; i < 7; ++i) {
        m_F.Trigger("MN_VIEW_ZOOM_OUT");
        seen << Settings().Zoom();
    }
    QCOMPARE(seen, QList<int>({300, 250, 200, 150, 125, 100, 100}));   // and at actual size

    ZoomTo(250);
    m_F.Trigger("MN_VIEW_ACTUAL_SIZE");
    QCOMPARE(Settings().Zoom(), int16_t(100));
    QCOMPARE(m_F.Engine().MaxX, 8085.0f);
    QCOMPARE(m_F.Engine().MaxY, 4230.0f);
}

void TestZoom::shortcutsZoom() {
    QVERIFY(Activate());
    F_MAIN& w = m_F.Window();
    QTest::keyClick(&w, Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(Settings().Zoom(), int16_t(125));
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(Settings().Zoom(), int16_t(150));
    QCOMPARE(m_F.Engine().MaxX, 5390.0f);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(Settings().Zoom(), int16_t(125));
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(Settings().Zoom(), int16_t(200));
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(Settings().Zoom(), int16_t(100));
    QCOMPARE(m_F.Engine().MaxX, 8085.0f);
}

void TestZoom::onlyAtTheStartAndNeverCrushing() {
    // Zooming in shrinks the box: only while the bowls stand at their initial
    // places, and never with a bowl beyond the new walls.
    CEnvEng& engine = m_F.Engine();
    const auto enabled = [&] {
        int n = 0;
        for (const QString& name : kZoomCommands) n += m_F.Action(qPrintable(name))->isEnabled();
        return n;
    };
    QCOMPARE(enabled(), 3);   // no bowls, t = 0
    m_F.AddBowl(10, 1000, 1000, 5, 0);
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(enabled(), 0);   // stopped past the start
    m_F.Trigger("MN_COND_REW");
    QCOMPARE(enabled(), 3);
    engine.sInterval(30000);   // no tick while the test looks
    m_F.Trigger("MN_COND_PLAY");
    QCOMPARE(enabled(), 0);   // running, still at t = 0
    m_F.Trigger("MN_COND_PAUSE");
    QCOMPARE(enabled(), 3);

    // A bowl that would lie beyond the right wall at 125 %: refused, with the
    // reason in the tip panel; nothing moves, the box stays.
    CBowl& far = m_F.AddBowl(10, 7000, 1000);
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(100));
    QCOMPARE(engine.MaxX, 8085.0f);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("Bowl 2 would be outside"));
    QCOMPARE(far.x, 7000.0f);
    // Moved in, the same bowl lets the zoom go ahead; Zoom Out never crushes.
    far.SetXo(6000);
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(125));
    QCOMPARE(engine.MaxX, 6468.0f);
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=0"));
    // The bottom wall at 150 %, the whole radius counting: touching is inside.
    far.SetXo(1000);
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    const float bottom = engine.MaxY;
    m_F.Trigger("MN_VIEW_ZOOM_OUT");
    far.SetYo(bottom - WholeRadiusOf(10) + 1);
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(125));
    far.SetYo(bottom - WholeRadiusOf(10));
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(150));
}

void TestZoom::boxAndPanelsAtEachZoom_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<float>("maxX");
    QTest::addColumn<float>("maxY");
    QTest::addColumn<QString>("panelX");
    QTest::addColumn<QString>("panelY");
    // The designed drawing area, 539 x 282 pixels at 96 dpi.
    QTest::newRow("100 %") << 100 << 8085.0f << 4230.0f << "8,085.00" << "4,230.00";
    QTest::newRow("125 %") << 125 << 6468.0f << 3384.0f << "6,468.00" << "3,384.00";
    QTest::newRow("150 %") << 150 << 5390.0f << 2820.0f << "5,390.00" << "2,820.00";
    QTest::newRow("200 %") << 200 << 4042.5f << 2115.0f << "4,042.50" << "2,115.00";
    QTest::newRow("250 %") << 250 << 3234.0f << 1692.0f << "3,234.00" << "1,692.00";
    QTest::newRow("300 %") << 300 << 2695.0f << 1410.0f << "2,695.00" << "1,410.00";
    QTest::newRow("400 %") << 400 << 2021.25f << 1057.5f << "2,021.25" << "1,057.50";
}

void TestZoom::boxAndPanelsAtEachZoom() {
    QFETCH(int, percent);
    QFETCH(float, maxX);
    QFETCH(float, maxY);
    QFETCH(QString, panelX);
    QFETCH(QString, panelY);
    ZoomTo(percent);
    QCOMPARE(m_F.Engine().MaxX, maxX);
    QCOMPARE(m_F.Engine().MaxY, maxY);
    QCOMPARE(m_F.Panel("PNL_MAX_X"), panelX);
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), panelY);
    // The picture still fills the drawing area: only the box shrank.
    QCOMPARE(m_F.Window().Picture().deviceIndependentSize(), QSizeF(539, 282));

    // Hiding the toolbar gives its 44 pixels to the box, at this zoom.
    const float gained = 44 * 15.0f * 100 / percent;
    m_F.Trigger("MN_VIEW_CONDUCTOR_TOOLBAR");
    QCOMPARE(m_F.Engine().MaxY, maxY + gained);
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), QLocale().toString(double(maxY + gained), 'f', 2));
    m_F.Trigger("MN_VIEW_CONDUCTOR_TOOLBAR");
    QCOMPARE(m_F.Engine().MaxY, maxY);
}

void TestZoom::doubleWindowAtDoubleZoomGivesTheDesignedBox() {
    F_MAIN& w = m_F.Window();
    ZoomTo(200);
    const int bars = w.height() - 282;   // menu bar, toolbar and status bar
    w.resize(2 * 539, 2 * 282 + bars);
    QTRY_COMPARE(w.size(), QSize(2 * 539, 2 * 282 + bars));
    QCOMPARE(m_F.Engine().MaxX, 8085.0f);
    QCOMPARE(m_F.Engine().MaxY, 4230.0f);
    QCOMPARE(m_F.Panel("PNL_MAX_X"), QStringLiteral("8,085.00"));
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), QStringLiteral("4,230.00"));
    // A bowl in the box's far corner is drawn in the window's far corner.
    const CBowl& b = m_F.AddBowl(10, 8085 - 200, 4230 - 200);
    QCOMPARE(m_F.Window().Picture().pixelColor(1051, 537), m_F.ColorOf(b));   // (7885, 4030) / 7.5
}

void TestZoom::bowlPixelsAt100And200() {
    // Mass 10: a radius of 133 twips, 8.9 pixels at actual size.
    const CBowl& b = m_F.AddBowl(10, 1500, 1200);
    QVERIFY(std::fabs(b.r() - 133.0f) < 0.1f);
    const QColor fill = m_F.ColorOf(b);
    struct Seen {
        int left, right, up, down, count;
    };
    const auto look = [&](QPoint centre) {
        const QImage& picture = m_F.Window().Picture();
        return Seen{FillRun(picture, centre, -1, 0, fill), FillRun(picture, centre, 1, 0, fill),
                    FillRun(picture, centre, 0, -1, fill), FillRun(picture, centre, 0, 1, fill),
                    CountOf(picture, fill)};
    };
    const auto inRange = [](int v, int lo, int hi) { return lo <= v && v <= hi; };

    // 100 %: centre at (100, 80), the fill reaching about 8 pixels out and
    // covering about pi * 8.4^2 pixels.
    QCOMPARE(m_F.Window().Picture().pixelColor(100, 80), fill);
    Seen at100 = look(QPoint(100, 80));
    for (int run : {at100.left, at100.right, at100.up, at100.down})
        QVERIFY2(inRange(run, 7, 9), qPrintable(QString::number(run)));
    QVERIFY2(inRange(at100.count, 190, 250), qPrintable(QString::number(at100.count)));

    // 200 %: centre at (200, 160), radius 17.7 pixels, four times the area.
    ZoomTo(200);
    QCOMPARE(m_F.Window().Picture().pixelColor(100, 80), QColor(Qt::black));
    QCOMPARE(m_F.Window().Picture().pixelColor(200, 160), fill);
    Seen at200 = look(QPoint(200, 160));
    for (int run : {at200.left, at200.right, at200.up, at200.down})
        QVERIFY2(inRange(run, 16, 18), qPrintable(QString::number(run)));
    QVERIFY2(inRange(at200.count, 860, 1000), qPrintable(QString::number(at200.count)));
    // And back: the same pixels as before.
    m_F.Trigger("MN_VIEW_ACTUAL_SIZE");
    const Seen again = look(QPoint(100, 80));
    QCOMPARE(again.count, at100.count);
    QCOMPARE(again.left, at100.left);
}

void TestZoom::vectorsAndNumbersGrowWithTheZoom() {
    FlgShowVect = kTrue;
    // A momentum vector of 600 twips to the right, from a disk of 287.
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 60, 0);
    const QColor white(Qt::white);
    const auto whiteRun = [&](int cx, int cy) {
        const QImage& picture = m_F.Window().Picture();
        int x = cx;
        while (x + 1 < picture.width() && picture.pixelColor(x + 1, cy) != QColor(Qt::black)) ++x;
        return x - cx;   // from the centre to the vector's tip
    };
    QCOMPARE(m_F.ShownAt(1950, 1500), white);
    QVERIFY(std::abs(whiteRun(100, 100) - 40) <= 1);   // 600 twips at 15 per pixel
    ZoomTo(200);
    QCOMPARE(m_F.Window().Picture().pixelColor(200 + 60, 200), white);
    QVERIFY(std::abs(whiteRun(200, 200) - 79) <= 1);   // at 7.5 per pixel, the head's point finer than a pixel
    QCOMPARE(m_F.ShownAt(1950, 1500), white);           // the same place in twips

    // The bowl's number grows with it: it covers more of the disk.
    FlgShowVect = kFalse;
    const auto marked = [&](QPoint centre, int size) {
        const QImage& picture = m_F.Window().Picture();
        int n = 0;
        for (int x = centre.x(); x < centre.x() + size; ++x)
            for (int y = centre.y(); y < centre.y() + size; ++y) n += picture.pixelColor(x, y) != m_F.ColorOf(b);
        return n;
    };
    FlgShowNumber = kTrue;
    m_F.Trigger("MN_VIEW_ACTUAL_SIZE");
    const int small = marked(QPoint(100, 100), 16);
    ZoomTo(200);
    const int large = marked(QPoint(200, 200), 32);
    QVERIFY(small > 3);
    QVERIFY2(large > 3 * small, qPrintable(QStringLiteral("%1 %2").arg(small).arg(large)));
}

void TestZoom::vectorWidthGrowsWithTheZoom_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("width");   // pixels: the zoom in hundreds, rounded
    QTest::newRow("100 %") << 100 << 1;
    QTest::newRow("150 %") << 150 << 2;
    QTest::newRow("200 %") << 200 << 2;
    QTest::newRow("300 %") << 300 << 3;
}

void TestZoom::vectorWidthGrowsWithTheZoom() {
    QFETCH(int, percent);
    QFETCH(int, width);
    FlgShowVect = kTrue;
    m_F.AddBowl(100, 1500, 600, 60, 0);   // room for it at 300 %
    ZoomTo(percent);
    testing::CheckMomentumLine(m_F.Window().Picture(), percent / 1500.0, width);
}

void TestZoom::fullScreenUsesTheMainWindowsZoom() {
    const CBowl& b = m_F.AddBowl(10, 1500, 1200);
    ZoomTo(200);
    QSize screen;
    float maxX = 0, maxY = 0;
    QImage picture;
    testing::ModalCloser closer([&] {
        auto* view = qobject_cast<F_FULL_SCREEN*>(QApplication::activeModalWidget());
        if (!view) return;
        screen = view->screen()->geometry().size();
        maxX = m_F.Engine().MaxX;
        maxY = m_F.Engine().MaxY;
        picture = view->Picture();
    });
    m_F.Trigger("MN_FULL_SCREEN");
    QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_FULL_SCREEN"));
    QVERIFY(!screen.isEmpty());
    // The screen's size at 7.5 twips per pixel.
    QCOMPARE(maxX, float(screen.width() * 7.5));
    QCOMPARE(maxY, float(screen.height() * 7.5));
    // The bowl where 200 % puts it, 17.7 pixels in radius. Its position
    // number is printed below and to the right of the centre, so the disk
    // is read to the left and upwards.
    const QColor fill = m_F.ColorOf(b);
    QCOMPARE(picture.pixelColor(200, 160), fill);
    QVERIFY(std::abs(FillRun(picture, QPoint(200, 160), -1, 0, fill) - 17) <= 1);
    QVERIFY(std::abs(FillRun(picture, QPoint(200, 160), 0, -1, fill) - 17) <= 1);
    // Back in the main window, its own box at its zoom.
    QCOMPARE(m_F.Engine().MaxX, 4042.5f);
    QCOMPARE(m_F.Engine().MaxY, 2115.0f);
    QCOMPARE(Settings().Zoom(), int16_t(200));
}

void TestZoom::keptByNewAndOpenAndNotSaved() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    m_F.AddBowl(10, 1500, 1200, 3, -2);
    Prompt::ScriptFileName(dir.filePath("actual.txt"));
    m_F.Trigger("MN_FILE_SAVE_AS");
    ZoomTo(300);
    Prompt::ScriptFileName(dir.filePath("zoomed.txt"));
    m_F.Trigger("MN_FILE_SAVE_AS");
    QVERIFY(!read(dir.filePath("actual.txt")).isEmpty());
    QCOMPARE(read(dir.filePath("zoomed.txt")), read(dir.filePath("actual.txt")));   // not in the file

    m_F.Trigger("MN_FILE_NEW");
    QCOMPARE(Settings().Zoom(), int16_t(300));
    QCOMPARE(m_F.Engine().MaxX, 2695.0f);
    Prompt::ScriptFileName(dir.filePath("actual.txt"));
    m_F.Trigger("MN_FILE_OPEN");
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(1));
    QCOMPARE(Settings().Zoom(), int16_t(300));
    QCOMPARE(m_F.Engine().MaxX, 2695.0f);
    QCOMPARE(m_F.Panel("PNL_MAX_X"), QStringLiteral("2,695.00"));
}

QTEST_MAIN(TestZoom)
#include "test_zoom.moc"
