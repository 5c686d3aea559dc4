// Setting up a scene with the mouse and the keys in the main window's drawing
// area: selecting, dragging a bowl under the dialog's placement rules,
// cancelling, the velocity grip, the keys, and nothing of it once the
// simulation has left t = 0 or is running.
#include "main/bowlmanipulator.h"
#include "main/drawingarea.h"
#include "mainwindowfixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolTip>
#include <QPushButton>

using namespace vintrop;

class TestBowlManipulation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_F.Build();
        QCOMPARE(m_F.Window().devicePixelRatioF(), 1.0);
    }
    void init() {
        m_F.Reset();
        ClickEmpty();   // no bowl selected
    }
    void cleanupTestCase() { m_F.Destroy(); }

    void clickSelectsTheBowlUnderThePointer();
    void dragMovesTheInitialPosition();
    void dragRoundsToWholeTwipsHalvesToEven();
    void dropOnAWallIsRefused();
    void dropOnAnotherBowlIsRefused();
    void escapeCancelsADrag();
    void dragEndsCancelledWhateverComesBetween_data();
    void dragEndsCancelledWhateverComesBetween();
    void ctrlArrowChangesOneComponentByOne_data();
    void ctrlArrowChangesOneComponentByOne();
    void refusedKeyMoveShowsThePlaceUntilTheNextFrame_data();
    void refusedKeyMoveShowsThePlaceUntilTheNextFrame();
    void selectionOutlivesMenusWhileItNamesItsBowl();
    void gripSetsTheVelocityRoundedAndLimited();
    void keysMoveAndChangeVelocity();
    void nothingAfterTheStartOrWhileRunning();
    void doubleClickOnEmptySpaceAddsThere();
    void doubleClickBeyondFourDigitsOfTwips();
    void doubleClickOnABowlChangesIt();
    void deleteKeyRemovesTheSelectedBowl();
    void tabWalksTheBowlsThenLeaves();
    void pointingAndDescribing();
    void glancingCollisionSetUpWithTheMouseSurvivesSaving();

private:
    DrawingArea* Area() { return m_F.Find<DrawingArea>("pc_Picture"); }
    BowlManipulator* Manipulator() { return Area()->findChild<BowlManipulator*>(); }
    // Logical pixels of a point in twips at the current zoom.
    QPoint At(double x, double y) {
        const double tpp = zoom::TwipsPerPixel(twips::PerPixel(&m_F.Window()), Settings().Zoom());
        return QPoint(qRound(x / tpp), qRound(y / tpp));
    }
    void ClickEmpty() {
        QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(1, 1));
        FlgModified = kFalse;
    }
    void Drag(QPoint from, QPoint to, bool release = true) {
        QTest::mousePress(Area(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Area(), to);
        if (release) QTest::mouseRelease(Area(), Qt::LeftButton, {}, to);
    }
    QString Tip() { return m_F.Panel("PNL_TIP"); }
    void MoveFree(QPoint to) { m_F.MoveWithNoButton(Area(), to); }
    QList<QList<float>> Initial() { return m_F.InitialStates(); }
    // The bowl dialog's title and fields as it opens; then `edit` may change
    // them and OK is clicked (the dialog closes unless it refuses).
    struct Opened {
        QString title;
        QStringList fields;   // M, Xo, Yo, Vxo, Vyo
    };
    template <typename Action>
    Opened WithBowlDialog(Action&& action, std::function<void(QWidget*)> edit = {}) {
        Opened seen;
        QWidget* dialog = nullptr;
        vintrop::testing::ModalCloser closer([&] {
            dialog = QApplication::activeModalWidget();
            seen.title = dialog->windowTitle();
            for (const char* name : {"tx_M", "tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0"})
                seen.fields << dialog->findChild<QLineEdit*>(QLatin1String(name))->text();
            if (edit) edit(dialog);
            dialog->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
        });
        action();
        return seen;
    }

    vintrop::testing::MainWindowFixture m_F;
};

