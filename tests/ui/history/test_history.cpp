// The collision history window: rows and formats, counter and panels, the
// row cap, hiding instead of closing, and copy/export.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <csignal>
#include <limits>
#include <memory>

#include "numberformat.h"
#include "../common/forkedchild.h"
#include "bowl.h"
#include "clock.h"
#include "appstate.h"
#include "displaysettings.h"
#include "envengine.h"
#include <QAbstractItemModelTester>

#include "history/collisiontablemodel.h"
#include "history/f_history.h"
#include "numberformat.h"
#include "prompt.h"
#include "scenarioinput.h"
#include "vintroperror.h"
#include "windowentries.h"

using namespace vintrop;

namespace {
struct OwnerWindow : QWidget, IOwnerWindow {};

const QStringList kHeaders = {"t",   "B1",  "B2",  "m1",          "v1x",        "v1y",
                              "m2",  "v2x", "v2y", "m1v1x+m2v2x", "m1v1y+m2v2y"};
} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;
    std::unique_ptr<F_HISTORY> m_Window;

    QStringList Cells(int row) const {
        QStringList cells;
        const auto& model = m_Window->Model();
        for (int c = 0; c < model.columnCount(); ++c) cells << model.data(model.index(row, c)).toString();
        return cells;
    }
    // A panel as the next refresh shows it.
    QString Panel(const char* name) const {
        m_Window->ShowPending();
        return m_Window->findChild<QLabel*>(name)->text();
    }
    int Rows() const { return m_Window->Model().rowCount(); }

    // One logged collision of bowls 1 and 2 as the engine would report it.
    void Collide(int32_t t) {
        CBowl& b1 = m_Engine->GetBowl(1);
        CBowl& b2 = m_Engine->GetBowl(2);
        m_Engine->t = t;
        m_Window->BeforeCollision(b1, b2);
        m_Window->AfterCollision(b1, b2);
        m_Window->AdvanceCompleted();   // the step that found the collision ends
    }
    void AddPair() {
        m_Engine->AddBowl(10, 1000, 1000, 3, 0);
        m_Engine->AddBowl(5, 2000, 1000, 0, 0);
    }
    // Two bowls that meet within a few steps of a real engine.
    void AddApproachingPair() {
        m_Engine->MaxX = 20000;
        m_Engine->MaxY = 20000;
        m_Engine->AddBowl(10, 2000, 3000, 50, 0);
        m_Engine->AddBowl(5, 2400, 3000, 0, 0);
    }
    // Real steps until the table holds `rows` rows; false when a step fails
    // or they do not come within a few hundred steps.
    bool StepUntilRows(int rows) {
        try {
            for (int i = 0; i < 400 && Rows() < rows; ++i) m_Engine->Advance();
        } catch (const VintropError& e) {
            qWarning("step failed: %s", e.UserText().c_str());
            return false;
        }
        return Rows() == rows;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init() {
        Prompt::StartScripting();
        m_Engine = std::make_unique<CEnvEng>();
        m_Engine->init(m_Clock);
        m_Window = std::make_unique<F_HISTORY>();
    }

    void cleanup() {
        m_Window.reset();
        m_Engine.reset();
        Settings().ResetToStart();
        QApplication::clipboard()->clear();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Above 100 % the text follows the scene's scale and the window grows
    // with it; at any scale the user may enlarge it and the columns share
    // the table's width as designed.
    void textFollowsTheSceneScaleAndTheWindowGrows() {
        m_Window->init(*m_Engine);
        m_Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Window.get()));
        const QSize designed = m_Window->size();
        auto* table = m_Window->findChild<QTreeView*>(QStringLiteral("lvw_Collision"));
        const auto share = [table](int column) { return double(table->header()->sectionSize(column)) / table->width(); };
        const double designedShare = share(0);
        QCOMPARE(table->font().pointSizeF(), 8.25);
        QVERIFY(m_Window->maximumWidth() > designed.width());

        Settings().SetViewScale(300);   // as the main window sets it; the window follows at once
        QCOMPARE(table->font().pointSizeF(), 3 * 8.25);
        QCOMPARE(m_Window->font().pointSizeF(), 3 * 8.25);
        // As large as three times the design, within the screen.
        const QSize screen = m_Window->screen()->availableGeometry().size();
        QCOMPARE(m_Window->size(), (designed * 3).boundedTo(screen));
        const int tableWidth = table->width();
        m_Window->resize(m_Window->width() + 400, m_Window->height());
        QCOMPARE(table->width(), tableWidth + 400);
        QVERIFY(std::abs(share(0) - designedShare) < 0.01);
    }

    void exampleCollisionGivesBeforeAndAfterRows() {
        AddPair();
        m_Window->init(*m_Engine);
        CBowl& b1 = m_Engine->GetBowl(1);
        CBowl& b2 = m_Engine->GetBowl(2);
        m_Engine->t = 57;
        m_Window->BeforeCollision(b1, b2);
        b1.Vx = 1;
        b2.Vx = 4;
        m_Window->AfterCollision(b1, b2);
        m_Window->AdvanceCompleted();

        QCOMPARE(m_Window->Model().Headers(), kHeaders);
        QCOMPARE(Rows(), 2);
        QCOMPARE(Cells(0), QStringList({"57", "1", "2", "10", "3.00", "0.00", "5", "0.00", "0.00", "30.00", "0.00"}));
        QCOMPARE(Cells(1), QStringList({"-", "-", "-", " - ", "1.00", "0.00", " - ", "4.00", "0.00", "30.00", "0.00"}));
        // Energy as it was before the response: 1/2 * 10 * 3^2.
        QCOMPARE(Panel("PNL_EN_CIN_TOT"), QString("45.00"));
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("1"));
    }

    void valuesAreFormattedPerColumn_data() {
        QTest::addColumn<float>("m1");
        QTest::addColumn<float>("v1x");
        QTest::addColumn<float>("v1y");
        QTest::addColumn<float>("v2x");
        QTest::addColumn<QStringList>("expected");   // m1, v1x, v1y, v2x, sum x, sum y
        QTest::newRow("whole mass without decimals, velocity with two")
            << 10.f << 2.5f << 0.f << 0.f << QStringList{"10", "2.50", "0.00", "0.00", "25.00", "0.00"};
        QTest::newRow("negative components keep their sign")
            << 2.f << -3.f << -0.25f << 0.f << QStringList{"2", "-3.00", "-0.25", "0.00", "-6.00", "-0.50"};
        QTest::newRow("thousands are grouped")
            << 1.f << 1234.5f << 0.f << 0.f << QStringList{"1", "1,234.50", "0.00", "0.00", "1,234.50", "0.00"};
        QTest::newRow("mass beyond seven digits in exponent form")
            << 12345678.f << 0.f << 0.f << 0.f << QStringList{"1.234568E+07", "0.00", "0.00", "0.00", "0.00", "0.00"};
        QTest::newRow("mass just below ten million in full")
            << 9999999.f << 0.f << 0.f << 0.f << QStringList{"9999999", "0.00", "0.00", "0.00", "0.00", "0.00"};
        // 2.675f + 6e-8f is 2.67500001 in double (2.68) but 2.6749999 as a float.
        QTest::newRow("sum rounded to a float before formatting")
            << 1.f << 2.675f << 0.f << 6e-8f << QStringList{"1", "2.67", "0.00", "0.00", "2.67", "0.00"};
        QTest::newRow("tiny negative sum is not minus zero")
            << 1.f << -0.001f << 0.f << 0.f << QStringList{"1", "0.00", "0.00", "0.00", "0.00", "0.00"};
    }
    void valuesAreFormattedPerColumn() {
        QFETCH(float, m1);
        QFETCH(float, v1x);
        QFETCH(float, v1y);
        QFETCH(float, v2x);
        QFETCH(QStringList, expected);
        CBowl b1, b2;
        b1.SetM(m1);
        b1.Vx = v1x;
        b1.Vy = v1y;
        b2.SetM(1);
        b2.Vx = v2x;
        m_Window->init(*m_Engine);
        m_Window->BeforeCollision(b1, b2);
        const QStringList cells = Cells(0);
        QCOMPARE(QStringList({cells[3], cells[4], cells[5], cells[7], cells[9], cells[10]}), expected);
    }

    void sumOutOfFloatRangeLeavesRowUnfinishedAndUncounted_data() {
        QTest::addColumn<float>("vx");
        QTest::addColumn<float>("vy");
        QTest::addColumn<int>("filledBefore");
        QTest::newRow("x sum overflows") << 3e37f << 0.f << 9;
        QTest::newRow("y sum overflows") << 0.f << 3e37f << 10;
    }
    void sumOutOfFloatRangeLeavesRowUnfinishedAndUncounted() {
        QFETCH(float, vx);
        QFETCH(float, vy);
        QFETCH(int, filledBefore);
        m_Engine->AddBowl(30000, 1000, 1000, vx, vy);
        m_Engine->AddBowl(5, 2000, 1000, 0, 0);
        m_Window->init(*m_Engine);
        Collide(3);

        QCOMPARE(Rows(), 2);
        for (int row : {0, 1}) {
            const QStringList cells = Cells(row);
            for (int c = 0; c < cells.size(); ++c)
                QVERIFY2(cells[c].isEmpty() == (c >= filledBefore), qPrintable(QString("row %1 column %2").arg(row).arg(c)));
        }
        QCOMPARE(m_Window->TotCollisions(), 0);
        QVERIFY(Panel("PNL_TOT_COLLISIONI").isEmpty());

        // The next, ordinary collision is counted as the first.
        m_Engine->GetBowl(1).Vx = 1;
        m_Engine->GetBowl(1).Vy = 1;
        Collide(4);
        QCOMPARE(Cells(2).count(QString()), 0);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("1"));
    }

    void energyPanelIsExactlyTheTotalBeforeTheLastCollisionOfAStep() {
        // A crowd in a small box: many collisions per step, walls flipping
        // velocities after them. The panel must show, to the bit, what the
        // engine's total was when the step's last collision was logged.
        struct EnergyAtCollision : IEngineListener {
            CEnvEng* engine = nullptr;
            double last = -1;
            int collisions = 0;
            void BeforeCollision(const CBowl&, const CBowl&) override {
                last = engine->EnCinTot();
                ++collisions;
            }
        } probe;
        probe.engine = m_Engine.get();
        m_Engine->MaxX = 2400;
        m_Engine->MaxY = 1800;
        for (int k = 0; k < 24; ++k)
            m_Engine->AddBowl(static_cast<int16_t>(1 + k % 7), 200.0f + (k % 6) * 380, 200.0f + (k / 6) * 380,
                              static_cast<float>((k * 37) % 61 - 30), static_cast<float>((k * 53) % 47 - 23));
        m_Engine->Attach(&probe);
        m_Window->init(*m_Engine);
        int stepsWithCollisions = 0;
        for (int step = 0; step < 60; ++step) {
            const int before = probe.collisions;
            m_Engine->Advance();
            if (probe.collisions == before) continue;
            ++stepsWithCollisions;
            QCOMPARE(Panel("PNL_EN_CIN_TOT"), fmt::Fixed(probe.last));
            QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString::number(probe.collisions));
        }
        QVERIFY(stepsWithCollisions > 5);
        m_Engine->Detach(&probe);
    }

    void counterAtItsLimitReportsOverflowOnce() {
        // Two bowls in a narrow box: they meet, the lighter one comes back
        // from the wall, and so on, so the collisions come from real steps.
        constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
        const QString overflow = QString::fromStdString(err::Make(err::Overflow).UserText());
        m_Engine->MaxX = 3000;
        m_Engine->MaxY = 6000;
        m_Engine->AddBowl(10, 2000, 3000, 50, 0);
        m_Engine->AddBowl(5, 2400, 3000, 0, 0);
        m_Window->init(*m_Engine);

        // The last increment that fits is counted without a word.
        m_Window->SetTotCollisionsForTest(kMax - 1);
        QVERIFY(StepUntilRows(2));
        QCOMPARE(m_Window->TotCollisions(), kMax);
        QVERIFY(Prompt::ShownMessages().empty());

        // Beyond it: the overflow error once, the counter stays, the run goes
        // on. The message waits until the step has finished (its after row is
        // in), so its event loop cannot run the engine from inside a step.
        int rowsWhenShown = -1;
        Prompt::SetOnMessage([&](const Prompt::Shown&) { rowsWhenShown = Rows(); });
        const auto unhook = qScopeGuard([] { Prompt::SetOnMessage({}); });
        QVERIFY(StepUntilRows(4));
        QCoreApplication::processEvents();
        QCOMPARE(Prompt::ShownTexts(), QStringList{overflow});
        QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
        QCOMPARE(rowsWhenShown, 4);
        QVERIFY(StepUntilRows(6));
        QCoreApplication::processEvents();
        QCOMPARE(Prompt::ShownTexts(), QStringList{overflow});
        QCOMPARE(m_Window->TotCollisions(), kMax);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("2147483647"));
        QCOMPARE(Rows(), 6);

        // Clear starts a new count, which may overflow (and be reported) again.
        m_Window->findChild<QToolButton*>("BT_CLEAR")->click();
        m_Window->SetTotCollisionsForTest(kMax);
        Collide(100);
        Collide(101);
        QCoreApplication::processEvents();
        QCOMPARE(Prompt::ShownTexts(), QStringList({overflow, overflow}));

        // And so does init.
        m_Window->init(*m_Engine);
        m_Window->SetTotCollisionsForTest(kMax);
        Collide(102);
        Collide(103);
        QCoreApplication::processEvents();
        QCOMPARE(Prompt::ShownTexts(), QStringList({overflow, overflow, overflow}));
        QCOMPARE(m_Window->TotCollisions(), kMax);
    }

    void panelsAroundInitAndClear() {
        AddPair();
        m_Window->init(*m_Engine);
        QVERIFY(Panel("PNL_EN_CIN_TOT").isEmpty());
        QVERIFY(Panel("PNL_TOT_COLLISIONI").isEmpty());
        QCOMPARE(Panel("lbl_EnCinCaption"), QString("(1/2 MV^2)t = "));
        QCOMPARE(Panel("lbl_TotCollisionsCaption"), QString("Tot. Collisions = "));

        Collide(1);
        Collide(2);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("2"));

        // Clear: no rows, counter 0, the energy as it is now.
        m_Engine->GetBowl(1).Vx = 100;   // 1/2 * 10 * 100^2
        m_Window->findChild<QToolButton*>("BT_CLEAR")->click();
        QCOMPARE(Rows(), 0);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("0"));
        QCOMPARE(Panel("PNL_EN_CIN_TOT"), QString("50,000.00"));

        // Clear on an empty table leaves it empty and still refreshes.
        m_Engine->GetBowl(1).Vx = 0;
        m_Window->Reset();
        QCOMPARE(Rows(), 0);
        QCOMPARE(Panel("PNL_EN_CIN_TOT"), QString("0.00"));
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("0"));
    }

    void initAgainKeepsRowsAndRestartsTheCount() {
        AddApproachingPair();
        m_Window->init(*m_Engine);
        Collide(1);
        Collide(2);
        QCOMPARE(Rows(), 4);

        m_Window->init(*m_Engine);
        QCOMPARE(Rows(), 4);
        QCOMPARE(m_Window->Model().Headers(), kHeaders);
        QCOMPARE(m_Window->TotCollisions(), 0);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("2"));   // untouched until the next collision

        // Bound once only: a real collision adds exactly one pair.
        QVERIFY(StepUntilRows(6));
        QCOMPARE(Rows(), 6);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("1"));
    }

    void terminateUnbindsAndDiscardsRows() {
        AddApproachingPair();
        m_Window->init(*m_Engine);
        Collide(1);
        m_Window->Terminate();
        QVERIFY(!m_Window->Active());
        QCOMPARE(Rows(), 0);

        // No longer listening: a real collision adds nothing.
        for (int i = 0; i < 20; ++i) m_Engine->Advance();
        QCOMPARE(Rows(), 0);

        // A later init starts from an empty window.
        m_Window->init(*m_Engine);
        QVERIFY(m_Window->Active());
        QVERIFY(Panel("PNL_TOT_COLLISIONI").isEmpty());
        QCOMPARE(m_Window->Model().Headers(), kHeaders);
    }

    void rowCapDropsTheOldestPair_data() {
        QTest::addColumn<int>("collisions");
        QTest::addColumn<int>("publishEvery");   // rows reach the view every n collisions; 0: once at the end
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstT");
        for (int every : {1, 7, 0}) {
            const QByteArray how = every == 1 ? " (each shown at once)" : every == 0 ? " (one batch)" : " (batches of 7)";
            QTest::newRow("500 collisions fill 1000 rows" + how) << 500 << every << 1000 << "1";
            QTest::newRow("the 501st still fits" + how) << 501 << every << 1002 << "1";
            QTest::newRow("the 502nd drops the first pair" + how) << 502 << every << 1002 << "2";
            QTest::newRow("and so on" + how) << 503 << every << 1002 << "3";
            QTest::newRow("twice the cap" + how) << 1100 << every << 1002 << "600";
        }
    }
    void rowCapDropsTheOldestPair() {
        QFETCH(int, collisions);
        QFETCH(int, publishEvery);
        QFETCH(int, rows);
        QFETCH(QString, firstT);
        AddPair();
        m_Window->init(*m_Engine);
        for (int k = 1; k <= collisions; ++k) {
            Collide(k);
            if (publishEvery > 0 && k % publishEvery == 0) Rows();
        }
        QCOMPARE(Rows(), rows);
        QCOMPARE(Cells(0)[0], firstT);
        QCOMPARE(Cells(1)[0], QString("-"));                       // pairs stay whole
        QCOMPARE(Cells(rows - 2)[0], QString::number(collisions)); // newest pair last
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString::number(collisions));
    }

    void hiddenWindowCatchesUpWithMoreThanATable() {
        // A full table hidden, more than a table's worth of collisions, shown
        // again: the oldest rows dropped and the new ones added as the view
        // (checked by Qt's model tester throughout) is told.
        AddPair();
        m_Window->init(*m_Engine);
        QAbstractItemModelTester tester(const_cast<CollisionTableModel*>(&m_Window->Model()),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        OwnerWindow owner;
        m_Window->Show(&owner);
        for (int k = 1; k <= 600; ++k) Collide(k);
        QTRY_COMPARE(m_Window->findChild<QTreeView*>("lvw_Collision")->model()->rowCount(), 1002);
        m_Window->Hide();
        for (int k = 601; k <= 1300; ++k) Collide(k);
        m_Window->Show(&owner);
        QCOMPARE(Rows(), 1002);
        QCOMPARE(Cells(0)[0], QString("800"));
        QCOMPARE(Cells(1000)[0], QString("1300"));
        m_Window->Hide();
    }

    void aBurstOfCollisionsReachesTheTableAsOneChange() {
        // Thousands of collisions a second cannot each redraw the table (and
        // each tell a screen reader); a burst arrives at the next refresh.
        AddPair();
        m_Window->init(*m_Engine);
        OwnerWindow owner;
        m_Window->Show(&owner);
        auto* table = m_Window->findChild<QTreeView*>("lvw_Collision");
        QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(table->model(), &QAbstractItemModel::rowsRemoved);
        auto* counter = m_Window->findChild<QLabel*>("PNL_TOT_COLLISIONI");
        for (int k = 1; k <= 600; ++k) Collide(k);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(counter->text(), QString());   // the panels wait for the refresh too
        QTRY_COMPARE(inserted.count(), 1);
        QCOMPARE(counter->text(), QString("600"));
        QCOMPARE(table->model()->rowCount(), 1002);
        QCOMPARE(removed.count(), 0);   // the oldest rows went before the table saw them
        QCOMPARE(table->model()->index(0, 0).data().toString(), QString("100"));
        // The newest rows are scrolled into view.
        QTRY_VERIFY(table->visualRect(table->model()->index(1001, 0)).intersects(table->viewport()->rect()));
        m_Window->Hide();
    }

    void closeRequestsOnlyHideWhileBound_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close";
        QTest::newRow("Close button") << "BT_EXIT";
        QTest::newRow("Esc on the table") << "esc";
        QTest::newRow("Enter on the table") << "return";
        QTest::newRow("keypad Enter on the table") << "enter";
    }
    void closeRequestsOnlyHideWhileBound() {
        QFETCH(QString, how);
        AddPair();
        m_Window->init(*m_Engine);
        OwnerWindow owner;
        owner.show();
        m_Window->Show(&owner);
        QVERIFY(m_Window->isVisible());
        QVERIFY(!m_Window->isModal());
        QCOMPARE(m_Window->parentWidget(), &owner);
        Collide(1);

        auto* table = m_Window->findChild<QTreeView*>("lvw_Collision");
        table->setFocus();
        QTest::keyClick(table, Qt::Key_A);   // other keys mean nothing
        QVERIFY(m_Window->isVisible());

        if (how == "close") m_Window->close();
        if (how == "BT_EXIT") m_Window->findChild<QToolButton*>("BT_EXIT")->click();
        if (how == "esc") QTest::keyClick(table, Qt::Key_Escape);
        if (how == "return") QTest::keyClick(table, Qt::Key_Return);
        if (how == "enter") QTest::keyClick(table, Qt::Key_Enter);
        QVERIFY(!m_Window->isVisible());
        QVERIFY(m_Window->Active());

        // Logged while hidden, shown again with everything.
        Collide(2);
        m_Window->Show(&owner);
        QVERIFY(m_Window->isVisible());
        QCOMPARE(Rows(), 4);
        QCOMPARE(Panel("PNL_TOT_COLLISIONI"), QString("2"));
    }

    void showWithoutOwnerIsModal() {
        AddPair();
        m_Window->init(*m_Engine);
        bool wasModal = false;
        QTimer::singleShot(0, this, [&] {
            wasModal = QApplication::activeModalWidget() == m_Window.get();
            Collide(9);   // the engine keeps ticking under a modal window
            QTest::keyClick(m_Window.get(), Qt::Key_Escape);
        });
        m_Window->Show(nullptr);
        QVERIFY(wasModal);
        QVERIFY(!m_Window->isVisible());
        QVERIFY(!m_Window->parentWidget());
        QCOMPARE(Rows(), 2);
    }

    void aboutButtonOpensTheAboutBoxModal() {
        m_Window->init(*m_Engine);
        QString title;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            title = modal->windowTitle();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        m_Window->findChild<QToolButton*>("BT_ABOUT")->click();
        QCOMPARE(title, QString("About Vintrop"));
    }

    void firstShowingIsCentredOnTheScreen() {
        m_Window->init(*m_Engine);
        OwnerWindow owner;
        owner.move(0, 0);
        owner.show();
        m_Window->Show(&owner);
        // Centred before the frame was known: off by at most the frame's width.
        const QRect screen = m_Window->screen()->geometry();
        QVERIFY(qAbs(m_Window->geometry().center().x() - screen.center().x()) <= 3);
        QVERIFY(qAbs(m_Window->geometry().center().y() - screen.center().y()) <= 3);
    }

    void centredAgainAfterTheLogWasSwitchedOffAndOn() {
        m_Engine->SetHistoryFactory(&CreateHistoryWindow);
        m_Engine->KeepHistory(-1);
        F_HISTORY* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<F_HISTORY*>(w); h && h != m_Window.get()) window = h;
        QVERIFY(window);
        auto centred = [window] {
            const QRect screen = window->screen()->geometry();
            const QPoint offset = window->geometry().center() - screen.center();
            return qAbs(offset.x()) <= 3 && qAbs(offset.y()) <= 3;
        };
        OwnerWindow owner;
        owner.show();
        m_Engine->ShowHistory(&owner);
        QVERIFY(centred());

        // Moved by the user: hiding and showing again keeps the place.
        window->move(10, 20);
        m_Engine->HideHistory();
        m_Engine->ShowHistory(&owner);
        QCOMPARE(window->pos(), QPoint(10, 20));
        QVERIFY(!centred());
        // The log set on again while on (the options confirmed): the same.
        m_Engine->HideHistory();
        m_Engine->KeepHistory(-1);
        m_Engine->ShowHistory(&owner);
        QCOMPARE(window->pos(), QPoint(10, 20));

        // The log switched off and on: its next showing is centred again.
        m_Engine->HideHistory();
        m_Engine->KeepHistory(0);
        m_Engine->KeepHistory(-1);
        m_Engine->ShowHistory(&owner);
        QVERIFY(window->isVisible());
        QVERIFY(centred());
    }

    void ownerGoingFirstLeavesTheWindowToTheEngine() {
        AddPair();
        m_Window->init(*m_Engine);
        auto* owner = new OwnerWindow;
        m_Window->Show(owner);
        delete owner;
        // Still alive and still logging; destroyed later by its real owner.
        QVERIFY(!m_Window->parentWidget());
        Collide(1);
        QCOMPARE(Rows(), 2);
    }

    void engineOwnsItsHistoryWindow() {
        m_Engine->SetHistoryFactory(&CreateHistoryWindow);
        AddApproachingPair();
        m_Engine->KeepHistory(-1);
        F_HISTORY* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<F_HISTORY*>(w); h && h != m_Window.get()) window = h;
        QVERIFY(window);
        QVERIFY(window->Active());

        for (int i = 0; i < 40 && window->Model().rowCount() < 2; ++i) m_Engine->Advance();
        QCOMPARE(window->Model().rowCount(), 2);
        const auto& model = window->Model();
        auto cell = [&](int r, int c) { return model.data(model.index(r, c)).toString(); };
        QCOMPARE(cell(0, 1), QString("1"));
        QCOMPARE(cell(0, 2), QString("2"));
        QCOMPARE(cell(0, 0), QString::number(m_Engine->t - 1));   // logged before t moved on
        // The two rows show the same momentum: the point of the window.
        QCOMPARE(cell(1, 9), cell(0, 9));
        QCOMPARE(cell(1, 10), cell(0, 10));

        OwnerWindow owner;
        m_Engine->ShowHistory(&owner);
        QVERIFY(window->isVisible());
        m_Engine->HideHistory();
        QVERIFY(!window->isVisible());
        m_Engine->KeepHistory(0);
        QCOMPARE(window->Model().rowCount(), 0);
        QVERIFY(!window->Active());
    }

    void copyGivesSelectedOrAllRowsAsTabText() {
        AddPair();
        m_Window->init(*m_Engine);
        Collide(1);
        m_Engine->GetBowl(1).Vx = 1234.5f;
        Collide(2);

        auto* menu = m_Window->findChild<QMenu*>("mnu_Collision");
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 2);
        auto* copy = m_Window->findChild<QAction*>("MN_COPY");
        QVERIFY(menu->actions().contains(copy));

        const QString header = kHeaders.join('\t') + '\n';
        const QString row1 = "1\t1\t2\t10\t3.00\t0.00\t5\t0.00\t0.00\t30.00\t0.00\n";
        const QString after1 = "-\t-\t-\t-\t3.00\t0.00\t-\t0.00\t0.00\t30.00\t0.00\n";
        const QString row2 = "2\t1\t2\t10\t1,234.50\t0.00\t5\t0.00\t0.00\t12,345.00\t0.00\n";
        const QString after2 = "-\t-\t-\t-\t1,234.50\t0.00\t-\t0.00\t0.00\t12,345.00\t0.00\n";

        copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), header + row1 + after1 + row2 + after2);

        // Only the selected rows, in table order, with Ctrl+C on the table.
        auto* table = m_Window->findChild<QTreeView*>("lvw_Collision");
        const auto& model = m_Window->Model();
        table->selectionModel()->select(model.index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), header + row1 + after2);
    }

    void exportWritesPortableCsv() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));   // "," decimal, "." groups
        AddPair();
        m_Window->init(*m_Engine);
        m_Engine->GetBowl(1).Vx = -1234.5f;
        Collide(7);
        QTemporaryDir dir;
        const QString path = dir.filePath("history.csv");
        Prompt::ScriptFileName(path);
        m_Window->findChild<QAction*>("MN_EXPORT_CSV")->trigger();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 kHeaders.join(',') + "\r\n" +
                     "7,1,2,10,-1234.50,0.00,5,0.00,0.00,-12345.00,0.00\r\n"
                     "-,-,-,-,-1234.50,0.00,-,0.00,0.00,-12345.00,0.00\r\n");
        QVERIFY(Prompt::ShownMessages().empty());
        // The window itself still shows the user's locale.
        QCOMPARE(Cells(0)[4], QString("-1.234,50"));
    }

    void exportFailureIsReported() {
        AddPair();
        m_Window->init(*m_Engine);
        Collide(1);
        // The name chosen is a folder: the dialog lets it through, writing fails.
        QTemporaryDir dir;
        const QString path = dir.filePath("history.csv");
        QVERIFY(QDir(dir.path()).mkdir("history.csv"));
        Prompt::ScriptFileName(path);
        m_Window->findChild<QAction*>("MN_EXPORT_CSV")->trigger();
        QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore scrittura File")});
        QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"history.csv"});

        // Cancelling the dialog writes nothing and says nothing.
        Prompt::ClearLog();
        Prompt::ScriptFileName(QString());
        m_Window->findChild<QAction*>("MN_EXPORT_CSV")->trigger();
        QVERIFY(Prompt::ShownMessages().empty());
    }

    void exportBeyondTheFileSizeLimitKeepsTheOldCsv() {
        AddPair();
        m_Window->init(*m_Engine);
        for (int t = 1; t <= 200; ++t) Collide(t);   // some 18 KB of CSV
        QTemporaryDir dir;
        const QString path = dir.filePath("history.csv");
        const QByteArray old = "t,B1,B2\r\n1,1,2\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(old), qint64(old.size()));
        }
        Prompt::ScriptFileName(path);

        // Exported in a child whose files may not grow past 4 KB (room for
        // the file dialog's settings), with SIGXFSZ as a program starts with
        // it: unless the export guards against that signal, it ends the program.
        const int result = testing::RunForked([this] {
            std::signal(SIGXFSZ, SIG_DFL);
            if (!testing::LimitFileSize(4096)) return 2;
            m_Window->findChild<QAction*>("MN_EXPORT_CSV")->trigger();
            if (Prompt::ShownTexts() != QStringList{QStringLiteral("Errore scrittura File")}) return 3;
            if (Prompt::ShownMessages().front().icon != Prompt::Icon::Exclamation) return 4;
            return 0;
        });
        QCOMPARE(result, 0);   // 153: ended by SIGXFSZ; 3 and 4: the checks above
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"history.csv"});
    }

    // Below full elasticity the after row of a collision shows the kinetic
    // energy the pair lost, the drop of the engine's total; the column, and
    // the window's width for it, go at 100 % and when it comes back at t = 0.
    void lossColumnFollowsTheElasticity() {
        for (int elasticity : {50, 0, 100}) {
            cleanup(), init();
            m_Window->init(*m_Engine);
            QAbstractItemModelTester tester(const_cast<CollisionTableModel*>(&m_Window->Model()),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            QVERIFY(m_Engine->SerializeIn(*OpenScenarioFile(VINTROP_EXAMPLES_DIR "/half-elastic-head-on.vintrop")));
            m_Engine->SetElasticity(static_cast<int16_t>(elasticity));
            double drop = 0;   // of the total over the step that met the collision
            for (double energy = 0; Rows() < 2 && m_Engine->t < 400; drop = energy - m_Engine->EnCinTot())
                energy = m_Engine->EnCinTot(), m_Engine->Advance();
            const bool lossy = elasticity < 100;
            QCOMPARE(std::make_pair(Rows(), m_Window->Model().columnCount()), std::make_pair(2, lossy ? 12 : 11));
            QCOMPARE(m_Window->width(), (9030 + (lossy ? 900 : 0)) / 15);   // the designed window, as much wider
            QCOMPARE(m_Window->RowsAsTabText({}).section('\n', 0, 0).count('\t'), lossy ? 11 : 10);
            if (lossy) QCOMPARE(Cells(0).last() + " " + Cells(1).last(), "- " + fmt::Fixed(drop));
            m_Engine->sRewind();
            m_Engine->SetElasticity(CEnvEng::kFullyElastic);
            QCOMPARE(std::make_pair(m_Window->Model().columnCount(), m_Window->width()), std::make_pair(11, 9030 / 15));
        }
    }

    void columnsKeepTheirDesignedWidths() {
        m_Window->init(*m_Engine);
        auto* header = m_Window->findChild<QTreeView*>("lvw_Collision")->header();
        const int widths[] = {53, 27, 27, 53, 53, 53, 53, 53, 53, 80, 80};   // twips / 15
        for (int i = 0; i < 11; ++i) QCOMPARE(header->sectionSize(i), widths[i]);
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
