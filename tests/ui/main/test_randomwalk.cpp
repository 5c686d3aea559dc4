// A seeded random walk over what a user does in the main window: presses,
// moves and releases on bowls, grips, walls and empty space, the transport,
// the bowl editor and dialog, New, loading a lesson, the zoom, the keys. After
// every action the invariants below must hold; a failure prints the seed and
// the shortest sequence of actions found that still breaks them.
//
// `make test` walks a fixed set of seeds. VINTROP_WALK_SEED=<n> walks from
// that seed instead, VINTROP_WALK_SEEDS=<count> over that many seeds from it,
// VINTROP_WALK_ACTIONS=<n> that many actions each.
#include <QPushButton>
#include <random>

#include "appstate.h"
#include "guardedapplication.h"
#include "main/bowlmanipulator.h"
#include "main/drawingarea.h"
#include "mainwindowfixture.h"
#include "pathstore.h"
#include "placement.h"
#include "placementtext.h"
#include "values/bowlvaluesmodel.h"
#include "values/f_values.h"
#include "values/momentadiagram.h"

using namespace vintrop;

namespace {

enum class Kind { Press, Move, FreeMove, Release, Key, Tab, Escape, Delete, DoubleClick, Command, BowlEditor,
                  Options, Load, New, Tick };

struct Act {
    Act(Kind k, QPoint p, int keyPressed = 0, int modifiers = 0, bool ok = false, QString what = {})
        : kind(k), at(p), key(keyPressed), mods(modifiers), accept(ok), name(std::move(what)) {}
    Kind kind;
    QPoint at;     // logical pixels on the drawing area
    int key;       // Key: the arrow
    int mods;      // Key, Tab: the modifiers
    bool accept;   // a dialog's OK (else closed); New: answer No (else Cancel)
    QString name;  // Command: the action; Load: the lesson
};

QString Describe(const Act& a) {
    static const char* names[] = {"press", "move", "free move", "release", "key", "tab", "escape", "delete",
                                  "double click", "command", "bowl editor", "options", "load", "new", "tick"};
    QString text = QLatin1String(names[int(a.kind)]);
    if (a.kind <= Kind::Release || a.kind == Kind::DoubleClick)
        text += QStringLiteral(" at %1,%2").arg(a.at.x()).arg(a.at.y());
    if (a.kind == Kind::Key) text += QStringLiteral(" %1 mods %2").arg(a.key, 0, 16).arg(a.mods, 0, 16);
    if (a.kind == Kind::Tab && a.mods) text += QStringLiteral(" (shift)");
    if (a.kind == Kind::Delete || a.kind == Kind::DoubleClick || a.kind == Kind::New)
        text += a.accept ? QStringLiteral(" accepted") : QStringLiteral(" cancelled");
    if (!a.name.isEmpty()) text += QLatin1Char(' ') + a.name;
    return text;
}

using Initial = QList<QList<float>>;   // Xo, Yo, Vxo, Vyo of every bowl

const QStringList kLessons = {"equal-masses-head-on.vintrop", "gas-of-bowls.vintrop", "row-struck-at-one-end.vintrop",
                              "two-and-two-cradle.vintrop"};
const QStringList kCommands = {"MN_COND_PLAY", "MN_COND_PAUSE", "MN_COND_STEP", "MN_COND_BACK", "MN_COND_REW",
                               "MN_COND_STOP", "MN_VIEW_ZOOM_IN", "MN_VIEW_ZOOM_OUT", "MN_VIEW_ACTUAL_SIZE",
                               "MN_FILE_SAVE_AS", "MN_VIEW_VALUES", "MN_VIEW_GRAPHS"};

} // namespace

class TestRandomWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The offscreen screen cannot raise windows, and a release with no
        // press before it is part of the walk: neither is news.
        static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.contains(QLatin1String("does not support raise")) &&
                !text.contains(QLatin1String("not accepted by receiving widget")))
                previous(type, context, text);
        });
        m_F.Build();
        // The clock reads a time that moves only with the walk's ticks.
        m_F.Window().StepClock().SetTimeSource([this] { return m_Now; });
    }
    void cleanupTestCase() { m_F.Destroy(); }
    void invariantsHoldAfterEveryAction();