void TestBowlManipulation::clickSelectsTheBowlUnderThePointer() {
    // Mass 10: radius 133 twips; 15 twips to the pixel at 100 %, 7.5 at 200 %.
    m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100 + 8, 100));   // 120 twips off the centre
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(Manipulator()->Selected(), 2);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100 + 9, 100));   // 135 twips: outside
    QCOMPARE(Manipulator()->Selected(), 0);

    m_F.Trigger("MN_VIEW_ZOOM_IN");
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(200));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(200 + 17, 200));  // 127.5 twips
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(200 + 18, 200));  // 135 twips
    QCOMPARE(Manipulator()->Selected(), 0);
    QCOMPARE(FlgModified, kFalse);   // selecting changes nothing

    // Another scenario forgets the selection.
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(Manipulator()->Selected(), 1);
    m_F.Window().Document().New();
    QCOMPARE(Manipulator()->Selected(), 0);
    QCOMPARE(Area()->accessibleDescription(), QString());
}

void TestBowlManipulation::dragMovesTheInitialPosition() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500);
    Drag(QPoint(100, 100), QPoint(120, 110), false);
    QCOMPARE(b.x, 1800.0f);   // follows the pointer while dragged
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(120, 110));
    QCOMPARE(b.Xo(), 1800.0f);
    QCOMPARE(b.Yo(), 1650.0f);
    QCOMPARE(b.y, 1650.0f);
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(Tip(), QStringLiteral("t=0"));
    QCOMPARE(m_F.ShownAt(1800 - 80, 1650), m_F.ColorOf(b));   // redrawn there (the grip is at the centre)
    QCOMPARE(m_F.ShownAt(1500, 1500), QColor(Qt::black));
}

void TestBowlManipulation::dragRoundsToWholeTwipsHalvesToEven() {
    // 400 %: 3.75 twips to the pixel, so 6 pixels are 22.5 twips.
    for (int i = 0; i < 6; ++i) m_F.Trigger("MN_VIEW_ZOOM_IN");
    QCOMPARE(Settings().Zoom(), int16_t(400));
    CBowl& b = m_F.AddBowl(10, 800, 600);
    Drag(At(800, 600), At(800, 600) + QPoint(6, 2));   // 822.5 and 607.5
    QCOMPARE(b.Xo(), 822.0f);
    QCOMPARE(b.Yo(), 608.0f);
}

void TestBowlManipulation::dropOnAWallIsRefused() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500);
    // 75 + 133 reaches past the left wall.
    Drag(QPoint(100, 100), QPoint(5, 100), false);
    QCOMPARE(Tip(), QString::fromUtf8("Xo è troppo piccola!"));
    QCOMPARE(m_F.ShownAt(75, 1500), QColor(Qt::white));   // the dialog's provisional circle
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(5, 100));
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(b.x, 1500.0f);
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(Tip(), QStringLiteral("t=0"));

    // Touching the top wall is allowed: mass 1, radius 62 as the walls take
    // it; 96 pixels up from 1502 leave y = 62, one more leaves 47.
    CBowl& c = m_F.AddBowl(1, 3000, 1502);
    Drag(QPoint(200, 100), QPoint(200, 4), false);
    QCOMPARE(Tip(), QStringLiteral("t=0"));
    QTest::mouseMove(Area(), QPoint(200, 3));
    QCOMPARE(Tip(), QStringLiteral("Yo troppo piccola!"));
    QTest::mouseMove(Area(), QPoint(200, 4));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(200, 4));
    QCOMPARE(c.Yo(), 62.0f);
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlManipulation::dropOnAnotherBowlIsRefused() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500);
    Drag(QPoint(100, 100), QPoint(190, 100), false);   // 2850: the disks overlap
    QCOMPARE(Tip(), QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla 2!"));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(190, 100));
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(FlgModified, kFalse);
    // Dragging on past the other bowl is allowed again where they are clear.
    // The bowl is selected now and its grip (no velocity) covers its centre:
    // the press is off the centre.
    Drag(QPoint(100, 106), QPoint(190, 106), false);
    QCOMPARE(b.Vxo(), 0.0f);
    QTest::mouseMove(Area(), QPoint(220, 106));   // 3300: 300 apart, radii 266
    QCOMPARE(Tip(), QStringLiteral("t=0"));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(220, 106));
    QCOMPARE(b.Xo(), 3300.0f);
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlManipulation::escapeCancelsADrag() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500, 4, 2);
    Drag(QPoint(100, 100), QPoint(130, 120), false);
    QCOMPARE(b.x, 1950.0f);
    QTest::keyClick(Area(), Qt::Key_Escape);
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(b.Yo(), 1500.0f);
    QCOMPARE(Manipulator()->Dragging(), false);
    QTest::mouseMove(Area(), QPoint(150, 150));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(150, 150));
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(FlgModified, kFalse);

    // The grip too: back to the velocity it had.
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100, 100));
    const QPoint grip = At(1500 + 40, 1500 + 20);
    Drag(grip, grip + QPoint(20, 20), false);
    QVERIFY(b.Vxo() != 4.0f);
    QTest::keyClick(Area(), Qt::Key_Escape);
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, grip + QPoint(20, 20));
    QCOMPARE(b.Vxo(), 4.0f);
    QCOMPARE(b.Vyo(), 2.0f);
    QCOMPARE(FlgModified, kFalse);
}

