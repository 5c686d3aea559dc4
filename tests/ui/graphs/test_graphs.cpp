// The Graphs window in the running program: opened from the View menu, its
// plots following every transport command and every change the engine does
// not report, drawn at most once per presented frame, and its two exports.
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <map>
#include <random>

#include "../common/forkedchild.h"
#include "../main/mainwindowfixture.h"
#include "conservationlog.h"
#include "displaysettings.h"
#include "graphs/conservationplots.h"
#include "graphs/f_graphs.h"
#include "graphs/speedsplot.h"
#include "history/collisiontablemodel.h"
#include "history/f_history.h"
#include "main/drawingarea.h"
#include "numberformat.h"
#include "scenarioinput.h"

using namespace vintrop;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

class TestGraphs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void graphsViewItemOpensOneModelessWindow();
    void followsTheTransport();
    void startsAgainAfterLoadNewAndEdits();
    void redrawsOnlyForNewPointsAtMostOncePerFrame();
    void csvHoldsEveryKeptPoint();
    void csvOfAMergedRunIsEveryPointInShortestDigits();
    void failedExportsAreReportedAndKeepTheOldFile();
    void imageShowsThePlots();
    void pairMomentumIsTheHistoryWindows();
    void everyLessonsCollisionsLieOnTheDrawnDiagonal();
    void zeroTotalMomentumKeepsTheBowlsScale();
    void tickLabelsHaveNoExponent();
    void textFollowsZoomAndSizeAndAlwaysFits();
    void energyChangeIsNamedTheLossBelowFullElasticity();
    void speedPlotDrawsTheCountsAndTheLaw_data();
    void speedPlotDrawsTheCountsAndTheLaw();
    void speedPlotFollowsTheTransportAndEdits();
    void hearsOfTheLogCatchingUpAfterItLooked();
    void everyWindowsTextFollowsTheScaleAtOnce();

private:
    const ConservationLog& Log() { return m_F.Window().Conservation(); }
    F_GRAPHS* Open() {
        m_F.Trigger("MN_VIEW_GRAPHS");
        auto* w = m_F.Window().findChild<F_GRAPHS*>();
        if (w) w->ShowLatest();
        return w;
    }
    void Click(const char* button) {
        QTest::mouseClick(m_F.Window().findChild<F_GRAPHS*>()->findChild<QPushButton*>(QLatin1String(button)),
                          Qt::LeftButton);
    }
    // Two bowls that collide head-on at about t = 10.
    void Pair() {
        m_F.AddBowl(2, 3000, 2000, 40, 0);
        m_F.AddBowl(1, 3900, 2000, -50, 0);
    }
    void ExpectLatestIsTheEngine() {
        const Totals now = TotalsOf(m_F.Engine());
        QCOMPARE(Log().LatestT(), m_F.Engine().t);
        QCOMPARE(Log().Latest().energy, now.energy);
        QCOMPARE(Log().Latest().px, now.px);
        QCOMPARE(Log().Latest().py, now.py);
        QCOMPARE(Log().Spans().back().firstT, m_F.Engine().t);
    }

    testing::MainWindowFixture m_F;
};

namespace {

// A lesson from examples/ run on an engine of its own for `steps`, logged.
struct Lesson {
    ManualClock clock;
    CEnvEng eng;
    std::optional<ConservationLog> log;
    double largestBowlMomentum = 0;   // m·|v| at t = 0
    PlotsLayout layout;
    QImage image{1000, 560, QImage::Format_RGB32};

    bool Run(const QString& name, int steps) {
        eng.init(clock);
        if (!eng.SerializeIn(*OpenScenarioFile((VINTROP_EXAMPLES_DIR "/" + name).toStdString()))) return false;
        for (int i = 1; i <= eng.BowlCount(); ++i) {
            const CBowl& b = eng.GetBowl(i);
            largestBowlMomentum = std::max(largestBowlMomentum, b.M() * std::hypot(double(b.Vx), double(b.Vy)));
        }
        log.emplace(eng);
        eng.Attach(&*log);
        for (int k = 0; k < steps; ++k) eng.Advance();
        QPainter painter(&image);
        painter.setFont(QApplication::font());
        ConservationPlots::Paint(*log, painter, QRectF(image.rect()), &layout);
        return layout.pairs.has_value();
    }
};

} // namespace

void TestGraphs::graphsViewItemOpensOneModelessWindow() {
    // The last group of the View menu: Graphs, then Values.
    const QList<QAction*> items = m_F.Find<QMenu>("MN_VIEW")->actions();
    QAction* item = items.value(items.size() - 2);
    QCOMPARE(item, m_F.Action("MN_VIEW_GRAPHS"));
    QVERIFY(items.value(items.size() - 3)->isSeparator());
    QCOMPARE(item->text(), QStringLiteral("&Graphs"));
    const QKeySequence key = item->shortcut();
    QVERIFY(!key.isEmpty());
    for (QAction* other : m_F.Window().findChildren<QAction*>())
        if (other != item) QVERIFY2(!other->shortcuts().contains(key), qPrintable(other->objectName()));

    // The key opens it from the main window.
    m_F.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_F.Window()));
    QTest::keyClick(&m_F.Window(), Qt::Key_G, Qt::ControlModifier);
    F_GRAPHS* graphs = m_F.Window().findChild<F_GRAPHS*>();
    QVERIFY(graphs);
    QVERIFY(graphs->isVisible());
    QCOMPARE(graphs->windowTitle(), QStringLiteral("Graphs"));
    QVERIFY(!graphs->isModal());
    QCOMPARE(graphs->parentWidget(), &m_F.Window());
    // The main window still takes commands meanwhile.
    Pair();
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(m_F.Engine().t, 1);
    // Again: the same window comes to the front.
    graphs->close();
    QCOMPARE(Open(), graphs);
    QCOMPARE(m_F.Window().findChildren<F_GRAPHS*>().size(), 1);
    QVERIFY(graphs->isVisible());
    graphs->close();
}