private:
    DrawingArea* Area() { return m_F.Find<DrawingArea>("pc_Picture"); }
    BowlManipulator* Manipulator() { return Area()->findChild<BowlManipulator*>(); }
    CEnvEng& Engine() { return m_F.Engine(); }

    Initial InitialState() { return m_F.InitialStates(); }
    QList<float> Current() {
        QList<float> all;
        for (int i = 1; i <= Engine().BowlCount(); ++i) all << Engine().GetBowl(i).x << Engine().GetBowl(i).y;
        return all;
    }

    Act Next(std::mt19937& rng);
    QString Run(const QList<Act>& acts);   // the first broken invariant, or empty
    QString Perform(const Act& a);
    QString ShownAsTheEngineHasIt();       // what the paths and the Values window show
    QString Take(const Act& a);            // Perform, then note the committed state
    void Start();
    void Minimise(QList<Act>& acts);

    vintrop::testing::MainWindowFixture m_F;
    qint64 m_Now = 0;
    Initial m_Committed;   // the initial state when no drag was in progress
    bool m_Pressed = false;
};

Act TestRandomWalk::Next(std::mt19937& rng) {
    const auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    // A place: on a bowl, on the selection's grip, at a wall, anywhere.
    const QSize area = Area()->size();
    const double tpp = Area()->View().TwipsPerPixel();
    QPoint at(pick(area.width() + 20) - 10, pick(area.height() + 20) - 10);
    const int count = Engine().BowlCount();
    const int where = pick(10);
    if (where < 4 && count > 0) {
        const CBowl& b = Engine().GetBowl(1 + pick(count));
        at = QPoint(qRound(b.x / tpp), qRound(b.y / tpp)) + QPoint(pick(7) - 3, pick(7) - 3);
    } else if (where < 6 && Manipulator()->Selected() > 0) {
        const CBowl& b = Engine().GetBowl(Manipulator()->Selected());
        at = QPoint(qRound((b.x + 10 * b.Vxo()) / tpp), qRound((b.y + 10 * b.Vyo()) / tpp));
    } else if (where < 7) {
        at.setX(pick(2) ? pick(6) : area.width() - 1 - pick(6));
    }
    static const int arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    static const int modifiers[] = {0, Qt::ShiftModifier, Qt::ControlModifier};
    switch (pick(20)) {
    case 0: case 1: case 2: return {Kind::Press, at};
    // A move with no button held while pressed: the release went elsewhere.
    case 3: case 4: case 5: return {m_Pressed && pick(3) ? Kind::Move : Kind::FreeMove, at};
    case 6: case 7: return {Kind::Release, at};
    case 8: case 9: return {Kind::Key, at, arrows[pick(4)], modifiers[pick(3)]};
    case 10: return {Kind::Tab, at, 0, pick(2) ? int(Qt::ShiftModifier) : 0};
    case 11: return {Kind::Escape, at};
    case 12: return {Kind::Delete, at, 0, 0, pick(2) == 0};
    case 13: return {Kind::DoubleClick, at, 0, 0, pick(2) == 0};
    case 14: case 15: return {Kind::Command, at, 0, 0, false, kCommands[pick(kCommands.size())]};
    case 16: return {pick(2) ? Kind::BowlEditor : Kind::Options, at};
    case 17: return pick(4) ? Act{Kind::Tick, at} : Act{Kind::Load, at, 0, 0, false, kLessons[pick(kLessons.size())]};
    case 18: return {Kind::New, at, 0, 0, pick(2) == 0};
    default: return {Kind::Tick, at};
    }
}

void TestRandomWalk::Start() {
    // The same start for every replay: no button held (for QTest too), no
    // drag, no selection, the lesson loaded afresh.
    QTest::keyClick(Area(), Qt::Key_Escape);
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(1, 1));
    m_F.Reset();
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(1, 1));
    m_Pressed = false;
    Manipulator()->ClearSelection();
    QString path = QStringLiteral(VINTROP_EXAMPLES_DIR "/") + kLessons[1];
    m_F.Window().Document().LoadScenario(path);
    Engine().sInterval(1000);
    // The paths and the centre of mass follow every step, load and edit.
    Settings().SetShowPaths(true);
    Settings().SetShowCentre(true);
    Settings().SetPathSteps(50);
    m_F.Window().ManualRefresh();
    Prompt::ClearLog();
    m_Committed = InitialState();
}