void TestBowlManipulation::dragEndsCancelledWhateverComesBetween_data() {
    // What comes between the press and the release: a command, by its
    // action, or a modal window opened by something else.
    QTest::addColumn<QString>("command");
    for (const char* name : {"MN_COND_PLAY", "MN_COND_STEP", "MN_FILE_NEW", "MN_FILE_OPEN",
                             "MN_VIEW_BOWL_EDITOR", "MN_OPTIONS", "MN_FULL_SCREEN", "MN_VIEW_ZOOM_IN",
                             "MN_ABOUT", ""})
        QTest::newRow(*name ? name : "a modal window") << QString::fromLatin1(name);
}

void TestBowlManipulation::dragEndsCancelledWhateverComesBetween() {
    QFETCH(QString, command);
    m_F.AddBowl(10, 1500, 1500, 3, 0);
    m_F.AddBowl(10, 3000, 2500);
    m_F.Engine().sInterval(30000);   // no tick while the test looks
    const auto before = Initial();
    Drag(At(1500, 1500), At(1500, 1500) + QPoint(20, 10), false);
    QCOMPARE(m_F.Engine().GetBowl(1).Xo(), 1800.0f);

    {
        // Whatever modal window comes up is closed again.
        vintrop::testing::ModalCloser closer;
        if (command.isEmpty()) {
            QDialog modal(&m_F.Window());
            modal.exec();
        } else {
            QAction* action = m_F.Action(qPrintable(command));
            if (action->isEnabled()) action->trigger();
        }
    }
    // Cancelled before the command ran: the bowl back where the drag began,
    // nothing modified (or another scenario, for New).
    if (command != QLatin1String("MN_FILE_NEW")) QCOMPARE(Initial(), before);
    QCOMPARE(FlgModified, kFalse);
    QVERIFY(!Manipulator()->Dragging());
    if (m_F.Engine().IsExecuting()) m_F.Trigger("MN_COND_PAUSE");
    // The mouse moving freely and the late release move nothing, now or
    // after the simulation went back to the start.
    const auto after = Initial();
    MoveFree(At(4000, 3000));
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, At(4000, 3000));
    if (m_F.Action("MN_COND_REW")->isEnabled()) m_F.Trigger("MN_COND_REW");
    MoveFree(At(1000, 3000));
    QCOMPARE(Initial(), after);
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(Prompt::ShownTexts(), QStringList());
}

void TestBowlManipulation::ctrlArrowChangesOneComponentByOne_data() {
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("x back towards the range") << QPointF(-500, -300) << int(Qt::Key_Right) << QPointF(-499, -300);
    QTest::newRow("y further beyond: refused") << QPointF(-500, -300) << int(Qt::Key_Up) << QPointF(-500, -300);
    QTest::newRow("y within, x beyond kept") << QPointF(1500, 7) << int(Qt::Key_Down) << QPointF(1500, 8);
    QTest::newRow("x at the lowest") << QPointF(-99, 5) << int(Qt::Key_Left) << QPointF(-99, 5);
    QTest::newRow("y at the highest") << QPointF(2, 999) << int(Qt::Key_Down) << QPointF(2, 999);
    QTest::newRow("x from the highest") << QPointF(999, -5) << int(Qt::Key_Left) << QPointF(998, -5);
    QTest::newRow("x up to the highest") << QPointF(998, 0) << int(Qt::Key_Right) << QPointF(999, 0);
}

