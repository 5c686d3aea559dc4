// The Values window in the running program: every cell the engine's value at
// each t, forward and back, its totals TotalsOf's; the momenta diagram's
// total and each collision's pair sums; copy and export; the menu entry.
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "../../../bench/common.h"
#include "../main/mainwindowfixture.h"
#include "appstate.h"
#include "displaysettings.h"
#include "numberformat.h"
#include "totals.h"
#include "values/bowlvaluesmodel.h"
#include "values/f_values.h"
#include "values/momentadiagram.h"

using namespace vintrop;
using Col = BowlValuesModel::Column;

class TestValues : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void viewEntryFollowsGraphsWithAShortcutOfItsOwn();
    void everyCellIsTheEnginesForwardBackAndAfterLoads();
    void diagramTotalIsTheTotalsAndEachPairKeepsItsSum();
    void copiesAndExportsTheRowsAndReportsAFailedWrite();
    void everyBowlAtTheLimit();
    void refreshesOncePerReportedChangeAndNeverOtherwise();

private:
    F_VALUES* Open() {
        m_F.Trigger("MN_VIEW_VALUES");
        return m_F.Window().findChild<F_VALUES*>();
    }
    void Load(const char* lesson) {
        QString path = QStringLiteral(VINTROP_EXAMPLES_DIR "/") + QLatin1String(lesson);
        QVERIFY(m_F.Window().Document().LoadScenario(path));
    }
    // Every cell against the engine's own values, the last two rows
    // against TotalsOf and CentreOfMassOf.
    void ExpectTheEngine(const BowlValuesModel& model) {
        const CEnvEng& e = m_F.Engine();
        QCOMPARE(model.rowCount(), e.BowlCount() + 2);
        for (int i = 1; i <= e.BowlCount(); ++i) {
            const CBowl& b = e.GetBowl(i);
            const double m = b.M(), vx = b.Vx, vy = b.Vy;
            const QStringList want = {fmt::Integer(b.Id), fmt::General(b.M()), fmt::Fixed(b.x), fmt::Fixed(b.y),
                                      fmt::Fixed(b.Vx), fmt::Fixed(b.Vy), fmt::Fixed(m * vx), fmt::Fixed(m * vy),
                                      fmt::Fixed((vx * vx + vy * vy) * (0.5 * m))};
            for (int c = 0; c < Col::kColumnCount; ++c)
                QCOMPARE(model.data(model.index(i - 1, c)).toString(), want[c]);
            QCOMPARE(model.data(model.index(i - 1, Col::Number), Qt::BackgroundRole).value<QColor>(),
                     testing::MainWindowFixture::ColorOf(b));
        }
        const Totals sum = TotalsOf(e);
        const CentreOfMass cm = CentreOfMassOf(e);
        const int tr = model.TotalsRow(), cr = model.CentreRow();
        QCOMPARE(model.Value(tr, Col::Px), sum.px);
        QCOMPARE(model.Value(tr, Col::Py), sum.py);
        QCOMPARE(model.Value(tr, Col::Energy), sum.energy);
        QCOMPARE(model.Value(tr, Col::Mass), cm.mass);
        QCOMPARE(model.Text(tr, Col::Energy), fmt::Fixed(sum.energy));
        QCOMPARE(model.Text(cr, Col::X), cm.valid ? fmt::Fixed(cm.x) : QString());
        if (cm.valid) QCOMPARE(model.Value(cr, Col::Vy), cm.vy);
    }

    testing::MainWindowFixture m_F;
};

void TestValues::viewEntryFollowsGraphsWithAShortcutOfItsOwn() {
    const QList<QAction*> view = m_F.Find<QMenu>("MN_VIEW")->actions();
    const qsizetype graphs = view.indexOf(m_F.Action("MN_VIEW_GRAPHS"));
    QCOMPARE(view.value(graphs + 1), m_F.Action("MN_VIEW_VALUES"));
    QCOMPARE(m_F.Action("MN_VIEW_VALUES")->text(), QStringLiteral("&Values"));
    const QKeySequence key = m_F.Action("MN_VIEW_VALUES")->shortcut();
    QVERIFY(!key.isEmpty());
    for (QAction* a : m_F.Window().findChildren<QAction*>())
        if (a != m_F.Action("MN_VIEW_VALUES")) QVERIFY2(!a->shortcuts().contains(key), qPrintable(a->objectName()));
    // One window, however often asked for.
    Open();
    F_VALUES* values = Open();
    QCOMPARE(m_F.Window().findChildren<F_VALUES*>().size(), 1);
    // Its text follows the scene's scale.
    const qreal designed = values->font().pointSizeF();
    Settings().SetViewScale(300);
    auto* table = values->findChild<QTableView*>("lvw_Values");
    QVERIFY(table->font().pointSizeF() >= 2.9 * designed);
    Settings().SetViewScale(100);
}

