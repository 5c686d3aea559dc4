// The main window's shell: layout in twips, the commands' shortcuts and the
// toolbar, the enabled-state table, the resize rules and closing.
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "main/drawingarea.h"
#include "mainwindowfixture.h"

using namespace vintrop;

namespace {
// The enabled-state table's commands and their buttons.
const QList<QPair<QString, QString>> kTable = {
    {"MN_FILE_NEW", "BT_NEW"},   {"MN_FILE_OPEN", "BT_OPEN"},  {"MN_FILE_SAVE", "BT_SAVE"},
    {"MN_FILE_SAVE_AS", ""},     {"MN_VIEW_BOWL_EDITOR", "BT_BOWL_EDITOR"},
    {"MN_COND_BACK", "BT_BACK"}, {"MN_COND_PAUSE", "BT_PAUSE"}, {"MN_COND_PLAY", "BT_PLAY"},
    {"MN_COND_REW", "BT_REW"},   {"MN_COND_STEP", "BT_STEP"},   {"MN_COND_STOP", "BT_STOP"}};
const QStringList kAlwaysEnabled = {"MN_EXIT", "MN_VIEW_CONDUCTOR_TOOLBAR", "MN_VIEW_HISTORY", "MN_FULL_SCREEN",
                                    "MN_OPTIONS", "MN_ACKNOWLEDGEMENTS", "MN_ABOUT"};
const QStringList kFile = {"MN_FILE_NEW", "MN_FILE_OPEN", "MN_FILE_SAVE", "MN_FILE_SAVE_AS"};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_F.Build(); }
    void init() { m_F.Reset(); }
    void cleanupTestCase() { m_F.Destroy(); }

    void startsWithTheDesignedClientArea();
    void shortcutsRunTheirCommands();
    void toolbarButtonsInOrder();
    void everyToolbarEntryFitsTheDesignedWindow();
    void enabledStates_data();
    void enabledStates();
    void fileAndViewMenusRefreshWhenOpened();
    void toolbarToggleResizesTheBox();
    void resizeWhileRunningRedrawsAtTheNextTick();
    void windowTooSmallKeepsTheLastHeight();
    void closeAsksThenTerminatesTheEngine();   // last: the window stays closed

private:
    vintrop::testing::MainWindowFixture m_F;
};

void TestMainWindow::startsWithTheDesignedClientArea() {
    F_MAIN& w = m_F.Window();
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    auto* toolBar = m_F.Find<QToolBar>("tlb_Main");
    QStatusBar* statusBar = m_F.Find<QStatusBar>("sbr_Main");
    // 8085 x 5295 twips below the menu bar, 660 of them toolbar, 405 status bar.
    QCOMPARE(w.height() - w.menuBar()->height(), 353);
    QCOMPARE(area->geometry(), QRect(0, w.menuBar()->height(), 539, 282));
    QCOMPARE(toolBar->geometry(), QRect(0, area->geometry().bottom() + 1, 539, 44));
    QCOMPARE(statusBar->geometry(), QRect(0, toolBar->geometry().bottom() + 1, 539, 27));
    // The slider's place is narrowed to fit the toolbar (3000 twips and a
    // 2865 x 540 twip slider where there is room; see the test below).
    QVERIFY(m_F.Find<QWidget>("BT_SEP")->width() < 200);
    QCOMPARE(m_F.Slider()->height(), 36);
    QCOMPARE(m_F.Find<QWidget>("BT_SEP")->width() - m_F.Slider()->width(), 200 - 191);
    for (const auto& [panel, width] : {QPair<const char*, int>{"pnl_Xmax", 67}, {"PNL_MAX_X", 96},
                                       {"pnl_Ymax", 67}, {"PNL_MAX_Y", 96}})
        QCOMPARE(m_F.Find<QLabel>(panel)->width(), width);

    QCOMPARE(m_F.Engine().MaxX, 8085.0f);
    QCOMPARE(m_F.Engine().MaxY, 4230.0f);
    QCOMPARE(m_F.Panel("PNL_MAX_X"), QStringLiteral("8,085.00"));
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), QStringLiteral("4,230.00"));
    QCOMPARE(m_F.Panel("PNL_TIP"), QStringLiteral("t=0"));
    QCOMPARE(m_F.Slider()->value(), 50);
    // The slider has the keys until the drawing area is clicked or tabbed to.
    QCOMPARE(w.focusWidget(), m_F.Slider());
    for (int i = 0; i < 3; ++i) QTest::keyClick(w.focusWidget(), Qt::Key_Right);
    QCOMPARE(m_F.Engine().sInterval(), int16_t(53));
    m_F.Slider()->setValue(50);
    QCOMPARE(w.windowTitle(), QStringLiteral("Untitled - Vintrop"));
    QVERIFY(w.IsAttached());
}

