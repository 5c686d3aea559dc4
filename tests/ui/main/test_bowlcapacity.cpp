// A scenario with as many bowls as 16-bit positions can number (32767):
// it loads and says at once that it cannot be stepped, every window opens on
// it and lists or draws all of it, and the bowl editor adds bowls up to the
// limit and refuses one more without losing the scenario.
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <fstream>
#include <functional>

#include "conservationlog.h"
#include "fullscreen/f_full_screen.h"
#include "main/bowlmanipulator.h"
#include "main/drawingarea.h"
#include "mainwindowfixture.h"
#include "vintroperror.h"

using namespace vintrop;
using vintrop::testing::Child;
using vintrop::testing::MainWindowFixture;
using vintrop::testing::VisibleTopLevel;

namespace {
constexpr int kLimit = 32767;

// Bowl 1 of mass 1 at (300, 300) moving right; all the others of mass 1
// stacked at (2000, 2000), far from bowl 1 and from the free places below.
void AddStack(CEnvEng& engine, int count) {
    engine.AddBowl(1, 300, 300, 1, 0);
    for (int i = 2; i <= count; ++i) engine.AddBowl(1, 2000, 2000, 0, 0);
}

// Runs `action` on the modal window named `name` once it is up, from the
// event loop, and closes it if the action left it open. If it never comes
// up, whatever modal window there is gets closed, so no test waits forever.
void WhenModal(QObject* context, const char* name, std::function<void(QWidget*)> action, int tries = 2000) {
    QTimer::singleShot(5, context, [context, name, action, tries] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w->objectName() != QLatin1String(name)) {
            if (tries > 0)
                WhenModal(context, name, action, tries - 1);
            else if (w)
                w->close();
            return;
        }
        action(w);
        if (QApplication::activeModalWidget() == w) w->close();
    });
}

void Fill(QWidget* dialog, const QStringList& values) {
    const char* names[] = {"tx_M", "tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0"};
    for (int i = 0; i < 5; ++i) Child<QLineEdit>(dialog, names[i])->setText(values[i]);
}

const QString kOverflow = QString::fromStdString(err::Make(err::Overflow).UserText());
} // namespace

class TestBowlCapacity : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void aFullScenarioLoadsAndEveryWindowOpensOnIt();
    void theEditorAddsTheLastBowlAndRefusesOneMore();
    void theDrawingAreaWorksOnAFullScenario();

private:
    MainWindowFixture m_F;
    QTemporaryDir m_Dir;
    QString m_Path;
};

void TestBowlCapacity::initTestCase() {
    m_F.Build();
    QVERIFY(m_Dir.isValid());
    m_Path = m_Dir.filePath(QStringLiteral("full.bow"));
    // Interval 50, non-central, no history, then the bowls of AddStack.
    std::ofstream file(m_Path.toStdString(), std::ios::binary);
    file << "50\r\n0\r\n0\r\n" << kLimit << "\r\n1\r\n300\r\n300\r\n1\r\n0\r\n";
    for (int i = 2; i <= kLimit; ++i) file << "1\r\n2000\r\n2000\r\n0\r\n0\r\n";
    QVERIFY(file.good());
}