QString TestRandomWalk::Perform(const Act& a) {
    const bool editable = !Engine().IsExecuting() && Engine().t == 0;
    const bool dragging = Manipulator()->Dragging();
    const Initial before = InitialState();
    const QList<float> current = Current();
    const auto modified = FlgModified;
    Prompt::StartScripting();   // no answer left over from an earlier action
    QStringList allowed;   // the messages this action may raise

    // The bowl dialog's OK with the values it offers, or its window closed.
    const auto dialog = [&a](QWidget* w) {
        if (a.accept) w->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
    };
    switch (a.kind) {
    case Kind::Press:
        QTest::mousePress(Area(), Qt::LeftButton, {}, a.at);
        m_Pressed = true;
        break;
    case Kind::Move: QTest::mouseMove(Area(), a.at); break;
    case Kind::FreeMove: m_F.MoveWithNoButton(Area(), a.at); break;
    case Kind::Release:
        QTest::mouseRelease(Area(), Qt::LeftButton, {}, a.at);
        m_Pressed = false;
        break;
    case Kind::Key: QTest::keyClick(Area(), Qt::Key(a.key), Qt::KeyboardModifiers(a.mods)); break;
    case Kind::Tab: QTest::keyClick(Area(), a.mods ? Qt::Key_Backtab : Qt::Key_Tab); break;
    case Kind::Escape: QTest::keyClick(Area(), Qt::Key_Escape); break;
    case Kind::Delete: {
        vintrop::testing::ModalCloser closer([&] { dialog(QApplication::activeModalWidget()); });
        QTest::keyClick(Area(), Qt::Key_Delete);
        break;
    }
    case Kind::DoubleClick: {
        for (auto rule : {PlacementRule::RightWall, PlacementRule::LeftWall, PlacementRule::BottomWall,
                          PlacementRule::TopWall})
            allowed << PlacementText({rule, 0});
        for (int i = 1; i <= Engine().BowlCount(); ++i) allowed << PlacementText({PlacementRule::ClearOfBowls, i});
        vintrop::testing::ModalCloser closer([&] { dialog(QApplication::activeModalWidget()); });
        if (m_Pressed) QTest::mouseRelease(Area(), Qt::LeftButton, {}, a.at);   // a double click comes after one
        m_Pressed = false;
        QTest::mouseDClick(Area(), Qt::LeftButton, {}, a.at);
        break;
    }
    case Kind::Command: {
        if (a.name == QLatin1String("MN_FILE_SAVE_AS")) Prompt::ScriptFileName(QString());   // cancelled
        m_F.Action(qPrintable(a.name))->trigger();
        break;
    }
    case Kind::BowlEditor:
    case Kind::Options: {
        vintrop::testing::ModalCloser closer;
        m_F.Action(a.kind == Kind::Options ? "MN_OPTIONS" : "MN_VIEW_BOWL_EDITOR")->trigger();
        break;
    }
    case Kind::Load: {
        QString path = QStringLiteral(VINTROP_EXAMPLES_DIR "/") + a.name;
        m_F.Window().Document().LoadScenario(path);
        Engine().sInterval(1000);
        break;
    }
    case Kind::New:
        allowed << QStringLiteral("Save Changes to Untitled?") << QStringLiteral("Save Changes to ");
        Prompt::ScriptAnswer(a.accept ? QMessageBox::No : QMessageBox::Cancel);
        m_F.Action("MN_FILE_NEW")->trigger();
        break;
    case Kind::Tick:
        m_Now += Engine().sInterval();
        if (m_F.Window().StepClock().Enabled()) m_F.Window().StepClock().OnTimeout();
        break;
    }

    for (const QString& text : Prompt::ShownTexts())
        if (!allowed.contains(text) && !(a.kind == Kind::New && text.startsWith(allowed.last())))
            return QStringLiteral("unexpected message \"%1\"").arg(text);
    const PathStore* store = Settings().Paths();
    if (const std::string paths = store ? store->Validate() : "no paths"; !paths.empty())
        return QStringLiteral("paths: %1").arg(QString::fromStdString(paths));
    if (store->Points() > 0 && store->LatestT() > Engine().t)
        return QStringLiteral("a path point at t = %1 ahead of t = %2").arg(store->LatestT()).arg(Engine().t);
    const int selected = Manipulator()->Selected();
    if (selected < 0 || selected > Engine().BowlCount()) return QStringLiteral("selection %1 names no bowl").arg(selected);
    // With no button held the mouse moves no bowl: a drag it finds ends
    // cancelled, the bowl back where the drag began.
    if (a.kind == Kind::FreeMove &&
        (dragging ? InitialState() != m_Committed || Manipulator()->Dragging()
                  : InitialState() != before || Current() != current || FlgModified != modified))
        return QStringLiteral("the mouse moving with no button held changed the scene");
    // Another scenario; or a drag in progress, whose place is not taken yet.
    if (a.kind == Kind::Load || a.kind == Kind::New || Manipulator()->Dragging()) return {};
    const Initial after = InitialState();
    if (after == m_Committed) return {};
    const bool edit = a.kind == Kind::Release || a.kind == Kind::Key || a.kind == Kind::Delete ||
                      a.kind == Kind::DoubleClick || a.kind == Kind::BowlEditor;
    if (!edit || !editable) return QStringLiteral("the initial state changed while t = %1, %2")
                                        .arg(Engine().t).arg(editable ? "not an edit" : "not at the start");
    if (FlgModified != kTrue) return QStringLiteral("the initial state changed but is not marked modified");
    if (a.kind == Kind::Release || a.kind == Kind::Key) {
        for (int i = 1; i <= Engine().BowlCount(); ++i) {
            const CBowl& b = Engine().GetBowl(i);
            // Only a place the action gave: a lesson may hold a bowl beyond
            // the walls of a zoomed window.
            if (i <= m_Committed.size() && m_Committed[i - 1][0] == after[i - 1][0] &&
                m_Committed[i - 1][1] == after[i - 1][1])
                continue;
            if (CheckPlacement(Engine(), b.M(), b.Xo(), b.Yo(), i).broken != PlacementRule::None)
                return QStringLiteral("bowl %1 was placed against the rules").arg(i);
        }
    }
    return {};
}