void TestValues::everyCellIsTheEnginesForwardBackAndAfterLoads() {
    Load("gas-of-bowls.vintrop");
    F_VALUES* values = Open();
    QVERIFY(values && values->isVisible());
    QAbstractItemModelTester tester(const_cast<BowlValuesModel*>(&values->Model()),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    // name, command, how many times
    const struct {
        const char* command;
        int times;
    } moves[] = {{"MN_COND_STEP", 7}, {"MN_COND_STEP", 60}, {"MN_COND_BACK", 3}, {"MN_COND_STEP", 1},
                 {"MN_COND_BACK", 20}, {"MN_COND_REW", 1}, {"MN_COND_STEP", 2}, {"MN_FILE_NEW", 1}};
    for (const auto& move : moves) {
        for (int k = 0; k < move.times; ++k) m_F.Trigger(move.command);
        values->ShowLatest();
        ExpectTheEngine(values->Model());
    }
    // A load, and an edit at t = 0 that leaves the totals as they were: the
    // next refresh shows them with no help.
    Load("gas-of-bowls.vintrop");
    QTRY_COMPARE(values->Model().rowCount(), m_F.Engine().BowlCount() + 2);
    m_F.Engine().GetBowl(2).x += 100;
    m_F.Engine().Touch();   // as every editor does after changing a bowl through its reference
    m_F.Window().ManualRefresh();
    const BowlValuesModel& model = values->Model();
    QTRY_COMPARE(model.Text(model.CentreRow(), Col::X), fmt::Fixed(CentreOfMassOf(m_F.Engine()).x));
    ExpectTheEngine(values->Model());
}

void TestValues::diagramTotalIsTheTotalsAndEachPairKeepsItsSum() {
    Load("equal-masses-head-on.vintrop");   // the pair meets at step 52
    F_VALUES* values = Open();
    for (int k = 0; k < 53; ++k) m_F.Trigger("MN_COND_STEP");
    values->ShowLatest();
    const auto& shown = values->Pairs().Shown();
    QCOMPARE(shown.size(), size_t(1));
    const PairCollision& c = shown.front();
    QCOMPARE(c.t, 53);
    QVERIFY(c.before1 != c.after1);   // the momenta did change hands
    for (const QPointF d : {c.SumAfter() - c.SumBefore(), c.SumBefore() - QPointF(6000, 0)})
        QVERIFY2(std::abs(d.x()) < 1e-3 && std::abs(d.y()) < 1e-3, "the pair's sum is kept");
    // A back step to before it takes it away, as the rewind does.
    m_F.Trigger("MN_COND_STEP");
    m_F.Trigger("MN_COND_BACK");
    values->ShowLatest();
    QCOMPARE(values->Pairs().Shown().size(), size_t(1));
    m_F.Trigger("MN_COND_BACK");
    m_F.Trigger("MN_COND_BACK");
    QCOMPARE(m_F.Engine().t, 51);
    values->ShowLatest();
    for (const PairCollision& pair : values->Pairs().Shown()) QVERIFY(pair.t <= 51);
    m_F.Trigger("MN_COND_REW");
    values->ShowLatest();
    QVERIFY(values->Pairs().Shown().empty());

    // Past three pairs the diagram keeps the newest, newest first: the
    // pairs as the engine reported them, heard by a listener of its own.
    struct Heard : IEngineListener {
        QList<QPair<int, int>> pairs;
        void AfterCollision(const CBowl& b1, const CBowl& b2) override {
            const QPair<int, int> pair(b1.Id, b2.Id);
            pairs.removeAll(pair);
            pairs.prepend(pair);
        }
    } heard;
    Load("row-struck-at-one-end.vintrop");
    m_F.Engine().Attach(&heard);
    while (heard.pairs.size() < 4 && m_F.Engine().t < 2000) m_F.Trigger("MN_COND_STEP");
    m_F.Engine().Detach(&heard);
    values->ShowLatest();
    QVERIFY(heard.pairs.size() > 3);
    QCOMPARE(values->Pairs().Shown().size(), size_t(3));
    for (int k = 0; k < 3; ++k) {
        const PairCollision& pair = values->Pairs().Shown()[std::size_t(k)];
        const QPair<int, int> shown(pair.id1, pair.id2);
        QCOMPARE(shown, heard.pairs[k]);
    }

    // The chain ends at the total, which is TotalsOf's, drawn bowl by bowl
    // or with the rest summarised.
    Load("gas-of-bowls.vintrop");
    for (int k = 0; k < 40; ++k) m_F.Trigger("MN_COND_STEP");
    const Totals sum = TotalsOf(m_F.Engine());
    for (const int limit : {MomentaPicture::kChainLimit, 5}) {
        const MomentaPicture p = MomentaPicture::Of(m_F.Engine(), limit);
        QCOMPARE(p.total, QPointF(sum.px, sum.py));
        QCOMPARE(p.chain.back().to, p.total);
        QCOMPARE(p.summarised, std::max(0, m_F.Engine().BowlCount() - limit));
        for (std::size_t k = 1; k < p.chain.size(); ++k) QCOMPARE(p.chain[k].from, p.chain[k - 1].to);
    }
}

void TestValues::copiesAndExportsTheRowsAndReportsAFailedWrite() {
    Load("equal-masses-head-on.vintrop");
    F_VALUES* values = Open();
    for (int k = 0; k < 5; ++k) m_F.Trigger("MN_COND_STEP");
    values->ShowLatest();
    auto* table = testing::Child<QTableView>(values, "lvw_Values");
    table->selectRow(1);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);   // the header, the row, the final line end
    QCOMPARE(lines[1].split(QLatin1Char('\t')).value(Col::X), values->Model().Text(1, Col::X));

    QTemporaryDir dir;
    const QString csv = dir.filePath("values.csv");
    Prompt::ScriptFileName(csv);
    testing::Child<QPushButton>(values, "bt_ExportCsv")->click();
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    QCOMPARE(rows.size(), m_F.Engine().BowlCount() + 4);   // header, bowls, total, centre, end
    QCOMPARE(rows[m_F.Engine().BowlCount() + 1].split(',').value(Col::Px).toDouble(), TotalsOf(m_F.Engine()).px);

    // A name that is a folder cannot be written.
    QVERIFY(QDir(dir.path()).mkdir("taken.csv"));
    Prompt::ClearLog();
    Prompt::ScriptFileName(dir.filePath("taken.csv"));
    testing::Child<QPushButton>(values, "bt_ExportCsv")->click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore scrittura File")});
}