void TestGraphs::followsTheTransport() {
    Pair();
    F_GRAPHS* graphs = Open();
    for (int k = 0; k < 14; ++k) m_F.Trigger("MN_COND_STEP");
    QCOMPARE(Log().Spans().size(), size_t(15));
    QCOMPARE(Log().Collisions().size(), size_t(1));
    ExpectLatestIsTheEngine();
    graphs->ShowLatest();
    const QString totals = graphs->findChild<QLabel*>("lbl_Totals")->text();
    QVERIFY2(totals.startsWith(QStringLiteral("t = 14 ")), qPrintable(totals));

    // BACK past the collision: later points and the collision go.
    const int32_t collisionT = Log().Collisions().front().t;
    while (m_F.Engine().t >= collisionT) m_F.Trigger("MN_COND_BACK");
    QCOMPARE(Log().Spans().size(), size_t(m_F.Engine().t) + 1);
    QVERIFY(Log().Collisions().empty());
    ExpectLatestIsTheEngine();

    // REW and STOP start again from t = 0.
    m_F.Trigger("MN_COND_REW");
    QCOMPARE(Log().Spans().size(), size_t(1));
    QCOMPARE(Log().LatestT(), 0);
    m_F.Trigger("MN_COND_PLAY");
    QTRY_VERIFY(m_F.Engine().t > 20);
    m_F.Trigger("MN_COND_PAUSE");
    QCOMPARE(Log().Spans().size(), size_t(m_F.Engine().t) + 1);
    QCOMPARE(Log().Collisions().size(), size_t(1));
    ExpectLatestIsTheEngine();
    m_F.Trigger("MN_COND_STOP");
    QCOMPARE(Log().Spans().size(), size_t(1));
    QVERIFY(Log().Collisions().empty());
    ExpectLatestIsTheEngine();
    graphs->close();
}

void TestGraphs::startsAgainAfterLoadNewAndEdits() {
    Pair();
    F_GRAPHS* graphs = Open();
    for (int k = 0; k < 20; ++k) m_F.Trigger("MN_COND_STEP");

    // A load: the scenario's own t = 0.
    QString gas = QStringLiteral(VINTROP_EXAMPLES_DIR "/gas-of-bowls.vintrop");
    QVERIFY(m_F.Window().Document().LoadScenario(gas));
    QCOMPARE(Log().Spans().size(), size_t(1));
    QVERIFY(Log().Collisions().empty());
    ExpectLatestIsTheEngine();
    QVERIFY(Log().Latest().energy > 0);

    // An edit with the keys on the drawing area: Tab selects bowl 1,
    // Ctrl+Right adds one to its velocity; the point at t = 0 follows.
    const double before = Log().Latest().energy;
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    area->setFocus();
    QTest::keyClick(area, Qt::Key_Tab);
    QTest::keyClick(area, Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(Log().Latest().energy != before);
    QCOMPARE(Log().Spans().size(), size_t(1));
    ExpectLatestIsTheEngine();

    // New: nothing moves, and there is no relative change to show.
    FlgModified = kFalse;
    m_F.Trigger("MN_FILE_NEW");
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(0));
    QCOMPARE(Log().Spans().size(), size_t(1));
    QCOMPARE(Log().Latest().energy, 0.0);
    graphs->ShowLatest();
    QVERIFY2(graphs->findChild<QLabel*>("lbl_Totals")->text().contains(QStringLiteral("since t = 0: -)")),
             qPrintable(graphs->findChild<QLabel*>("lbl_Totals")->text()));
    graphs->close();
}

void TestGraphs::redrawsOnlyForNewPointsAtMostOncePerFrame() {
    // A crowd at the fastest interval: far more steps a second than frames.
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 6; ++j) m_F.AddBowl(1, 400 + i * 600, 400 + j * 600, 37 - i * 5, 23 - j * 7);
    m_F.Slider()->setValue(1);
    F_GRAPHS* graphs = Open();
    QVERIFY(QTest::qWaitForWindowExposed(graphs));
    auto* plots = graphs->findChild<QWidget*>("pc_Plots");
    QTest::qWait(50);

    // Nothing new, nothing drawn.
    PaintCounter idle(plots);
    QTest::qWait(120);
    QCOMPARE(idle.paints, 0);

    PaintCounter playing(plots);
    int frames = 0;
    const auto counting = connect(&m_F.Window(), &F_MAIN::framePresented, [&frames] { ++frames; });
    const int32_t t0 = m_F.Engine().t;
    QElapsedTimer clock;
    clock.start();
    m_F.Trigger("MN_COND_PLAY");
    QTest::qWait(400);
    m_F.Trigger("MN_COND_PAUSE");
    const qint64 ms = clock.elapsed();
    disconnect(counting);
    const QString counts = QStringLiteral("%1 paints for %2 frames, %3 steps in %4 ms")
                               .arg(playing.paints)
                               .arg(frames)
                               .arg(m_F.Engine().t - t0)
                               .arg(ms);
    QVERIFY(m_F.Engine().t > t0);
    QVERIFY2(playing.paints > 0, qPrintable(counts));
    QVERIFY2(playing.paints <= frames, qPrintable(counts));
    // Not once per step either: at most once per screen refresh (a 16 ms
    // timer, which may fire a little early), however many steps a second.
    QVERIFY2(playing.paints <= ms / 15 + 2, qPrintable(counts));
    graphs->close();
}