QString TestRandomWalk::ShownAsTheEngineHasIt() {
    // The newest point of every path is where its bowl is now.
    const PathStore* store = Settings().Paths();
    if (store->Points() > 0 && store->LatestT() == Engine().t && !Manipulator()->Dragging()) {
        if (store->PathCount() != Engine().BowlCount() + 1)
            return QStringLiteral("%1 paths for %2 bowls").arg(store->PathCount()).arg(Engine().BowlCount());
        for (int i = 1; i <= Engine().BowlCount(); ++i) {
            const PathStore::Point p = store->At(i, store->Points() - 1);
            if (p.x != Engine().GetBowl(i).x || p.y != Engine().GetBowl(i).y)
                return QStringLiteral("bowl %1's path ends at %2,%3, the bowl is at %4,%5")
                    .arg(i).arg(p.x).arg(p.y).arg(Engine().GetBowl(i).x).arg(Engine().GetBowl(i).y);
        }
    }
    // The Values window shows the engine's state once its refresh is
    // through: a change is never left without one on its way.
    auto* values = m_F.Window().findChild<F_VALUES*>(QStringLiteral("F_VALUES"));
    if (!values || !values->isVisible()) return {};
    if (values->ShownRevision() != Engine().Revision() && !values->RefreshDue())
        return QStringLiteral("Values shows revision %1 of %2 with no refresh due")
            .arg(values->ShownRevision()).arg(Engine().Revision());
    // The program's clock may tick meanwhile: wait until the window has
    // caught up with whatever the engine's revision is then.
    for (int k = 0; k < 400 && values->ShownRevision() != Engine().Revision(); ++k) QTest::qWait(5);
    if (values->ShownRevision() != Engine().Revision())
        return QStringLiteral("Values never caught up with revision %1").arg(Engine().Revision());
    const BowlValuesModel& model = values->Model();
    if (model.rowCount() != Engine().BowlCount() + 2)
        return QStringLiteral("Values has %1 rows for %2 bowls").arg(model.rowCount()).arg(Engine().BowlCount());
    double px = 0, py = 0;
    for (int i = 1; i <= Engine().BowlCount(); ++i) {
        const CBowl& b = Engine().GetBowl(i);
        px += double(b.M()) * b.Vx;
        py += double(b.M()) * b.Vy;
    }
    if (model.Value(model.TotalsRow(), BowlValuesModel::Px) != px ||
        model.Value(model.TotalsRow(), BowlValuesModel::Py) != py ||
        model.Value(model.TotalsRow(), BowlValuesModel::Energy) != Engine().EnCinTot())
        return QStringLiteral("Values' Total row is not the bowls' sum at t = %1").arg(Engine().t);
    // The momenta diagram shows no collision from a step not yet reached.
    for (const PairCollision& pair : values->Pairs().Shown())
        if (pair.t > Engine().t)
            return QStringLiteral("the diagram shows a collision of t = %1 at t = %2").arg(pair.t).arg(Engine().t);
    return {};
}