void TestBowlManipulation::ctrlArrowChangesOneComponentByOne() {
    QFETCH(QPointF, from);
    QFETCH(int, key);
    QFETCH(QPointF, to);
    CBowl& b = m_F.AddBowl(10, 1500, 1500, float(from.x()), float(from.y()));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, At(1500 + 100, 1500));   // off the grip
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::keyClick(Area(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(QPointF(b.Vxo(), b.Vyo()), to);
    QCOMPARE(FlgModified, to == from ? kFalse : kTrue);
}

void TestBowlManipulation::refusedKeyMoveShowsThePlaceUntilTheNextFrame_data() {
    // Mass 10, radius 133: each bowl is one key step (15 twips) from a wall
    // too near.
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("rule");
    QTest::newRow("left") << QPointF(140, 1500) << int(Qt::Key_Left) << QString::fromUtf8("Xo è troppo piccola!");
    QTest::newRow("up") << QPointF(1500, 140) << int(Qt::Key_Up) << QStringLiteral("Yo troppo piccola!");
    QTest::newRow("right") << QPointF(8085 - 140, 1500) << int(Qt::Key_Right) << QStringLiteral("Xo troppo grande!");
    QTest::newRow("down") << QPointF(1500, 4230 - 140) << int(Qt::Key_Down) << QStringLiteral("Yo troppo grande!");
}

void TestBowlManipulation::refusedKeyMoveShowsThePlaceUntilTheNextFrame() {
    QFETCH(QPointF, at);
    QFETCH(int, key);
    QFETCH(QString, rule);
    CBowl& b = m_F.AddBowl(10, float(at.x()), float(at.y()));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, At(at.x(), at.y()) + QPoint(3, 3));
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::keyClick(Area(), Qt::Key(key));
    QCOMPARE(QPointF(b.Xo(), b.Yo()), at);
    QCOMPARE(QPointF(b.x, b.y), at);
    QCOMPARE(FlgModified, kFalse);
    // The place refused shows as the white circle, with the rule's words.
    const QPointF refused = at + 15 * QPointF(key == Qt::Key_Right ? 1 : key == Qt::Key_Left ? -1 : 0,
                                               key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0);
    const QPointF outer = refused + 2 * (refused - at) / 15 * 60;   // inside the circle, off the bowl
    QCOMPARE(m_F.ShownAt(outer.x(), outer.y()), QColor(Qt::white));
    QCOMPARE(Tip(), rule);
    m_F.Window().ManualRefresh();
    QCOMPARE(Tip(), QStringLiteral("t=0"));
    QCOMPARE(m_F.ShownAt(outer.x(), outer.y()), QColor(Qt::black));
}

void TestBowlManipulation::selectionOutlivesMenusWhileItNamesItsBowl() {
    m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, At(3000 + 100, 1500));
    QCOMPARE(Manipulator()->Selected(), 2);
    for (const char* menu : {"MN_FILE", "MN_VIEW"}) emit m_F.Find<QMenu>(menu)->aboutToShow();
    QCOMPARE(Manipulator()->Selected(), 2);
    // Removed behind its back: the selection goes when the commands refresh.
    m_F.Engine().RemoveBowl(2);
    m_F.Window().RefreshCommands();
    QCOMPARE(Manipulator()->Selected(), 0);
}