void TestGraphs::csvHoldsEveryKeptPoint() {
    Pair();
    Open();
    for (int k = 0; k < 5; ++k) m_F.Trigger("MN_COND_STEP");
    QTemporaryDir dir;
    const QString path = dir.filePath("graphs.csv");
    Prompt::ScriptFileName(path);
    Click("bt_ExportCsv");
    QVERIFY(Prompt::ShownMessages().empty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.first(), QByteArray("t,kinetic energy,momentum x,momentum y\r"));
    QCOMPARE(lines.size(), 1 + 6 + 1);   // header, t = 0..5, the empty tail after the last CR LF
    QVERIFY(lines.last().isEmpty());
    for (int t = 0; t <= 5; ++t) {
        const QList<QByteArray> cells = lines[t + 1].trimmed().split(',');
        QCOMPARE(cells.size(), 4);
        const TotalsSpan& span = Log().Spans()[size_t(t)];
        QCOMPARE(cells[0].toInt(), t);
        // Exactly the values plotted, read back bit for bit.
        QCOMPARE(cells[1].toDouble(), span.first.energy);
        QCOMPARE(cells[2].toDouble(), span.first.px);
        QCOMPARE(cells[3].toDouble(), span.first.py);
    }
    m_F.Window().findChild<F_GRAPHS*>()->close();
}

// A run long enough for the spans to merge, so that the latest step no
// longer starts a span: the CSV still ends on it. Every value reads back to
// the double kept and no shorter text would: the gas example's energy has
// a dozen significant digits.
void TestGraphs::csvOfAMergedRunIsEveryPointInShortestDigits() {
    ManualClock clock;
    CEnvEng eng;
    eng.init(clock);
    QVERIFY(eng.SerializeIn(*OpenScenarioFile(VINTROP_EXAMPLES_DIR "/gas-of-bowls.vintrop")));
    ConservationLog log(eng, 16);
    eng.Attach(&log);
    std::map<int32_t, Totals> seen{{0, TotalsOf(eng)}};
    for (int k = 0; k < 101; ++k) {
        eng.Advance();
        seen[eng.t] = TotalsOf(eng);
    }
    QVERIFY(log.Spans().back().firstT != eng.t);

    const QList<QByteArray> lines = F_GRAPHS::CsvOf(log).split('\n');
    const size_t rows = log.Spans().size() + 1;
    QCOMPARE(size_t(lines.size()), 1 + rows + 1);
    int mostDigits = 0;
    for (size_t row = 0; row < rows; ++row) {
        const QList<QByteArray> cells = lines[int(row) + 1].chopped(1).split(',');
        QCOMPARE(cells.size(), 4);
        const int32_t t = cells[0].toInt();
        QCOMPARE(t, row < log.Spans().size() ? log.Spans()[row].firstT : eng.t);
        const Totals& want = seen.at(t);
        for (int c = 1; c <= 3; ++c) {
            const double value = cells[c].toDouble();
            QCOMPARE(value, c == 1 ? want.energy : c == 2 ? want.px : want.py);
            // The significant digits: the mantissa's without sign, point,
            // or zeros at either end.
            QByteArray mantissa = cells[c].split('e').first();
            mantissa.replace('-', "").replace('.', "");
            while (mantissa.startsWith('0')) mantissa.remove(0, 1);
            while (mantissa.endsWith('0')) mantissa.chop(1);
            const int digits = int(mantissa.size());
            QVERIFY2(digits <= 1 || QByteArray::number(value, 'g', digits - 1).toDouble() != value, cells[c]);
            mostDigits = std::max(mostDigits, digits);
        }
    }
    QVERIFY(mostDigits >= 10);

    // The relative change of the energy, shown to three significant digits.
    const auto change = log.RelativeEnergyChange();
    QVERIFY(change && *change != 0);
    const QString shown = ConservationPlots::RelativeChangeText(log);
    QCOMPARE(shown, ConservationPlots::ChangeText(*change));
    // Three significant digits, never in exponent form.
    const std::pair<double, QString> texts[] = {
        {1.2345e-7, "1.23 \u00d710\u207b\u2077"}, {-9.996e-8, "-1.00 \u00d710\u207b\u2077"},
        {0.0012345, "0.00123"}, {-250.4, "-250"}, {12345, "1.23 \u00d710\u2074"}, {0, "0"}};
    for (const auto& [change, text] : texts) QCOMPARE(ConservationPlots::ChangeText(change), text);
}