QString TestRandomWalk::Take(const Act& a) {
    // What is shown is checked last: waiting for the Values window lets the
    // program's clock tick.
    QString broken = Perform(a);
    if (broken.isEmpty()) broken = ShownAsTheEngineHasIt();
    // What counts is the state once a drag has ended, or another scenario.
    if (!Manipulator()->Dragging() || a.kind == Kind::Load || a.kind == Kind::New) m_Committed = InitialState();
    return broken;
}

QString TestRandomWalk::Run(const QList<Act>& acts) {
    Start();
    for (int i = 0; i < acts.size(); ++i)
        if (const QString broken = Take(acts[i]); !broken.isEmpty())
            return QStringLiteral("after action %1: %2").arg(i + 1).arg(broken);
    return {};
}

void TestRandomWalk::Minimise(QList<Act>& acts) {
    // Drops ever smaller runs of actions while the rest still fails.
    int replays = 0;
    for (qsizetype chunk = acts.size() / 2; chunk >= 1 && replays < 3000; chunk /= 2) {
        for (qsizetype i = 0; i < acts.size() && replays < 3000; ++replays) {
            QList<Act> fewer = acts;
            fewer.remove(i, std::min(chunk, acts.size() - i));
            if (!Run(fewer).isEmpty())
                acts = fewer;
            else
                i += chunk;
        }
    }
}

void TestRandomWalk::invariantsHoldAfterEveryAction() {
    const QByteArray seedText = qgetenv("VINTROP_WALK_SEED");
    const unsigned first = seedText.isEmpty() ? 1 : seedText.toUInt();
    const int seeds = qEnvironmentVariableIsSet("VINTROP_WALK_SEEDS") ? qEnvironmentVariableIntValue("VINTROP_WALK_SEEDS")
                                                                      : seedText.isEmpty() ? 8 : 1;
    const int length =
        qEnvironmentVariableIsSet("VINTROP_WALK_ACTIONS") ? qEnvironmentVariableIntValue("VINTROP_WALK_ACTIONS") : 400;
    for (unsigned seed = first; seed < first + unsigned(seeds); ++seed) {
        std::mt19937 rng(seed);
        QList<Act> acts;
        Start();
        QString broken;
        for (int i = 0; i < length && broken.isEmpty(); ++i) {
            acts << Next(rng);
            broken = Take(acts.last());
        }
        if (broken.isEmpty()) continue;
        const QString first = QStringLiteral("action %1: %2").arg(acts.size()).arg(broken);
        Minimise(acts);
        QString steps;
        for (const Act& a : acts) steps += QStringLiteral("\n  ") + Describe(a);
        QFAIL(qPrintable(QStringLiteral("seed %1, %2\nshortest sequence found (%3 actions; %4):%5")
                             .arg(seed).arg(first).arg(acts.size()).arg(Run(acts)).arg(steps)));
    }
}

// Errors that escape a handler become the program's message, which the walk
// then reports, instead of ending the test program.
int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    TestRandomWalk test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_randomwalk.moc"