void TestValues::everyBowlAtTheLimit() {
    // As many bowls as a scenario holds: every row, every cell and the
    // totals, and a copy of them all.
    CEnvEng& e = m_F.Engine();
    bench::FillBox(e, 32767, e.MaxX, e.MaxY);
    m_F.Window().ManualRefresh();
    F_VALUES* values = Open();
    values->ShowLatest();
    ExpectTheEngine(values->Model());
    QCOMPARE(values->RowsAsTabText({}).count(QLatin1Char('\n')), 32767 + 3);
    values->close();
}

// Brought up to date once after the changes reported before the next screen
// refresh, never while nothing changes. The totals and the centre of mass,
// unlike the bowls' rows, are taken at a refresh: they tell whether one came.
void TestValues::refreshesOncePerReportedChangeAndNeverOtherwise() {
    m_F.AddBowl(10, 1500, 1500, 30, 0);
    CBowl& second = m_F.AddBowl(20, 4500, 1500, -10, 5);
    F_VALUES* values = Open();
    const BowlValuesModel& model = values->Model();
    const auto shownIsTheEngine = [&] {
        const CBowl &a = m_F.Engine().GetBowl(1), &b = second;
        return model.Value(0, Col::X) == a.x && model.Value(1, Col::X) == b.x && model.Value(1, Col::Vy) == b.Vy &&
               qFuzzyCompare(model.Value(model.CentreRow(), Col::X), (10.0 * a.x + 20.0 * b.x) / 30) &&
               qFuzzyCompare(model.Value(model.CentreRow(), Col::Y), (10.0 * a.y + 20.0 * b.y) / 30) &&
               qFuzzyCompare(model.Value(model.TotalsRow(), Col::Px), 10.0 * a.Vx + 20.0 * b.Vx);
    };
    const int opened = values->Refreshes();
    QTest::qWait(150);
    QCOMPARE(values->Refreshes(), opened);
    // A step; three edits through a bowl's reference, each reported; a rewind;
    // bowl 1 moved with the keys on the drawing area (Tab selects it).
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    area->setFocus();
    const std::function<void()> changes[] = {
        [&] { m_F.Trigger("MN_COND_STEP"); },
        [&] { for (int k = 0; k < 3; ++k) second.SetXo(second.Xo() + 100), m_F.Engine().Touch(); },
        [&] { m_F.Trigger("MN_COND_REW"); },
        [&] { QTest::keyClick(area, Qt::Key_Tab), QTest::keyClick(area, Qt::Key_Down, Qt::ShiftModifier); }};
    for (const auto& change : changes) {
        const int before = values->Refreshes();
        change();
        QTRY_COMPARE(values->Refreshes(), before + 1);
        QTest::qWait(50);
        QCOMPARE(values->Refreshes(), before + 1);
        QVERIFY(shownIsTheEngine());
    }
    values->close();
}

QTEST_MAIN(TestValues)
#include "test_values.moc"