void TestGraphs::failedExportsAreReportedAndKeepTheOldFile() {
    Pair();
    F_GRAPHS* graphs = Open();
    for (int k = 0; k < 5; ++k) m_F.Trigger("MN_COND_STEP");
    QTemporaryDir dir;

    // A name that is a folder: the image cannot be written.
    const QString folder = dir.filePath("taken.png");
    QVERIFY(QDir(dir.path()).mkdir("taken.png"));
    Prompt::ScriptFileName(folder);
    Click("bt_SaveImage");
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore scrittura File")});
    QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
    QVERIFY(QFileInfo(folder).isDir());

    // A CSV beyond the file-size limit (in a child process, which only
    // writes: it cannot paint, Qt's painting threads stay with the parent):
    // reported, the old file intact.
    const QString path = dir.filePath("graphs.csv");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older table");
    old.close();
    const int result = testing::RunForked([&] {
        Prompt::ClearLog();
        Prompt::ScriptFileName(path);
        if (!testing::LimitFileSize(100)) return 2;
        Click("bt_ExportCsv");
        if (Prompt::ShownTexts() != QStringList{QStringLiteral("Errore scrittura File")}) return 3;
        return 0;
    });
    QCOMPARE(result, 0);   // 153: ended by SIGXFSZ; 3: no message
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("an older table"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"graphs.csv"});

    // Cancelling writes nothing and says nothing.
    Prompt::ClearLog();
    Prompt::ScriptFileName(QString());
    Click("bt_SaveImage");
    Prompt::ScriptFileName(QString());
    Click("bt_ExportCsv");
    QVERIFY(Prompt::ShownMessages().empty());
    graphs->close();
}

void TestGraphs::imageShowsThePlots() {
    Pair();
    F_GRAPHS* graphs = Open();
    for (int k = 0; k < 30; ++k) m_F.Trigger("MN_COND_STEP");
    QTemporaryDir dir;
    const QString path = dir.filePath("graphs.png");
    Prompt::ScriptFileName(path);
    Click("bt_SaveImage");
    QVERIFY(Prompt::ShownMessages().empty());
    QImage image;
    QVERIFY(image.load(path, "PNG"));
    auto* plotsWidget = graphs->findChild<QWidget*>("pc_Plots");
    const QSize plots = plotsWidget->size().expandedTo(plotsWidget->sizeHint());
    QCOMPARE(image.size(), plots * 2);
    // The energy line, the two momentum lines and the collision points are
    // in it, in their colours.
    int energy = 0, x = 0, y = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i) {
            const QRgb c = image.pixel(i, j) & 0xffffff;
            energy += c == 0xaa1e1e;
            x += c == 0x1450c8;
            y += c == 0x00823c;
        }
    QVERIFY2(energy > 100 && x > 100 && y > 100,
             qPrintable(QStringLiteral("energy %1, x %2, y %3 pixels").arg(energy).arg(x).arg(y)));
    graphs->close();
}

// The history window lists each collision's pair momentum and the graphs
// plot it: one value. A heavy bowl gives sums past a million, where a float
// and a double differ in the hundredths the history shows (1,230,595.04 in
// double, .00 as a float).
void TestGraphs::pairMomentumIsTheHistoryWindows() {
    m_F.AddBowl(30000, 2500, 2115, 41.02f, 0.53f);
    m_F.AddBowl(7, 5000, 2115, -0.71f, 0);
    Prompt::ScriptAnswer(QMessageBox::Yes);
    m_F.Trigger("MN_VIEW_HISTORY");
    auto* history = qobject_cast<F_HISTORY*>(testing::VisibleTopLevel("F_HISTORY"));
    QVERIFY(history);
    Open();
    for (int k = 0; k < 40 && Log().Collisions().empty(); ++k) m_F.Trigger("MN_COND_STEP");
    QCOMPARE(Log().Collisions().size(), size_t(1));
    const CollisionTableModel& rows = history->Model();
    QTRY_COMPARE(rows.rowCount(), 2);
    const CollisionMomentum& c = Log().Collisions().front();
    const auto shown = [&](int row, int column) { return rows.data(rows.index(row, column)).toString(); };
    QCOMPARE(shown(0, 9), fmt::Fixed(c.beforeX));
    QCOMPARE(shown(0, 10), fmt::Fixed(c.beforeY));
    QCOMPARE(shown(1, 9), fmt::Fixed(c.afterX));
    QCOMPARE(shown(1, 10), fmt::Fixed(c.afterY));
    QCOMPARE(shown(0, 9), QStringLiteral("1,230,595.00"));
    history->close();
}

