// A lesson with its own box in the running program: the same collisions at
// the same steps in any window, at any zoom and in full screen; the box
// shown whole and centred with its walls, the bowls drawn and hit where they
// are; the options that fix and free the box.
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <tuple>
#include <vector>

#include "fullscreen/f_full_screen.h"
#include "initialbox.h"
#include "main/bowlmanipulator.h"
#include "mainwindowfixture.h"
#include "scenarioinput.h"

using namespace vintrop;

namespace {

// Each collision as (t, bowl, other bowl).
class CollisionLog : public IEngineListener {
public:
    explicit CollisionLog(const CEnvEng& engine) : m_Engine(engine) {}
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override { hits.emplace_back(m_Engine.t, b1.Id, b2.Id); }
    std::vector<std::tuple<int32_t, int16_t, int16_t>> hits;

private:
    const CEnvEng& m_Engine;
};

constexpr int kLessonSteps = 400;

} // namespace

class TestFixedBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void everyLessonRunsAlikeAtAnySize_data();
    void everyLessonRunsAlikeAtAnySize();
    void boxShownWholeWithItsWalls_data();
    void boxShownWholeWithItsWalls();
    void optionsFixAndFreeTheBox();

private:
    DrawingArea* Area() { return m_F.Find<DrawingArea>("pc_Picture"); }
    void LoadLesson(const QString& path) {
        QString given = path;
        QVERIFY(m_F.Window().Document().LoadScenario(given));
        QCOMPARE(Prompt::ShownTexts(), QStringList());
    }

    testing::MainWindowFixture m_F;
};

void TestFixedBox::everyLessonRunsAlikeAtAnySize_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("zoomIns");
    QTest::addColumn<bool>("fullScreen");
    const QDir dir(QStringLiteral(VINTROP_EXAMPLES_DIR));
    for (const QString& f : dir.entryList({QStringLiteral("*.vintrop")}, QDir::Files, QDir::Name)) {
        const QByteArray name = f.toUtf8();
        QTest::newRow(name + " small at 400 %") << dir.filePath(f) << QSize(300, 260) << 6 << false;
        QTest::newRow(name + " maximised at 100 %") << dir.filePath(f) << QSize(1920, 1050) << 0 << false;
        QTest::newRow(name + " full screen") << dir.filePath(f) << QSize() << 0 << true;
    }
}

// Every worksheet's numbers are checked on the lesson run in its own box;
// here the program, in windows the worksheets never assumed, meets the same
// collisions at the same steps.
void TestFixedBox::everyLessonRunsAlikeAtAnySize() {
    QFETCH(QString, path);
    QFETCH(QSize, window);
    QFETCH(int, zoomIns);
    QFETCH(bool, fullScreen);

    ManualClock clock;
    CEnvEng alone;
    alone.init(clock);
    alone.MaxX = kInitialBoxWidth;
    alone.MaxY = kInitialBoxHeight;
    QVERIFY(alone.SerializeIn(*OpenScenarioFile(path.toStdString())));
    QVERIFY2(alone.FixedBox(), "every lesson carries its box");
    CollisionLog expected(alone);
    alone.Attach(&expected);
    for (int k = 0; k < kLessonSteps; ++k) alone.Advance();
    QVERIFY(!expected.hits.empty());

    if (window.isValid()) m_F.Window().resize(window);
    for (int i = 0; i < zoomIns; ++i) m_F.Trigger("MN_VIEW_ZOOM_IN");
    LoadLesson(path);
    CollisionLog seen(m_F.Engine());
    m_F.Engine().Attach(&seen);
    const auto run = [&] {
        for (int k = 0; k < kLessonSteps; ++k) m_F.Engine().Advance();
    };
    if (fullScreen) {
        testing::ModalCloser closer([&] {
            QWidget* view = QApplication::activeModalWidget();
            view->resize(1920, 1080);
            QCoreApplication::processEvents();
            run();
        });
        m_F.Trigger("MN_FULL_SCREEN");
        QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_FULL_SCREEN"));
    } else {
        run();
    }
    m_F.Engine().Detach(&seen);
    QCOMPARE(m_F.Engine().MaxX, alone.FixedBox()->width);
    QCOMPARE(m_F.Engine().MaxY, alone.FixedBox()->height);
    QCOMPARE(seen.hits, expected.hits);
}