void TestBowlManipulation::gripSetsTheVelocityRoundedAndLimited() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100, 100));   // selects
    QCOMPARE(FlgModified, kFalse);
    // At rest the grip waits right of the bowl: the middle moves the bowl...
    Drag(QPoint(100, 100), QPoint(102, 100));
    QCOMPARE(b.Xo(), 1530.0f);
    QCOMPARE(b.Vxo(), 0.0f);
    Drag(QPoint(102, 100), QPoint(100, 100));
    // ...and the grip, 10 pixels right of its edge, sets the velocity.
    Drag(QPoint(119, 100), QPoint(104, 98));   // (60, -30) twips from the centre
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(b.Vxo(), 6.0f);
    QCOMPARE(b.Vyo(), -3.0f);
    QCOMPARE(b.Vx, 6.0f);
    QCOMPARE(FlgModified, kTrue);

    // 1.5 and 4.5 twips per step: halves to even.
    Drag(QPoint(104, 98), QPoint(101, 103));
    QCOMPARE(b.Vxo(), 2.0f);
    QCOMPARE(b.Vyo(), 4.0f);

    // -990 twips is -99; beyond stays -99; far right stays 999.
    Drag(QPoint(101, 103), QPoint(100 - 66, 100 + 67));
    QCOMPARE(b.Vxo(), -99.0f);
    QCOMPARE(b.Vyo(), 100.0f);
    Drag(QPoint(34, 167), QPoint(100 - 67, 100 - 67), false);
    QCOMPARE(b.Vxo(), -99.0f);
    QCOMPARE(b.Vyo(), -99.0f);
    QTest::mouseMove(Area(), QPoint(800, 100));   // 1,050 twips per step asked
    QCOMPARE(b.Vxo(), 999.0f);
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, QPoint(800, 100));
    QCOMPARE(b.Vxo(), 999.0f);
    QCOMPARE(b.Vyo(), 0.0f);

    // A change of the y component alone is a change too.
    FlgModified = kFalse;
    Drag(QPoint(766, 100), QPoint(766, 104));   // the grip, 9,990 twips right of the centre
    QCOMPARE(b.Vxo(), 999.0f);
    QCOMPARE(b.Vyo(), 6.0f);
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlManipulation::keysMoveAndChangeVelocity() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(Area(), Qt::Key_Right);
    QCOMPARE(b.Xo(), 1515.0f);
    QCOMPARE(FlgModified, kTrue);
    QTest::keyClick(Area(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(b.Yo(), 1650.0f);
    QTest::keyClick(Area(), Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(Area(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(b.Vxo(), -1.0f);
    QCOMPARE(b.Vyo(), -1.0f);
    QCOMPARE(b.Xo(), 1515.0f);

    // Ctrl+arrow keeps within what the dialog's velocity fields accept.
    b.SetVxo(-99);
    b.SetVyo(999);
    FlgModified = kFalse;
    QTest::keyClick(Area(), Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(Area(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(b.Vxo(), -99.0f);
    QCOMPARE(b.Vyo(), 999.0f);
    QCOMPARE(FlgModified, kFalse);
    QTest::keyClick(Area(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(b.Vxo(), -98.0f);

    // The same step at any zoom.
    m_F.Trigger("MN_VIEW_ZOOM_IN");
    QTest::keyClick(Area(), Qt::Key_Left);
    QCOMPARE(b.Xo(), 1500.0f);

    // Up to the left wall (r = 133) and no further.
    b.SetXo(148);
    QTest::keyClick(Area(), Qt::Key_Left);
    QCOMPARE(b.Xo(), 133.0f);
    QTest::keyClick(Area(), Qt::Key_Left);
    QCOMPARE(b.Xo(), 133.0f);
    QCOMPARE(Tip(), QString::fromUtf8("Xo è troppo piccola!"));
}

void TestBowlManipulation::nothingAfterTheStartOrWhileRunning() {
    CBowl& b = m_F.AddBowl(10, 1500, 1500, 1, 0);
    m_F.Trigger("MN_COND_STEP");
    QCOMPARE(m_F.Engine().t, 1);
    QVERIFY(!m_F.Action("MN_VIEW_BOWL_EDITOR")->isEnabled());
    Drag(QPoint(100, 100), QPoint(130, 100));
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(b.x, 1501.0f);
    QCOMPARE(Manipulator()->Selected(), 0);
    QTest::keyClick(Area(), Qt::Key_Right);
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(FlgModified, kFalse);

    m_F.Trigger("MN_COND_REW");
    QCOMPARE(m_F.Engine().t, 0);
    m_F.Trigger("MN_COND_PLAY");
    QVERIFY(m_F.Engine().IsExecuting());
    Drag(QPoint(100, 100), QPoint(130, 100));
    const bool stillAtStart = m_F.Engine().t == 0;
    m_F.Trigger("MN_COND_PAUSE");
    QVERIFY(stillAtStart);   // refused because it was running, not past the start
    QCOMPARE(b.Xo(), 1500.0f);
    QCOMPARE(FlgModified, kFalse);
}

void TestBowlManipulation::doubleClickBeyondFourDigitsOfTwips() {
    // A wide window holds a box past 9,999 twips: the place offered is the
    // place clicked, not its first four digits.
    m_F.Window().resize(900, m_F.Window().height());
    QTRY_VERIFY(m_F.Engine().MaxX > 11000);
    const Opened seen = WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(700, 200)); });
    QCOMPARE(seen.fields, QStringList({"1", "10500", "3000", "0", "0"}));
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(1));
    QCOMPARE(m_F.Engine().GetBowl(1).Xo(), 10500.0f);
}

void TestBowlManipulation::doubleClickOnEmptySpaceAddsThere() {
    m_F.AddBowl(10, 1500, 1500);
    const Opened seen = WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(300, 200)); });
    QCOMPARE(seen.title, QStringLiteral("Insert Bowl nr. 2"));
    QCOMPARE(seen.fields, QStringList({"1", "4500", "3000", "0", "0"}));
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
    const CBowl& added = m_F.Engine().GetBowl(2);
    QCOMPARE(added.Xo(), 4500.0f);
    QCOMPARE(added.Yo(), 3000.0f);
    QCOMPARE(added.M(), 1.0f);
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(Manipulator()->Selected(), 2);

    // The dialog's own rules still hold: too near bowl 1, refused and cancelled.
    FlgModified = kFalse;
    WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(100, 112)); });
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
    QVERIFY(Prompt::ShownTexts().contains(QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla 1!")));
    QCOMPARE(FlgModified, kFalse);

    // Not after the start.
    m_F.Trigger("MN_COND_STEP");
    vintrop::testing::ModalCloser closer;
    QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(300, 250));
    QCOMPARE(closer.Seen(), QString());
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
}