// The dashed line is found in the image: its grey pixels in the plot, away
// from the legend (the box outlined in light grey), fitted by least
// squares. It must run at 45 degrees, and each collision's point, mapped as
// the plot maps it and checked to be a dot in the image, within a pixel.
void TestGraphs::everyLessonsCollisionsLieOnTheDrawnDiagonal() {
    int points = 0;
    for (const QString& name : QDir(VINTROP_EXAMPLES_DIR).entryList({"*.vintrop"})) {
        Lesson lesson;
        QVERIFY2(lesson.Run(name, 400), qPrintable(name));
        const QImage& image = lesson.image;
        const PlotFrame& frame = *lesson.layout.pairs;
        const QRect area = frame.Area().toRect();
        const auto in = [&](QRgb colour) {
            std::vector<QPointF> found;
            for (int j = area.top(); j <= area.bottom(); ++j)
                for (int i = area.left(); i <= area.right(); ++i)
                    if ((image.pixel(i, j) & 0xffffff) == colour) found.emplace_back(i, j);
            return found;
        };
        QRectF legend;
        for (const QPointF& p : in(0xbebebe)) legend |= QRectF(p, QSizeF(1, 1));
        std::vector<QPointF> line;
        double mx = 0, my = 0;
        QRectF span;
        for (const QPointF& p : in(0x808080))
            if (!legend.contains(p)) line.push_back(p), mx += p.x(), my += p.y(), span |= QRectF(p, QSizeF(1, 1));
        QVERIFY2(line.size() > 30 && span.width() > area.width() / 2, qPrintable(name));
        mx /= double(line.size()), my /= double(line.size());
        double sxx = 0, syy = 0, sxy = 0;
        for (const QPointF& p : line) sxx += (p.x() - mx) * (p.x() - mx), syy += (p.y() - my) * (p.y() - my), sxy += (p.x() - mx) * (p.y() - my);
        const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
        const auto off = [&](QPointF p) { return std::abs((p.x() - mx) * -std::sin(angle) + (p.y() - my) * std::cos(angle)); };
        QVERIFY2(std::abs(std::tan(angle) + 1) < 0.01, qPrintable(name + QStringLiteral(": slope %1").arg(std::tan(angle))));
        for (const QPointF& p : line) QVERIFY2(off(p) <= 1, qPrintable(name));
        for (const CollisionMomentum& c : lesson.log->Collisions())
            for (const QPointF& p : {frame.At(c.beforeX, c.afterX), frame.At(c.beforeY, c.afterY)}) {
                const QRgb dot = image.pixel(int(p.x()), int(p.y())) & 0xffffff;
                QVERIFY2(dot == 0x1450c8 || dot == 0x00823c, qPrintable(name));
                QVERIFY2(off(p) <= 1, qPrintable(name + QStringLiteral(" t=%1: %2 px off").arg(c.t).arg(off(p))));
                ++points;
            }
    }
    QVERIFY(points > 200);
}

// The sums are zero there save for float rounding: the range stays at the
// scale of the bowls' momenta (6,000 at the start), the same on both axes.
void TestGraphs::zeroTotalMomentumKeepsTheBowlsScale() {
    Lesson lesson;
    QVERIFY(lesson.Run("zero-total-momentum.vintrop", 400));
    QVERIFY(!lesson.log->Collisions().empty());
    const PlotFrame& frame = *lesson.layout.pairs;
    QCOMPARE(frame.XRange().lo, frame.YRange().lo);
    QCOMPARE(frame.XRange().hi, frame.YRange().hi);
    QVERIFY(lesson.largestBowlMomentum == 6000);
    QVERIFY2(frame.XRange().lo <= -300 && frame.XRange().hi >= 300, qPrintable(QString::number(frame.XRange().hi)));
}

// Labels for values from the very small to the very large, read back
// through the locale and the "×10ⁿ" scale: no exponent, and each names its
// tick's value.
void TestGraphs::tickLabelsHaveNoExponent() {
    struct Row {
        std::vector<double> ticks;
        QStringList texts;
        QString scale;
    };
    const Row rows[] = {
        {{0, 1e6, 2e6, 3e6}, {"0", "1,000,000", "2,000,000", "3,000,000"}, ""},
        {{-4e8, 0, 4e8}, {"-400,000,000", "0", "400,000,000"}, ""},
        {{0, 5e9, 1e10, 1.5e10}, {"0", "5", "10", "15"}, "\u00d710\u2079"},
        {{0.3 - 3 * 0.1, 0.1, 0.2, 3 * 0.1}, {"0.0", "0.1", "0.2", "0.3"}, ""},
        {{-4e-4, -2e-4, 0, 2e-4}, {"-400", "-200", "0", "200"}, "\u00d710\u207b\u2076"},
    };
    for (const Row& r : rows) {
        const TickLabels got = LabelTicks(r.ticks);
        QCOMPARE(QStringList(got.texts.begin(), got.texts.end()), r.texts);
        QCOMPARE(got.scale, r.scale);
    }
    const QString superscripts = QStringLiteral("\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079");
    for (int power = -9; power <= 30; ++power)
        for (double lo : {0.0, -1.0}) {
            AxisRange range{lo * 2.6 * std::pow(10, power), 3.3 * std::pow(10, power)};
            const std::vector<double> ticks = NiceTicks(range, 4);
            const TickLabels got = LabelTicks(ticks);
            int exponent = 0;
            for (const QChar c : got.scale)
                if (superscripts.contains(c)) exponent = exponent * 10 + int(superscripts.indexOf(c));
            if (got.scale.contains(QChar(0x207b))) exponent = -exponent;
            for (size_t k = 0; k < ticks.size(); ++k) {
                const QString& text = got.texts[k];
                QVERIFY2(!text.contains('e', Qt::CaseInsensitive) && text.size() <= 12, qPrintable(text));
                const double value = QLocale().toDouble(text) * std::pow(10, exponent);
                QVERIFY2(std::abs(value - ticks[k]) <= (ticks[1] - ticks[0]) * 1e-6, qPrintable(text + got.scale));
            }
        }
}