void TestMainWindow::shortcutsRunTheirCommands() {
    F_MAIN& w = m_F.Window();
    const auto activate = [&w] {
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    };
    QVERIFY(activate());
    m_F.AddBowl(10, 1000, 1000, 5, 0);
    m_F.Engine().sInterval(30000);   // no tick while the test looks
    CEnvEng& engine = m_F.Engine();

    QTest::keyClick(&w, Qt::Key_F8);   // STEP
    QCOMPARE(engine.t, 1);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);   // BACK
    QCOMPARE(engine.t, 0);
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);   // REW
    QCOMPARE(engine.t, 0);
    QTest::keyClick(&w, Qt::Key_F5);   // PLAY
    QVERIFY(engine.IsExecuting());
    QTest::keyClick(&w, Qt::Key_F9);   // PAUSE
    QVERIFY(!engine.IsExecuting());
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);   // STOP
    QCOMPARE(engine.t, 0);

    QTest::keyClick(&w, Qt::Key_F2);   // the toolbar, off and on
    QVERIFY(m_F.Find<QToolBar>("tlb_Main")->isHidden());
    QTest::keyClick(&w, Qt::Key_F2);
    QVERIFY(!m_F.Find<QToolBar>("tlb_Main")->isHidden());

    {
        vintrop::testing::ModalCloser closer;
        QTest::keyClick(&w, Qt::Key_F4);
        QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_BOWL_EDITOR"));
    }
    QVERIFY(activate());
    {
        vintrop::testing::ModalCloser closer;
        QTest::keyClick(&w, Qt::Key_F11);
        QCOMPARE(closer.Seen(), QStringLiteral("vintrop::F_FULL_SCREEN"));
    }
    QVERIFY(activate());
    QTest::keyClick(&w, Qt::Key_F1);   // Acknowledgements: the explanation
    QWidget* explanation = vintrop::testing::VisibleTopLevel("F_EXPLANATION");
    QVERIFY(explanation);
    explanation->close();
    QVERIFY(activate());

    // Untitled, Save asks for a name; Open asks for a file; New starts afresh.
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Prompt::FileDialogsShown(), 1);
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Prompt::FileDialogsShown(), 2);
    QCOMPARE(engine.BowlCount(), int16_t(1));
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(engine.BowlCount(), int16_t(0));
    QVERIFY(Prompt::ShownTexts().isEmpty());
}

void TestMainWindow::toolbarButtonsInOrder() {
    auto* toolBar = m_F.Find<QToolBar>("tlb_Main");
    QCOMPARE(m_F.Window().toolBarArea(toolBar), Qt::BottomToolBarArea);
    QStringList keys;
    for (QAction* action : toolBar->actions()) {
        if (action->isSeparator()) {
            keys << "|";
            continue;
        }
        QWidget* widget = toolBar->widgetForAction(action);
        keys << widget->objectName() + ":" + widget->toolTip();
        if (auto* button = qobject_cast<QToolButton*>(widget)) {
            QCOMPARE(button->accessibleName(), button->toolTip());   // icon only
            QVERIFY(!button->icon().pixmap(32, 32).isNull());
        }
    }
    QCOMPARE(keys, QStringList({"BT_NEW:New", "BT_OPEN:Open", "BT_SAVE:Save", "|", "BT_REW:Rewind", "BT_BACK:Back",
                                "BT_PLAY:Play", "BT_PAUSE:Pause", "BT_STOP:Stop", "BT_STEP:Step", "BT_SEP:",
                                "BT_BOWL_EDITOR:Bowl Editor", "BT_HISTORY:History", "BT_FULL_SCREEN:FullScreen"}));
    QCOMPARE(m_F.Slider()->toolTip(), QStringLiteral("Timer Interval"));
    QCOMPARE(QList<int>({m_F.Slider()->minimum(), m_F.Slider()->maximum(), m_F.Slider()->singleStep(),
                         m_F.Slider()->pageStep()}),
             QList<int>({1, 100, 1, 10}));
}