void TestBowlManipulation::doubleClickOnABowlChangesIt() {
    m_F.AddBowl(10, 1500, 1500);
    CBowl& b = m_F.AddBowl(20, 3000, 1500, 6, -3);
    const Opened seen = WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(200, 100)); },
                                       [](QWidget* dialog) {
                                           dialog->findChild<QLineEdit*>(QStringLiteral("tx_X0"))->setText("4000");
                                       });
    QCOMPARE(seen.title, QStringLiteral("Bowl nr. 2 property"));
    QCOMPARE(seen.fields, QStringList({"20", "3000", "1500", "6", "-3"}));
    QCOMPARE(b.Xo(), 4000.0f);
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(m_F.ShownAt(4000 - 80, 1500), m_F.ColorOf(b));
}

void TestBowlManipulation::deleteKeyRemovesTheSelectedBowl() {
    m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500);
    QTest::keyClick(Area(), Qt::Key_Delete);   // nothing selected: nothing opens
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100, 100));
    const Opened seen = WithBowlDialog([&] { QTest::keyClick(Area(), Qt::Key_Delete); });
    QCOMPARE(seen.title, QStringLiteral("Elimina palla 1"));
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(1));
    QCOMPARE(m_F.Engine().GetBowl(1).Xo(), 3000.0f);
    QCOMPARE(Manipulator()->Selected(), 0);
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(m_F.ShownAt(1500, 1500), QColor(Qt::black));
}