// The window's text follows the zoom and the window's size, as designed at
// 100 % in the designed size. At each, every text in the plots fits the
// room it was given, inside the plots and clear of every other, measured
// in the plots' font. Heavy bowls give labels in the millions.
void TestGraphs::textFollowsZoomAndSizeAndAlwaysFits() {
    m_F.AddBowl(30000, 2500, 2115, 41.02f, 0.53f);
    m_F.AddBowl(7, 5000, 2115, -0.71f, 0);
    F_GRAPHS* graphs = Open();
    for (int k = 0; k < 60; ++k) m_F.Trigger("MN_COND_STEP");
    auto* plots = graphs->findChild<QWidget*>("pc_Plots");
    const qreal designed = QApplication::font().pointSizeF();
    struct Row {
        int16_t zoom;
        int times;             // the designed size times this; 0: the smallest the window allows
        double least, most;    // of the designed text size
    };
    // A zoom that changes alone (the second row of a size) reaches the
    // window through the settings' signal, not through a resize.
    for (const Row& r : {Row{100, 0, 1, 1}, Row{300, 0, 1, 1.1}, Row{100, 1, 1, 1}, Row{300, 1, 1.3, 1.6},
                         Row{100, 2, 1.9, 2}, Row{400, 2, 2.5, 4}}) {
        Settings().SetViewScale(r.zoom);   // as the main window sets it
        for (int settle = 0; settle < 3; ++settle) {   // the smallest size shrinks with the text
            graphs->resize(r.times ? graphs->DesignedSize() * r.times : QSize(1, 1));
            QTest::qWait(40);
        }
        const QString row = QStringLiteral("%1 %, %2 x designed").arg(r.zoom).arg(r.times);
        const double scale = plots->font().pointSizeF() / designed;
        QVERIFY2(scale >= r.least && scale <= r.most, qPrintable(row + QStringLiteral(": text x%1").arg(scale)));
        QImage image(plots->size(), QImage::Format_RGB32);
        PlotsLayout layout;
        QPainter painter(&image);
        painter.setFont(plots->font());
        ConservationPlots::Paint(Log(), painter, QRectF(image.rect()), &layout);
        // Points grow with the text: three pixels wide at the designed size.
        QVERIFY(!Log().Collisions().empty());
        const CollisionMomentum& c = Log().Collisions().back();
        const QPoint at = layout.pairs->At(c.beforeX, c.afterX).toPoint();
        int run = 0;
        for (int x = at.x() - 20; x <= at.x() + 20; ++x) run += (image.pixel(x, at.y()) & 0xffffff) == 0x1450c8;
        QVERIFY2(run >= 3 * std::round(scale) && run <= 3 * std::round(scale) + 1, qPrintable(row + QStringLiteral(": point %1 px").arg(run)));
        const QFontMetricsF metrics(plots->font());
        std::vector<QRectF> inked;
        for (const PlacedText& text : layout.texts) {
            const QRectF ink = metrics.boundingRect(text.place, text.flags, text.text);
            const QString what = row + ": " + text.text;
            QVERIFY2(text.place.adjusted(-0.5, -0.5, 0.5, 0.5).contains(ink), qPrintable(what));
            QVERIFY2(QRectF(image.rect()).contains(ink), qPrintable(what));
            for (const QRectF& other : inked)
                QVERIFY2((ink & other).width() < 0.5 || (ink & other).height() < 0.5, qPrintable(what));
            inked.push_back(ink);
        }
    }
    Settings().SetViewScale(100);
    graphs->resize(graphs->DesignedSize());
    graphs->close();
}

QTEST_MAIN(TestGraphs)


// Below full elasticity the title and the totals line name the fraction of
// the energy lost, positive, and the plot, from zero up, shows the fall.
void TestGraphs::energyChangeIsNamedTheLossBelowFullElasticity() {
    for (const QString lesson : {"equal-masses-head-on", "half-elastic-head-on", "perfectly-inelastic-head-on"}) {
        Lesson run;
        QVERIFY(run.Run(lesson + ".vintrop", 400));
        const double change = *run.log->RelativeEnergyChange();
        const bool lossy = lesson.contains("elastic");
        const QString expected = lossy ? "kinetic energy lost since t = 0: " + ConservationPlots::ChangeText(-change)
                                       : "relative change since t = 0: " + ConservationPlots::ChangeText(change);
        QVERIFY(std::any_of(run.layout.texts.begin(), run.layout.texts.end(),
                            [&](const PlacedText& t) { return t.text.endsWith(expected); }));
        F_GRAPHS window(*run.log, run.eng, nullptr);
        QVERIFY2(window.findChild<QLabel*>("lbl_Totals")->text().contains("(" + expected + ")"), qPrintable(expected));
        int top = run.image.height(), bottom = 0;   // of the energy line
        for (int j = 0; j < run.image.height(); ++j)
            for (int i = 0; i < run.image.width(); ++i)
                if ((run.image.pixel(i, j) & 0xffffff) == 0xaa1e1e) top = std::min(top, j), bottom = std::max(bottom, j);
        QVERIFY2((bottom - top > 40) == lossy, qPrintable(lesson));
    }
}

void TestGraphs::speedPlotDrawsTheCountsAndTheLaw_data() {
    QTest::addColumn<QList<int>>("masses");   // one bowl each, in turn
    QTest::addColumn<double>("speed");        // the spread of each velocity component; 0: at rest
    QTest::newRow("one mass") << QList<int>{1} << 20.0;
    QTest::newRow("three masses") << QList<int>{1, 1, 1, 4, 4, 9} << 20.0;
    QTest::newRow("five masses") << QList<int>{1, 1, 1, 1, 2, 3, 4, 5} << 20.0;
    QTest::newRow("all at rest") << QList<int>{1, 2} << 0.0;
    QTest::newRow("no bowls") << QList<int>{} << 20.0;
}