void TestBowlCapacity::aFullScenarioLoadsAndEveryWindowOpensOnIt() {
    QString path = m_Path;
    m_F.Window().Document().LoadScenario(path);
    QCOMPARE(int(m_F.Engine().BowlCount()), kLimit);
    QCOMPARE(m_F.Window().windowTitle(), m_Path + QStringLiteral(" - Vintrop"));
    // Its first step would overflow: said at once, and nothing steps.
    QCOMPARE(Prompt::ShownTexts(), QStringList{kOverflow});
    QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
    for (const char* name : {"MN_COND_PLAY", "MN_COND_STEP", "MN_COND_BACK"})
        QVERIFY2(!m_F.Action(name)->isEnabled(), name);
    Prompt::ClearLog();
    const CBowl& first = m_F.Engine().GetBowl(1);
    QCOMPARE(m_F.ShownAt(first.x - first.r() / 2, first.y), MainWindowFixture::ColorOf(first));

    // The bowl editor lists every bowl; from it the bowl dialog opens on the
    // last bowl and for one more.
    int rows = 0;
    QString lastNumber, countPanel, changeTitle, changeMass, addTitle;
    WhenModal(this, "F_BOWL_EDITOR", [&](QWidget* editor) {
        auto* list = Child<QTreeWidget>(editor, "lvw_Bowls");
        rows = list->topLevelItemCount();
        lastNumber = list->topLevelItem(rows - 1)->text(0);
        countPanel = Child<QLabel>(editor, "PNL_BOWL_COUNT")->text();
        list->setCurrentItem(list->topLevelItem(rows - 1));
        WhenModal(this, "F_EDIT_BOWL", [&](QWidget* dialog) {
            changeTitle = dialog->windowTitle();
            changeMass = Child<QLineEdit>(dialog, "tx_M")->text();
        });
        Child<QPushButton>(editor, "bt_Update")->click();
        WhenModal(this, "F_EDIT_BOWL", [&](QWidget* dialog) { addTitle = dialog->windowTitle(); });
        Child<QPushButton>(editor, "bt_Add")->click();
    });
    m_F.Trigger("MN_VIEW_BOWL_EDITOR");
    QCOMPARE(rows, kLimit);
    QCOMPARE(lastNumber, QStringLiteral("32767"));
    QCOMPARE(countPanel, QStringLiteral("32767"));
    QCOMPARE(changeTitle, QStringLiteral("Bowl nr. 32767 property"));
    QCOMPARE(changeMass, QStringLiteral("1"));
    QCOMPARE(addTitle, QStringLiteral("Insert Bowl nr. 32768"));

    // The options.
    QString optionsTitle;
    WhenModal(this, "F_OPTIONS", [&](QWidget* options) { optionsTitle = options->windowTitle(); });
    m_F.Trigger("MN_OPTIONS");
    QCOMPARE(optionsTitle, QStringLiteral("Options"));

    // The collision history, once the log is on.
    Prompt::ScriptAnswer(QMessageBox::Yes);
    m_F.Trigger("MN_VIEW_HISTORY");
    QWidget* history = VisibleTopLevel("F_HISTORY");
    QVERIFY(history);
    history->close();

    // The full-screen view draws every bowl at once.
    bool bound = false;
    QColor firstShown;
    WhenModal(this, "F_FULL_SCREEN", [&](QWidget* w) {
        auto* view = static_cast<F_FULL_SCREEN*>(w);
        bound = view->Bound();
        const qreal scale = view->Picture().devicePixelRatio() / twips::PerPixel(view);
        firstShown = view->Picture().pixelColor(qFloor((first.x - first.r() / 2) * scale), qFloor(first.y * scale));
    });
    m_F.Trigger("MN_FULL_SCREEN");
    QVERIFY(bound);
    QCOMPARE(firstShown, MainWindowFixture::ColorOf(first));

    // The about box and the explanation.
    bool aboutSeen = false;
    WhenModal(this, "F_ABOUT", [&](QWidget*) { aboutSeen = true; });
    m_F.Trigger("MN_ABOUT");
    QVERIFY(aboutSeen);
    m_F.Trigger("MN_ACKNOWLEDGEMENTS");
    QWidget* explanation = VisibleTopLevel("F_EXPLANATION");
    QVERIFY(explanation);
    explanation->close();

    // The graphs, their first point summed over every bowl.
    m_F.Trigger("MN_VIEW_GRAPHS");
    auto* graphs = qobject_cast<QDialog*>(m_F.Window().findChild<QDialog*>("F_GRAPHS"));
    QVERIFY(graphs && graphs->isVisible());
    const ConservationLog& log = m_F.Window().Conservation();
    QCOMPARE(log.Spans().size(), size_t(1));
    QCOMPARE(log.Latest().energy, TotalsOf(m_F.Engine()).energy);
    QVERIFY(log.Latest().energy > 0);

    // Nothing has complained so far, and the scenario is whole.
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("History non attiva. Attivarla adesso?")});
    QCOMPARE(int(m_F.Engine().BowlCount()), kLimit);

    graphs->close();
}

