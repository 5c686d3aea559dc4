// The display options as the main window shows them: the vector scale of
// the momentum lines, the paths and the centre of mass, and the scene
// redrawn as soon as the options dialog closes with OK.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <map>

#include "pathstore.h"

#include "mainwindowfixture.h"

using namespace vintrop;

namespace {
// The pair's midpoint and its momentum / 10 after each collision.
class PairRecorder : public IEngineListener {
public:
    std::vector<std::pair<QPointF, QPointF>> pairs;
    int32_t color2 = 0;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        pairs.emplace_back(QPointF((b1.x + double(b2.x)) / 2, (b1.y + double(b2.y)) / 2),
                           QPointF(b2.M() / 10.0 * b2.Vx + b1.M() / 10.0 * b1.Vx,
                                   b2.M() / 10.0 * b2.Vy + b1.M() / 10.0 * b1.Vy));
        color2 = b2.Color;
    }
};

void CheckShowVect(QWidget* dialog) { dialog->findChild<QCheckBox*>(QStringLiteral("ck_ShowVect"))->setChecked(true); }
} // namespace

class TestDisplayOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanup() { m_F.Engine().Detach(&m_Recorder); }
    void cleanupTestCase() { m_F.Destroy(); }

    void bowlVectorFollowsTheScale_data();
    void bowlVectorFollowsTheScale();
    void pairLineFollowsTheScale();
    void okRedrawsAtOnce();
    void cancelLeavesThePicture();
    void pathsFollowTheTransport_data();
    void pathsFollowTheTransport();
    void pathsAndCentreOnlyWhenAsked();

private:
    // Opens the options from the menu; `change` sets the dialog's controls,
    // then OK or Cancel closes it.
    void RunOptions(const std::function<void(QWidget*)>& change, bool ok) {
        testing::ModalCloser closer([&] {
            QWidget* dialog = QApplication::activeModalWidget();
            change(dialog);
            dialog->findChild<QPushButton*>(ok ? QStringLiteral("OKButton") : QStringLiteral("CancelButton"))
                ->click();
        });
        m_F.Trigger("MN_OPTIONS");
        QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_OPTIONS"));
    }
    vintrop::testing::MainWindowFixture m_F;
    PairRecorder m_Recorder;
};

void TestDisplayOptions::bowlVectorFollowsTheScale_data() {
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("tipTwips");   // where the white vector ends, from the centre
    // Mass 100 at 6 twips per step: 60 twips at one tenth scale, inside the
    // disk's 287.
    QTest::newRow("1x") << 1 << 60.0;
    QTest::newRow("10x") << 10 << 600.0;
    QTest::newRow("100x") << 100 << 6000.0;
}

void TestDisplayOptions::bowlVectorFollowsTheScale() {
    QFETCH(int, scale);
    QFETCH(double, tipTwips);
    FlgShowVect = kTrue;
    Settings().SetVectorScale(static_cast<int16_t>(scale));
    const CBowl& b = m_F.AddBowl(100, 1000, 1500, 6, 0);
    QVERIFY(std::fabs(b.r() - 287.0f) < 1.0f);
    const QColor white(Qt::white), black(Qt::black);
    // Just short of the tip the line is there, just past it nothing is.
    const double before = std::max(tipTwips - 45, 0.0), past = tipTwips + 45;
    if (tipTwips > b.r() + 30) QCOMPARE(m_F.ShownAt(1000 + before, 1500), white);
    QCOMPARE(m_F.ShownAt(1000 + past, 1500), past < b.r() ? m_F.ColorOf(b) : black);
    if (scale == 1) QCOMPARE(m_F.ShownAt(1000 + 330, 1500), black);   // 1x: nothing beyond the disk
}