// Drawn from a scene of 600 bowls with normally spread velocities, measured
// in the image: each bar's top at its count, the curve's peak at the most
// likely speed sqrt(kT / m) and its height at twice that speed the expected
// count N · width · f(v); each mass's mean energy listed only when there
// are several. Without motion or bowls: no curve, finite ranges.
void TestGraphs::speedPlotDrawsTheCountsAndTheLaw() {
    QFETCH(QList<int>, masses);
    QFETCH(double, speed);
    ManualClock clock;
    CEnvEng eng;
    eng.init(clock);
    eng.MaxX = 28800, eng.MaxY = 16200;
    std::mt19937 rng(3);
    std::normal_distribution<double> v(0, speed > 0 ? speed : 1);
    for (int k = 0; !masses.isEmpty() && k < 600; ++k)
        eng.AddBowl(int16_t(masses[k % masses.size()]), float(500 + k % 30 * 900), float(500 + k / 30 * 750),
                    float(speed * v(rng) / (speed > 0 ? speed : 1)), float(speed * v(rng) / (speed > 0 ? speed : 1)));
    ConservationLog log(eng);
    QImage image(1000, 820, QImage::Format_RGB32);
    PlotsLayout layout;
    QPainter painter(&image);
    painter.setFont(QApplication::font());
    ConservationPlots::Paint(log, painter, QRectF(image.rect()), &layout);
    const SpeedsView speeds = SpeedsOf(eng);
    const SpeedHistogram& h = speeds.histogram;
    const PlotFrame& frame = *layout.speeds;
    const QRect area = frame.Area().toRect();
    QVERIFY(std::isfinite(frame.YRange().hi) && std::isfinite(frame.XRange().hi) && frame.YRange().hi > 0);
    const auto pixel = [&](int x, int y) { return image.pixel(x, y) & 0xffffff; };
    QRect legend;   // outlined in light grey
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixel(x, y) == 0xbebebe) legend |= QRect(x, y, 1, 1);
    size_t measured = 0;
    for (size_t i = 0; i < h.counts.size(); ++i, ++measured) {
        const int x = int(frame.X((double(i) + 0.5) * h.width));
        int top = area.bottom() + 1;
        for (int y = area.top(); y <= area.bottom() && top > area.bottom(); ++y)
            if (!legend.contains(x, y) && (pixel(x, y) == 0xa0c0e8 || pixel(x, y) == 0x466eaa)) top = y;
        if (legend.contains(x, int(frame.Y(h.counts[i]))) || h.counts[i] == 0) { --measured; continue; }
        const bool underCurve = pixel(x, top - 1) == 0xe16e00;   // its two pixels may hide the bar's top
        QVERIFY2(std::abs(top - frame.Y(h.counts[i])) <= (underCurve ? 3.5 : 1.5), qPrintable(QStringLiteral("bin %1: %2 for %3 at %4").arg(i).arg(top).arg(h.counts[i]).arg(frame.Y(h.counts[i]))));
    }
    QVERIFY(measured >= (masses.isEmpty() ? 0 : speed > 0 ? h.counts.size() / 2 : 1));
    const double m = h.species.mass, kT = h.species.meanEnergy, likeliest = std::sqrt(kT / m);
    std::map<int, int> curveTop;   // x -> the curve's highest pixel there
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.bottom(); y >= area.top(); --y)
            if (pixel(x, y) == 0xe16e00 && !legend.contains(x, y)) curveTop[x] = y;
    QCOMPARE(curveTop.empty(), speed == 0 || masses.isEmpty());
    if (!curveTop.empty()) {
        int best = area.bottom();
        double sum = 0, n = 0;
        for (const auto& [x, y] : curveTop) best = std::min(best, y);
        for (const auto& [x, y] : curveTop) if (y == best) sum += x, n += 1;
        QVERIFY2(std::abs(sum / n - frame.X(likeliest)) <= 3, qPrintable(QString::number(sum / n - frame.X(likeliest))));
        const double expected = h.species.bowls * h.width * MaxwellBoltzmannDensity(2 * likeliest, m, kT);
        QVERIFY(std::abs(curveTop[int(frame.X(2 * likeliest))] - frame.Y(expected)) <= 2);
    }
    QStringList legendTexts;
    for (const PlacedText& t : layout.texts)
        if (legend.adjusted(-1, -1, 1, 1).contains(t.place.toRect())) legendTexts << t.text;
    const QStringList perMass = legendTexts.filter(QRegularExpression("^m = "));
    QCOMPARE(perMass.size(), int(speeds.species.size() > 1 ? std::min<size_t>(speeds.species.size(), 4) : 0));
    for (int k = 0; k < perMass.size(); ++k)
        QVERIFY(perMass[k].endsWith(": " + ConservationPlots::ChangeText(speeds.species[size_t(k)].meanEnergy)));
    QCOMPARE(legendTexts.filter(QStringLiteral("1 more mass")).size(), int(speeds.species.size() == 5));
    if (!curveTop.empty()) QCOMPARE(legendTexts.value(0), "Maxwell\u2013Boltzmann, kT = " + ConservationPlots::ChangeText(kT));
}