void TestFixedBox::boxShownWholeWithItsWalls_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("bandsAside");   // grey left and right, else above and below
    QTest::newRow("wide") << QSize(1200, 400) << true;
    QTest::newRow("tall") << QSize(500, 700) << false;
    QTest::newRow("large") << QSize(1900, 800) << true;
}

// Read off the screen: the box is as wide as the area allows, centred
// between grey bands with a wall at each; a bowl against a wall is drawn
// against it; a click just inside a bowl's edge selects it and one just
// outside does not.
void TestFixedBox::boxShownWholeWithItsWalls() {
    QFETCH(QSize, window);
    QFETCH(bool, bandsAside);
    m_F.Window().resize(window);
    // A box of the initial box's shape, three times its size.
    m_F.Engine().SetFixedBox(BoxSize{3 * kInitialBoxWidth, 3 * kInitialBoxHeight});
    CBowl& left = m_F.AddBowl(300, 0, 0);
    left.SetXo(left.r());
    left.SetYo(1.5f * kInitialBoxHeight);
    CBowl& right = m_F.AddBowl(300, 0, 0);
    right.SetXo(3 * kInitialBoxWidth - right.r());
    right.SetYo(1.5f * kInitialBoxHeight);
    m_F.Window().ManualRefresh();

    const QImage shown = Area()->grab().toImage();
    const int across = bandsAside ? shown.width() : shown.height();
    const auto at = [&](int along, int middle) {
        return bandsAside ? shown.pixelColor(along, middle) : shown.pixelColor(middle, along);
    };
    const int middle = (bandsAside ? shown.height() : shown.width()) / 2;
    // Along the middle line: grey band, wall, the box, wall, grey band.
    int first = 0, last = across - 1;
    while (first < across && at(first, middle) != QColor(200, 200, 200)) ++first;
    while (last > 0 && at(last, middle) != QColor(200, 200, 200)) --last;
    QVERIFY(first > 0 && last < across - 1);
    QCOMPARE(at(0, middle), QColor(72, 72, 72));
    QCOMPARE(at(across - 1, middle), QColor(72, 72, 72));
    const int bandBefore = first, bandAfter = across - 1 - last;
    QVERIFY2(std::abs(bandBefore - bandAfter) <= 1, qPrintable(QStringLiteral("%1 %2").arg(bandBefore).arg(bandAfter)));
    // The walls are two pixels; the box fills the other side of the area.
    const int inner = (last - 1) - (first + 2);
    const double perTwip = bandsAside ? double(shown.height()) / (3 * kInitialBoxHeight)
                                      : double(shown.width()) / (3 * kInitialBoxWidth);
    const double boxAlong = (bandsAside ? 3 * kInitialBoxWidth : 3 * kInitialBoxHeight) * perTwip;
    QVERIFY2(std::abs(inner - boxAlong) <= 2, qPrintable(QStringLiteral("%1 %2").arg(inner).arg(boxAlong)));

    // The two bowls against the side walls (of a wide window) or the box's
    // edge meeting the area (of a tall one) are drawn touching them.
    const QPoint origin = bandsAside ? QPoint(first + 2, 0) : QPoint(0, first + 2);
    const auto pixel = [&](double x, double y) { return origin + QPoint(qFloor(x * perTwip), qFloor(y * perTwip)); };
    const QColor leftColour = testing::MainWindowFixture::ColorOf(left);
    const QColor rightColour = testing::MainWindowFixture::ColorOf(right);
    QCOMPARE(shown.pixelColor(pixel(1.5 / perTwip, left.y)), leftColour);
    QCOMPARE(shown.pixelColor(pixel(3 * kInitialBoxWidth - 1.5 / perTwip, right.y)), rightColour);

    // Clicks on either side of the left bowl's right edge.
    const QPointF edge = QPointF(pixel(left.x, left.y)) + QPointF(left.r() * perTwip, 0);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, (edge + QPointF(1.5, 0)).toPoint());
    QCOMPARE(Area()->findChild<BowlManipulator*>()->Selected(), 0);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, (edge - QPointF(1.5, 0)).toPoint());
    QCOMPARE(Area()->findChild<BowlManipulator*>()->Selected(), 1);
}