void TestBowlCapacity::theEditorAddsTheLastBowlAndRefusesOneMore() {
    AddStack(m_F.Engine(), kLimit - 1);
    m_F.Window().ManualRefresh();
    int rowsAfterAdd = 0, selectedAfterAdd = 0, rowsAfterRefusal = 0;
    QString countAfterAdd, refusedTitle;
    QStringList refusal;
    bool openAfterRefusal = false;
    WhenModal(this, "F_BOWL_EDITOR", [&](QWidget* editor) {
        auto* list = Child<QTreeWidget>(editor, "lvw_Bowls");
        // Bowl 32767 in a free place: accepted.
        WhenModal(this, "F_EDIT_BOWL", [&](QWidget* dialog) {
            Fill(dialog, {"1", "6000", "1000", "0", "0"});
            Child<QPushButton>(dialog, "bt_OK")->click();
        });
        Child<QPushButton>(editor, "bt_Add")->click();
        rowsAfterAdd = list->topLevelItemCount();
        selectedAfterAdd = list->indexOfTopLevelItem(list->currentItem()) + 1;
        countAfterAdd = Child<QLabel>(editor, "PNL_BOWL_COUNT")->text();

        // Bowl 32768, in another free place: the engine refuses it, the
        // dialog stays open until cancelled.
        WhenModal(this, "F_EDIT_BOWL", [&](QWidget* dialog) {
            refusedTitle = dialog->windowTitle();
            Fill(dialog, {"1", "7000", "3000", "0", "0"});
            Child<QPushButton>(dialog, "bt_OK")->click();
            refusal = Prompt::ShownTexts();
            openAfterRefusal = dialog->isVisible();
            Child<QPushButton>(dialog, "bt_Cancel")->click();
        });
        Child<QPushButton>(editor, "bt_Add")->click();
        rowsAfterRefusal = list->topLevelItemCount();
    });
    m_F.Trigger("MN_VIEW_BOWL_EDITOR");

    QCOMPARE(rowsAfterAdd, kLimit);
    QVERIFY(!m_F.Action("MN_COND_STEP")->isEnabled());
    QCOMPARE(selectedAfterAdd, kLimit);
    QCOMPARE(countAfterAdd, QStringLiteral("32767"));
    QCOMPARE(refusedTitle, QStringLiteral("Insert Bowl nr. 32768"));
    QCOMPARE(refusal, QStringList{kOverflow});
    QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
    QVERIFY(openAfterRefusal);
    QCOMPARE(rowsAfterRefusal, kLimit);

    QCOMPARE(int(m_F.Engine().BowlCount()), kLimit);
    QCOMPARE(m_F.Engine().GetBowl(kLimit).Xo(), 6000.0f);
    QCOMPARE(m_F.Engine().GetBowl(kLimit).Yo(), 1000.0f);
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlCapacity::theDrawingAreaWorksOnAFullScenario() {
    AddStack(m_F.Engine(), kLimit);
    m_F.Window().ManualRefresh();
    m_F.Window().RefreshCommands();
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    auto* manipulator = area->findChild<BowlManipulator*>();
    QVERIFY(manipulator);
    // 15 twips to a pixel at actual size.
    const auto at = [](double x, double y) { return QPoint(qRound(x / 15), qRound(y / 15)); };

    // Shift+Tab from no selection goes to the last bowl, Tab past it leaves.
    area->setFocus();
    QTest::keyClick(area, Qt::Key_Backtab);
    QCOMPARE(manipulator->Selected(), kLimit);
    QTest::keyClick(area, Qt::Key_Tab);
    QCOMPARE(manipulator->Selected(), 0);

    // Bowl 1 dragged to a free place: checked against all the others.
    QTest::mousePress(area, Qt::LeftButton, {}, at(300, 300));
    QCOMPARE(manipulator->Selected(), 1);
    QTest::mouseMove(area, at(600, 600));
    QTest::mouseRelease(area, Qt::LeftButton, {}, at(600, 600));
    QCOMPARE(m_F.Engine().GetBowl(1).Xo(), 600.0f);
    QCOMPARE(m_F.Engine().GetBowl(1).Yo(), 600.0f);
    // ... and onto the stack: refused, back where it was. (Unselected
    // first: a selected small bowl's velocity grip covers it.)
    QTest::mouseClick(area, Qt::LeftButton, {}, at(6000, 3000));
    QTest::mousePress(area, Qt::LeftButton, {}, at(600, 600));
    QTest::mouseMove(area, at(2000, 2100));
    QTest::mouseRelease(area, Qt::LeftButton, {}, at(2000, 2100));
    QCOMPARE(m_F.Engine().GetBowl(1).Xo(), 600.0f);
    QCOMPARE(m_F.Engine().GetBowl(1).Yo(), 600.0f);
    QCOMPARE(m_F.Engine().GetBowl(1).Vxo(), 1.0f);   // moved, not given a velocity
    QVERIFY(!m_F.Panel("PNL_TIP").isEmpty());        // the tip says which rule

    // A double click on free space offers bowl 32768, which the engine refuses.
    QString title;
    QStringList refusal;
    WhenModal(this, "F_EDIT_BOWL", [&](QWidget* dialog) {
        title = dialog->windowTitle();
        Child<QPushButton>(dialog, "bt_OK")->click();
        refusal = Prompt::ShownTexts();
        Child<QPushButton>(dialog, "bt_Cancel")->click();
    });
    QTest::mouseDClick(area, Qt::LeftButton, {}, at(6000, 1000));
    QCOMPARE(title, QStringLiteral("Insert Bowl nr. 32768"));
    QCOMPARE(refusal, QStringList{kOverflow});
    QCOMPARE(int(m_F.Engine().BowlCount()), kLimit);

    // Zoomed, the box shrinks around the same bowls; every one is still there.
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(int(m_F.Engine().BowlCount()), kLimit);
    QCOMPARE(m_F.ShownAt(2000, 2000), MainWindowFixture::ColorOf(m_F.Engine().GetBowl(kLimit)));
}

QTEST_MAIN(TestBowlCapacity)
#include "test_bowlcapacity.moc"