void TestBowlManipulation::tabWalksTheBowlsThenLeaves() {
    m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500);
    QApplication::setActiveWindow(&m_F.Window());
    QVERIFY(QTest::qWaitForWindowActive(&m_F.Window()));
    Area()->setFocus(Qt::TabFocusReason);
    QVERIFY(Area()->hasFocus());
    QTest::keyClick(Area(), Qt::Key_Tab);
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::keyClick(Area(), Qt::Key_Tab);
    QCOMPARE(Manipulator()->Selected(), 2);
    QVERIFY(Area()->hasFocus());
    QTest::keyClick(Area(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Manipulator()->Selected(), 1);
    QTest::keyClick(Area(), Qt::Key_Tab);
    QTest::keyClick(Area(), Qt::Key_Tab);   // past the last bowl: the focus moves on
    QCOMPARE(Manipulator()->Selected(), 0);
    QVERIFY(!Area()->hasFocus());

    // From the other end, Shift+Tab starts at the last bowl and leaves past the first.
    Area()->setFocus(Qt::BacktabFocusReason);
    QTest::keyClick(Area(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Manipulator()->Selected(), 2);
    QTest::keyClick(Area(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(Area(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Manipulator()->Selected(), 0);
    QVERIFY(!Area()->hasFocus());
    QCOMPARE(FlgModified, kFalse);
}

void TestBowlManipulation::pointingAndDescribing() {
    m_F.AddBowl(10, 1500, 1500);
    m_F.AddBowl(10, 3000, 1500, 6, -3);
    QCOMPARE(Manipulator()->Describe(2),
             QStringLiteral("Bowl 2, mass 10, at 3,000.00, 1,500.00, velocity 6.00, -3.00"));
    QHelpEvent help(QEvent::ToolTip, QPoint(200, 100), Area()->mapToGlobal(QPoint(200, 100)));
    QApplication::sendEvent(Area(), &help);
    QCOMPARE(QToolTip::text(), Manipulator()->Describe(2));
    QTest::mouseMove(Area(), QPoint(200, 100));
    QCOMPARE(Area()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(Area(), QPoint(150, 100));
    QCOMPARE(Area()->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(Area()->accessibleDescription(), Manipulator()->Describe(2));
    QTest::keyClick(Area(), Qt::Key_Right);
    QCOMPARE(Area()->accessibleDescription(),
             QStringLiteral("Bowl 2, mass 10, at 3,015.00, 1,500.00, velocity 6.00, -3.00"));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(300, 200));
    QCOMPARE(Area()->accessibleDescription(), QString());

    m_F.Trigger("MN_COND_STEP");   // no hand once past the start
    QTest::mouseMove(Area(), QPoint(200, 100));
    QCOMPARE(Area()->cursor().shape(), Qt::ArrowCursor);
}

void TestBowlManipulation::glancingCollisionSetUpWithTheMouseSurvivesSaving() {
    // Two bowls of mass 1 (radius 62) added by double clicks, 75 twips
    // apart vertically; the first given a velocity with its grip.
    WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(100, 150)); });
    WithBowlDialog([&] { QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(300, 155)); });
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(100, 150));
    Drag(QPoint(114, 150), QPoint(107, 150));   // the grip beside it to 105 twips: 10.5 per step, 10
    const CBowl& first = m_F.Engine().GetBowl(1);
    QCOMPARE(first.Vxo(), 10.0f);
    QCOMPARE(first.Vyo(), 0.0f);
    QCOMPARE(FlgModified, kTrue);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("glancing.txt"));
    Prompt::ScriptFileName(path);
    m_F.Window().Document().SaveAs();
    QCOMPARE(FlgModified, kFalse);
    m_F.Window().Document().New();
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(0));
    Prompt::ScriptFileName(path);
    m_F.Window().Document().Open();
    QCOMPARE(m_F.Engine().BowlCount(), int16_t(2));
    const CBowl& a = m_F.Engine().GetBowl(1);
    const CBowl& b = m_F.Engine().GetBowl(2);
    QCOMPARE(QList<float>({a.M(), a.Xo(), a.Yo(), a.Vxo(), a.Vyo()}), QList<float>({1, 1500, 2250, 10, 0}));
    QCOMPARE(QList<float>({b.M(), b.Xo(), b.Yo(), b.Vxo(), b.Vyo()}), QList<float>({1, 4500, 2325, 0, 0}));

    // Run until they meet: off-centre, so both leave the line of travel, the
    // second bowl (the lower one) downwards and the first upwards.
    for (int i = 0; i < 400 && b.Vx == 0; ++i) m_F.Trigger("MN_COND_STEP");
    QVERIFY(b.Vx > 0);
    QVERIFY(b.Vy > 0);
    QVERIFY(a.Vy < 0);
}

QTEST_MAIN(TestBowlManipulation)
#include "test_bowlmanipulation.moc"