// What the window shows of the speeds, which screen readers are told, is
// the engine's at every refresh: through steps, BACK, REW, STOP, a bowl at
// rest added (no total changes) and New.
void TestGraphs::speedPlotFollowsTheTransportAndEdits() {
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 6; ++j) m_F.AddBowl(1 + (i + j) % 2, 400 + i * 600, 400 + j * 600, 37 - i * 5, 23 - j * 7);
    F_GRAPHS* graphs = Open();
    auto* plots = graphs->findChild<QWidget*>("pc_Plots");
    const auto shown = [&] { return plots->accessibleDescription(); };
    const auto now = [&] { return DescribeSpeeds(SpeedsOf(m_F.Engine())); };
    const QString atStart = now();
    QVERIFY(shown().endsWith(atStart));
    for (int k = 0; k < 150; ++k) m_F.Trigger("MN_COND_STEP");
    QTRY_VERIFY(shown().endsWith(now()));
    const QString later = now();
    QVERIFY(later != atStart);
    for (int k = 0; k < 75; ++k) m_F.Trigger("MN_COND_BACK");
    QCOMPARE(m_F.Engine().t, 75);
    QVERIFY(now() != later && now() != atStart);
    QTRY_VERIFY(shown().endsWith(now()));
    m_F.Trigger("MN_COND_REW");
    QTRY_VERIFY(shown().endsWith(atStart));
    m_F.Trigger("MN_COND_PLAY");
    QTRY_VERIFY(m_F.Engine().t > 20);
    m_F.Trigger("MN_COND_STOP");
    QTRY_VERIFY(shown().endsWith(atStart));
    QTest::qWait(50);   // the refresh has seen t = 0 again
    auto* area = m_F.Find<DrawingArea>("pc_Picture");   // bowl 1 a step faster, from the keys
    area->setFocus();
    QTest::keyClick(area, Qt::Key_Tab);
    QTest::keyClick(area, Qt::Key_Right, Qt::ControlModifier);
    QTRY_VERIFY(shown().endsWith(now()));
    QVERIFY(now() != atStart);
    const QString edited = now();
    m_F.AddBowl(1, 7500, 3800);   // at rest: no total changes
    m_F.Window().ManualRefresh();
    QTRY_VERIFY(shown().endsWith(now()));
    QVERIFY(now() != edited);
    FlgModified = kFalse;
    m_F.Trigger("MN_FILE_NEW");
    QTRY_VERIFY(shown().endsWith(QStringLiteral("No bowls, no speeds.")));
    graphs->close();
}

// An edit reaches the log only when the main window redraws, after the
// window may have looked and found nothing new: it hears of that too.
void TestGraphs::hearsOfTheLogCatchingUpAfterItLooked() {
    Pair();
    F_GRAPHS* graphs = Open();
    const int before = graphs->Refreshes();
    m_F.Engine().GetBowl(1).SetVxo(80);
    m_F.Engine().Touch();
    QTest::qWait(50);
    QCOMPARE(graphs->Refreshes(), before);
    m_F.Window().ManualRefresh();
    QTRY_VERIFY(graphs->findChild<QLabel*>("lbl_Totals")->text().contains(QStringLiteral("energy = 7650 ")));
    graphs->close();
}

// The scale, set twice, is signalled once and reaches every window with no
// event processed in between: no timer could have brought it.
void TestGraphs::everyWindowsTextFollowsTheScaleAtOnce() {
    Prompt::ScriptAnswer(QMessageBox::Yes);   // the history log is switched on
    for (const char* view : {"MN_VIEW_HISTORY", "MN_VIEW_VALUES", "MN_VIEW_GRAPHS"}) m_F.Trigger(view);
    const QList<QWidget*> windows = {testing::VisibleTopLevel("F_HISTORY"), m_F.Find("F_VALUES"), m_F.Find("F_GRAPHS")};
    QVERIFY(windows[0]);
    windows[2]->resize(static_cast<F_GRAPHS*>(windows[2])->DesignedSize());   // room for 1.3 times its text
    QTest::qWait(50);
    QList<qreal> designed;
    for (QWidget* w : windows) designed << w->font().pointSizeF();
    QSignalSpy scale(&Settings(), &DisplaySettings::textScaleChanged);
    QSignalSpy display(&Settings(), &DisplaySettings::displayChanged);
    Settings().SetViewScale(300), Settings().SetViewScale(300);
    QCOMPARE(scale.count(), 1);
    QCOMPARE(windows[0]->font().pointSizeF(), 3 * designed[0]);
    QVERIFY(windows[1]->font().pointSizeF() >= 2.9 * designed[1]);
    QVERIFY(windows[2]->font().pointSizeF() >= 1.3 * designed[2]);
    Settings().SetViewScale(100);
    for (int k = 0; k < windows.size(); ++k) QCOMPARE(windows[k]->font().pointSizeF(), designed[k]);
    Settings().SetShowCentre(true), Settings().SetShowCentre(true);   // an option likewise, once
    QCOMPARE(display.count(), 1);
    // The main window hands on the scale it shows the scene at.
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().ViewScale(), int16_t(125));
    QCOMPARE(windows[0]->font().pointSizeF(), 1.25 * designed[0]);
    for (QWidget* w : windows) w->close();
}

#include "test_graphs.moc"