void TestMainWindow::everyToolbarEntryFitsTheDesignedWindow() {
    // At the designed width nothing may hide behind the toolbar's overflow
    // button; the slider's place narrows instead, and widens back up to its
    // designed 3000 twips when there is room.
    auto* toolBar = m_F.Find<QToolBar>("tlb_Main");
    const auto allShown = [&] {
        for (QAction* action : toolBar->actions()) {
            QWidget* widget = toolBar->widgetForAction(action);
            if (widget && (!widget->isVisible() || widget->geometry().right() >= toolBar->width())) return false;
        }
        return true;
    };
    QTRY_VERIFY(allShown());
    QVERIFY(m_F.Slider()->width() > 60);
    const QSize designed = m_F.Window().size();
    m_F.Window().resize(designed.width() + 300, designed.height());
    QTRY_COMPARE(m_F.Find<QWidget>("BT_SEP")->width(), 200);   // 3000 twips
    QCOMPARE(m_F.Slider()->size(), QSize(191, 36));              // 2865 x 540 twips
    QVERIFY(allShown());
    m_F.Window().resize(designed);
    QTRY_VERIFY(allShown());
}

void TestMainWindow::enabledStates_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<bool>("bowlsAfter");   // bowls present when the table is applied
    QTest::addColumn<bool>("running");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("no bowls, t=0") << -1 << false << false << kFile + QStringList{"MN_VIEW_BOWL_EDITOR"};
    QTest::newRow("bowls, t=0") << 0 << true << false
                                << kFile + QStringList{"MN_VIEW_BOWL_EDITOR", "MN_COND_PLAY", "MN_COND_STEP"};
    QTest::newRow("after STEP, t=1") << 1 << true << false
                                     << kFile + QStringList{"MN_COND_BACK", "MN_COND_PLAY", "MN_COND_REW",
                                                            "MN_COND_STEP", "MN_COND_STOP"};
    QTest::newRow("running") << 0 << true << true << QStringList{"MN_COND_PAUSE", "MN_COND_STOP"};
    QTest::newRow("t=1, bowls removed since") << 1 << false << false << kFile;
}

void TestMainWindow::enabledStates() {
    QFETCH(int, steps);
    QFETCH(bool, bowlsAfter);
    QFETCH(bool, running);
    QFETCH(QStringList, enabled);
    if (steps >= 0) m_F.AddBowl(10, 1000, 1000, 5, 3);
    for (int i = 0; i < steps; ++i) m_F.Trigger("MN_COND_STEP");
    if (!bowlsAfter) m_F.Engine().ClearBowls();
    if (running) {
        m_F.Engine().sInterval(30000);   // no tick while the test looks
        m_F.Trigger("MN_COND_PLAY");
    }
    m_F.Window().RefreshCommands();
    for (const auto& [item, key] : kTable) {
        const bool expected = enabled.contains(item);
        QVERIFY2(m_F.Action(qPrintable(item))->isEnabled() == expected, qPrintable(item));
        if (!key.isEmpty()) QVERIFY2(m_F.Find(qPrintable(key))->isEnabled() == expected, qPrintable(key));
    }
    for (const QString& item : kAlwaysEnabled) QVERIFY2(m_F.Action(qPrintable(item))->isEnabled(), qPrintable(item));
    QVERIFY(m_F.Slider()->isEnabled());
}

void TestMainWindow::fileAndViewMenusRefreshWhenOpened() {
    QAction* play = m_F.Action("MN_COND_PLAY");
    for (const char* menu : {"MN_FILE", "MN_VIEW"}) {
        m_F.Engine().Reset();
        m_F.Window().RefreshCommands();
        m_F.Engine().AddBowl(10, 1000, 1000, 0, 0);   // no refresh of its own
        emit m_F.Find<QMenu>("MN_CONDUCTOR")->aboutToShow();
        emit m_F.Find<QMenu>("MN_HELP")->aboutToShow();
        QVERIFY2(!play->isEnabled(), "Conductor and Help do not refresh");
        emit m_F.Find<QMenu>(menu)->aboutToShow();
        QVERIFY2(play->isEnabled(), menu);
    }
}