void TestDisplayOptions::pairLineFollowsTheScale() {
    FlgShowVect = kTrue;
    m_F.Engine().Attach(&m_Recorder);
    // Bowl 1 runs diagonally into bowl 2 in the first step, so the pair's
    // line leaves the contact down and to the right.
    const auto collide = [&](int scale) {
        Settings().SetVectorScale(static_cast<int16_t>(scale));
        m_F.Engine().Reset();
        m_Recorder.pairs.clear();
        m_F.AddBowl(100, 1000, 1500, 10, 10);
        m_F.AddBowl(100, 1576, 1510);
        m_F.Trigger("MN_COND_STEP");
        QCOMPARE(m_Recorder.pairs.size(), std::size_t(1));
    };
    collide(1);
    const QPointF mid = m_Recorder.pairs[0].first, tenth = m_Recorder.pairs[0].second;
    QVERIFY(tenth.x() > 50 && tenth.y() > 50);
    // 85 % of the way along the 10x line: far from both disks.
    const QPointF probe = mid + 0.85 * 10 * tenth;
    // The second bowl's colour near the probe, on the screen (the line is
    // painted over the picture), between the first bowl's dashes.
    const auto lineNear = [&] {
        const QColor color2 = SceneRenderer::ColorOf(m_Recorder.color2);
        const QImage shot = m_F.Find<DrawingArea>("pc_Picture")->grab().toImage();
        for (int dx = -3; dx <= 3; ++dx)
            for (int dy = -3; dy <= 3; ++dy)
                if (shot.pixelColor(int(probe.x() / 15) + dx, int(probe.y() / 15) + dy) == color2) return true;
        return false;
    };
    QVERIFY(!lineNear());   // at 1x the line ends near the contact

    collide(10);
    QCOMPARE(m_Recorder.pairs[0].first, mid);
    QVERIFY(lineNear());    // at 10x it reaches the probe
}

void TestDisplayOptions::okRedrawsAtOnce() {
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 60, 0);   // vector 600 twips, disk 287
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::black));
    QSignalSpy frames(&m_F.Window(), &F_MAIN::framePresented);
    RunOptions(CheckShowVect, true);
    QCOMPARE(frames.count(), 1);   // without a step
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::white));
    QCOMPARE(m_F.Engine().t, 0);

    // A new scale shows at once too: ten times 600 twips reaches 7000.
    RunOptions(
        [](QWidget* dialog) { dialog->findChild<QComboBox*>(QStringLiteral("cb_VectorScale"))->setCurrentIndex(1); },
        true);
    QCOMPARE(Settings().VectorScale(), int16_t(10));
    QCOMPARE(m_F.ShownAt(7000, 1500), QColor(Qt::white));
    QCOMPARE(m_F.ShownAt(b.x, b.y - 150), m_F.ColorOf(b));
}

void TestDisplayOptions::cancelLeavesThePicture() {
    m_F.AddBowl(100, 1500, 1500, 60, 0);
    QSignalSpy frames(&m_F.Window(), &F_MAIN::framePresented);
    RunOptions(CheckShowVect, false);
    QCOMPARE(FlgShowVect, kFalse);
    QCOMPARE(frames.count(), 0);
    QCOMPARE(m_F.ShownAt(1950, 1500), QColor(Qt::black));
}

void TestDisplayOptions::pathsFollowTheTransport_data() {
    QTest::addColumn<int>("steps");          // the paths' length asked for
    QTest::addColumn<QString>("commands");   // S STEP, B BACK, R REW, X STOP, N New
    QTest::addColumn<int>("points");         // then held per path
    QTest::addColumn<int>("oldestT");
    QTest::newRow("each step adds a point") << 200 << "SSSSS" << 6 << 0;
    QTest::newRow("BACK trims to the new t") << 200 << "SSSSSBB" << 4 << 0;
    QTest::newRow("BACK then STEP again") << 200 << "SSSSSBBS" << 5 << 0;
    QTest::newRow("REW clears") << 200 << "SSSSSR" << 1 << 0;
    QTest::newRow("STOP clears") << 200 << "SSSSSX" << 1 << 0;
    QTest::newRow("New clears") << 200 << "SSSSSN" << 1 << 0;
    QTest::newRow("the latest 50 steps kept") << 50 << QString(60, 'S') << 50 << 11;
    QTest::newRow("BACK beyond the oldest point kept") << 50 << QString(60, 'S') + QString(55, 'B') << 1 << 5;
}