// Options: the box prefilled with the window's, fixed on OK (the scenario
// modified, the file carrying it, the zoom unavailable), refused when a bowl
// would be outside, changed only at t = 0, freed again.
void TestFixedBox::optionsFixAndFreeTheBox() {
    m_F.AddBowl(10, 6000, 2000, 5, 0);
    const float windowX = m_F.Engine().MaxX, windowY = m_F.Engine().MaxY;
    const auto options = [&](std::function<void(QWidget*)> edit) {
        testing::ModalCloser closer([&] {
            QWidget* dialog = QApplication::activeModalWidget();
            edit(dialog);
        });
        m_F.Trigger("MN_OPTIONS");
    };
    const auto group = [](QWidget* d) { return d->findChild<QGroupBox*>("gb_FixedBox"); };
    const auto width = [](QWidget* d) { return d->findChild<QSpinBox*>("sp_BoxWidth"); };
    const auto ok = [](QWidget* d) { d->findChild<QPushButton*>("OKButton")->click(); };

    // A bowl beyond the new wall: refused, nothing changes.
    options([&](QWidget* d) {
        QVERIFY(!group(d)->isChecked());
        QCOMPARE(width(d)->value(), qRound(windowX));
        group(d)->setChecked(true);
        width(d)->setValue(5000);
        ok(d);
    });
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Bowl 1 would be outside")});
    QVERIFY(!m_F.Engine().FixedBox());
    QCOMPARE(FlgModified, kFalse);

    // Twice the window's width: fixed, the picture scaled to half.
    options([&](QWidget* d) {
        group(d)->setChecked(true);
        width(d)->setValue(qRound(2 * windowX));
        ok(d);
    });
    QVERIFY(m_F.Engine().FixedBox());
    QCOMPARE(m_F.Engine().MaxX, float(qRound(2 * windowX)));
    QCOMPARE(m_F.Engine().MaxY, float(qRound(windowY)));
    QCOMPARE(FlgModified, kTrue);
    QVERIFY(!m_F.Action("MN_VIEW_ZOOM_IN")->isEnabled());
    QCOMPARE(m_F.Find<QLabel>("PNL_SCALE")->text(), QStringLiteral("50 %"));
    QTemporaryDir dir;
    const QString path = dir.filePath("boxed.vintrop");
    Prompt::ScriptFileName(path);
    m_F.Trigger("MN_FILE_SAVE_AS");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains(QByteArray("[options]\r\nBoxWidth=") + QByteArray::number(qRound(2 * windowX))));

    // Past t = 0 the box stays as it is.
    m_F.Trigger("MN_COND_STEP");
    options([&](QWidget* d) { QVERIFY(!group(d)->isEnabled()); });
    m_F.Trigger("MN_COND_REW");

    // Freed: the window's box again, at actual size.
    options([&](QWidget* d) {
        group(d)->setChecked(false);
        ok(d);
    });
    QVERIFY(!m_F.Engine().FixedBox());
    QCOMPARE(m_F.Engine().MaxX, windowX);
    QVERIFY(m_F.Action("MN_VIEW_ZOOM_IN")->isEnabled());
    QCOMPARE(m_F.Find<QLabel>("PNL_SCALE")->text(), QStringLiteral("100 %"));

    // A box with fractions, as a file may bring, outlives an OK that leaves
    // the whole-twip fields as they were.
    m_F.Engine().SetFixedBox(BoxSize{16170.5f, 4230.25f});
    FlgModified = kFalse;
    options(ok);
    QCOMPARE(m_F.Engine().FixedBox()->width, 16170.5f);
    QCOMPARE(FlgModified, kFalse);
}

QTEST_MAIN(TestFixedBox)
#include "test_fixedbox.moc"