void TestMainWindow::toolbarToggleResizesTheBox() {
    auto* area = m_F.Find<DrawingArea>("pc_Picture");
    for (const bool shown : {false, true}) {
        m_F.Trigger("MN_VIEW_CONDUCTOR_TOOLBAR");
        QCOMPARE(m_F.Action("MN_VIEW_CONDUCTOR_TOOLBAR")->isChecked(), shown);
        QCOMPARE(m_F.Find<QToolBar>("tlb_Main")->isHidden(), !shown);
        const int height = shown ? 282 : 282 + 44;   // the toolbar's 660 twips
        QCOMPARE(m_F.Engine().MaxY, height * 15.0f);  // at once
        QCOMPARE(m_F.Panel("PNL_MAX_Y"), shown ? QStringLiteral("4,230.00") : QStringLiteral("4,890.00"));
        QCOMPARE(m_F.Window().Picture().height(), height);   // redrawn at once: stopped
        QCOMPARE(m_F.Engine().MaxX, 8085.0f);
        QTRY_COMPARE(area->height(), height);                 // the layout follows
    }
}

void TestMainWindow::resizeWhileRunningRedrawsAtTheNextTick() {
    const CBowl& b = m_F.AddBowl(100, 1500, 1500, 30, 0);
    m_F.Engine().sInterval(30000);   // the next tick comes when the test says
    m_F.Trigger("MN_COND_PLAY");
    QSignalSpy frames(&m_F.Window(), &F_MAIN::framePresented);
    m_F.Window().resize(m_F.Window().width() + 60, m_F.Window().height() + 20);
    QTRY_COMPARE(m_F.Engine().MaxX, (539 + 60) * 15.0f);   // box and panels at once
    QCOMPARE(m_F.Engine().MaxY, (282 + 20) * 15.0f);
    QCOMPARE(m_F.Panel("PNL_MAX_X"), QStringLiteral("8,985.00"));
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), QStringLiteral("4,530.00"));
    QCOMPARE(frames.count(), 0);
    QCOMPARE(m_F.Window().Picture().width(), 539);
    m_F.Engine().Advance();   // what the clock's tick does
    QCOMPARE(frames.count(), 1);
    QCOMPARE(m_F.Window().Picture().size(), QSize(599, 302));
    QCOMPARE(m_F.ShownAt(b.x, b.y), m_F.ColorOf(b));
}

void TestMainWindow::windowTooSmallKeepsTheLastHeight() {
    F_MAIN& w = m_F.Window();
    m_F.AddBowl(10, 1000, 1000, 5, 0);
    w.setMinimumSize(1, 1);   // let the window become smaller than its bars
    w.resize(120, 40);
    QTRY_COMPARE(m_F.Engine().MaxX, 120 * 15.0f);
    QCOMPARE(m_F.Engine().MaxY, 4230.0f);
    QCOMPARE(m_F.Panel("PNL_MAX_Y"), QStringLiteral("4,230.00"));
    QCOMPARE(m_F.Panel("PNL_MAX_X"), QStringLiteral("1,800.00"));
    m_F.Trigger("MN_COND_STEP");   // still steps and draws
    QCOMPARE(m_F.Engine().t, 1);
    w.setMinimumSize(0, 0);
}

void TestMainWindow::closeAsksThenTerminatesTheEngine() {
    m_F.AddBowl(10, 1000, 1000, 5, 0);
    m_F.Trigger("MN_COND_PLAY");
    QSignalSpy closed(&m_F.Window(), &F_MAIN::closed);

    FlgModified = kTrue;   // Cancel to "Save Changes to Untitled?": nothing changes
    Prompt::ScriptAnswer(QMessageBox::Cancel);
    QVERIFY(!m_F.Window().close());
    QCOMPARE(Prompt::ShownMessages().size(), std::size_t(1));
    QVERIFY(m_F.Window().isVisible());
    QVERIFY(m_F.Window().IsAttached());
    QVERIFY(m_F.Engine().IsExecuting());
    QCOMPARE(closed.count(), 0);

    FlgModified = kFalse;   // nothing unsaved: closes without asking
    QVERIFY(m_F.Window().close());
    QCOMPARE(Prompt::ShownMessages().size(), std::size_t(1));
    QCOMPARE(closed.count(), 1);
    QVERIFY(!m_F.Window().IsAttached());
    QVERIFY(!m_F.Engine().IsExecuting());
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(0));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