void TestDisplayOptions::pathsFollowTheTransport() {
    QFETCH(int, steps);
    QFETCH(QString, commands);
    QFETCH(int, points);
    QFETCH(int, oldestT);
    Settings().SetShowPaths(true);
    Settings().SetPathSteps(static_cast<int16_t>(steps));
    m_F.AddBowl(10, 1000, 1000, 7, 3);
    m_F.AddBowl(20, 4000, 2500, -5, 4);
    const PathStore& paths = *Settings().Paths();
    QVERIFY(paths.On());
    QCOMPARE(paths.Capacity(), steps);
    // Bowl 1's place at each step, as first seen there.
    std::map<int32_t, std::pair<float, float>> seen;
    const std::map<QChar, const char*> command = {{'S', "MN_COND_STEP"}, {'B', "MN_COND_BACK"}, {'R', "MN_COND_REW"},
                                                  {'X', "MN_COND_STOP"}, {'N', "MN_FILE_NEW"}};
    const auto newest = [&] { return std::make_pair(paths.At(1, paths.Points() - 1).x, paths.At(1, paths.Points() - 1).y); };
    seen.emplace(0, newest());
    for (QChar c : commands) {
        m_F.Trigger(command.at(c));
        QCOMPARE(QString::fromStdString(paths.Validate()), QString());
        QCOMPARE(paths.LatestT(), m_F.Engine().t);
        if (paths.PathCount() > 1) seen.emplace(paths.LatestT(), newest());
    }
    QCOMPARE(paths.Points(), points);
    QCOMPARE(paths.StepAt(0), oldestT);
    QCOMPARE(paths.PathCount(), m_F.Engine().BowlCount() + 1);
    for (int i = 1; i <= m_F.Engine().BowlCount(); ++i) {
        const PathStore::Point p = paths.At(i, paths.Points() - 1);
        QCOMPARE(QPointF(p.x, p.y), QPointF(m_F.Engine().GetBowl(i).x, m_F.Engine().GetBowl(i).y));
    }
    // What a step back leaves is what the steps forward recorded.
    for (int k = 0; k + 1 < paths.Points(); ++k)
        QCOMPARE(std::make_pair(paths.At(1, k).x, paths.At(1, k).y), seen.at(paths.StepAt(k)));
}

void TestDisplayOptions::pathsAndCentreOnlyWhenAsked() {
    const CBowl& a = m_F.AddBowl(25, 1500, 1500, 30, 0);
    m_F.AddBowl(25, 4500, 3000, 0, -20);
    DrawingArea* area = m_F.Find<DrawingArea>("pc_Picture");
    // The bowls as the renderer draws them, with nothing the options add.
    const auto bowlsOnly = [&] {
        SceneRenderer renderer;
        const QImage& shown = m_F.Window().Picture();
        renderer.Resize(shown.deviceIndependentSize().toSize(), shown.devicePixelRatio(), area->View().TwipsPerPixel(),
                        area->View().LineWidth());
        for (int i = 1; i <= m_F.Engine().BowlCount(); ++i) renderer.DrawBowl(m_F.Engine().GetBowl(i));
        return renderer.Snapshot();
    };
    const auto near = [&](QPointF twips, const QColor& color) {
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (m_F.ShownAt(twips.x() + 15 * dx, twips.y() + 15 * dy) == color) return true;
        return false;
    };
    const QColor magenta(Qt::magenta);
    RunOptions([](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("ck_ShowCentre"))->setChecked(true);
        dialog->findChild<QCheckBox*>(QStringLiteral("ck_ShowPaths"))->setChecked(true);
    }, true);
    for (int s = 0; s < 20; ++s) m_F.Trigger("MN_COND_STEP");
    // Bowl 1 has gone 600 twips right, past its disk's 181: its path
    // behind it; the centre of mass, from (3000, 2250) to (3300, 2050), is a
    // cross with its own path behind it.
    QVERIFY(near(QPointF(1600, 1500), m_F.ColorOf(a)));
    QCOMPARE(m_F.ShownAt(3300, 2050), magenta);
    QVERIFY(near(QPointF(3090, 2190), magenta));
    QVERIFY(m_F.Window().Picture() != bowlsOnly());

    RunOptions([](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("ck_ShowCentre"))->setChecked(false);
        dialog->findChild<QCheckBox*>(QStringLiteral("ck_ShowPaths"))->setChecked(false);
    }, true);
    QVERIFY(!Settings().Paths()->On());
    QVERIFY(m_F.Window().Picture() == bowlsOnly());   // pixel for pixel
}

QTEST_MAIN(TestDisplayOptions)
#include "test_displayoptions.moc"
