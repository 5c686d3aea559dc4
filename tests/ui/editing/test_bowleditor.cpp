// The bowl editor: its list and totals, the buttons and their states, the
// commands through the bowl property dialog, the modified flag and the
// redraws of the main window.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "appstate.h"
#include "drawdevice.h"
#include "editing/f_bowl_editor.h"
#include "editing/f_edit_bowl.h"
#include "envengine.h"
#include "numeric.h"
#include "prompt.h"

using namespace vintrop;

namespace {
class CountingDevice : public IDrawDevice {
public:
    int refreshes = 0;
    void ManualRefresh() override { ++refreshes; }
    void DrawProvisionalCircle(float, float, float) override {}
};

// Acts on the bowl property dialog once it is up; closes it if the action
// left it open, so no test waits on it. Gives up after a few hundred tries.
void OnModal(QObject* context, std::function<void(QWidget*)> action, int tries = 300) {
    QTimer::singleShot(tries == 300 ? 0 : 5, context, [context, action, tries] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w->objectName() != QLatin1String("F_EDIT_BOWL")) {
            if (tries > 0) OnModal(context, action, tries - 1);
            return;
        }
        action(w);
        if (QApplication::activeModalWidget() == w) w->close();
    });
}

void FillAndOk(QWidget* w, const QStringList& values) {
    const char* names[] = {"tx_M", "tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0"};
    for (int i = 0; i < 5; ++i)
        if (i < values.size()) w->findChild<QLineEdit*>(QLatin1String(names[i]))->setText(values[i]);
    w->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
}
} // namespace

class TestBowlEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyScenario();
    void rowsAndFormats();
    void totals();
    void buttonsFollowTheSelection();
    void addSelectsTheNewLastRow();
    void cancelledDialogChangesNothing();
    void updateKeepsTheRowSelected();
    void doubleClickOpensTheProperty();
    void removeRenumbersTheRowsBelow();
    void clearAsksFirst_data();
    void clearAsksFirst();
    void exitEnterAndEscClose();

private:
    void MakeEditor() {
        m_ModelTester.reset();   // it would check a list under destruction
        m_Editor = std::make_unique<F_BOWL_EDITOR>(nullptr, &m_Device, m_Dialog);
        m_Editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Editor.get()));
        // Qt's checks of the list's model, after every change the tests make.
        m_ModelTester = std::make_unique<QAbstractItemModelTester>(
            List()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    QPushButton* Button(const char* name) const {
        auto* b = m_Editor->findChild<QPushButton*>(QLatin1String(name));
        if (!b) qFatal("no button %s", name);
        return b;
    }
    QTreeWidget* List() const { return m_Editor->findChild<QTreeWidget*>(QStringLiteral("lvw_Bowls")); }
    QString Panel(const char* name) const {
        return m_Editor->findChild<QLabel*>(QLatin1String(name))->text();
    }
    QString Cell(int row, int column) const { return List()->topLevelItem(row - 1)->text(column); }
    int Selected() const {
        const auto items = List()->selectedItems();
        return items.isEmpty() ? 0 : List()->indexOfTopLevelItem(items.first()) + 1;
    }
    void Select(int row) {
        QTreeWidgetItem* item = List()->topLevelItem(row - 1);
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(item).center());
    }

    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;
    CountingDevice m_Device;
    F_EDIT_BOWL m_Dialog;
    std::unique_ptr<F_BOWL_EDITOR> m_Editor;
    std::unique_ptr<QAbstractItemModelTester> m_ModelTester;
};

void TestBowlEditor::initTestCase() {
    // Grouping and decimal characters of an English locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestBowlEditor::init() {
    Prompt::StartScripting();
    m_Engine = std::make_unique<CEnvEng>();
    m_Engine->init(m_Clock);
    m_Engine->MaxX = 8085;
    m_Engine->MaxY = 4230;
    g_pEnvEng = m_Engine.get();
    FlgModified = kFalse;
    m_Device.refreshes = 0;
}

void TestBowlEditor::cleanup() {
    m_ModelTester.reset();
    m_Editor.reset();
    g_pEnvEng = nullptr;
    m_Engine.reset();
}

void TestBowlEditor::emptyScenario() {
    MakeEditor();
    QCOMPARE(m_Editor->windowTitle(), QStringLiteral("Bowl Editor"));
    QCOMPARE(List()->topLevelItemCount(), 0);
    QCOMPARE(Panel("PNL_BOWL_COUNT"), QStringLiteral("0"));
    QCOMPARE(Panel("PNL_EN_CIN_TOT"), QStringLiteral("0.00"));
    QCOMPARE(m_Device.refreshes, 1);   // the scene is redrawn when the list is built

    struct Expect {
        const char* name;
        const char* tip;
        bool enabled;
    };
    for (const Expect& e : {Expect{"bt_Add", "Add Bowl", true}, Expect{"bt_Remove", "Delete Bowl", false},
                            Expect{"bt_Update", "Bowl Property", false},
                            Expect{"bt_Clear", "Clear Bowls!", false}, Expect{"bt_Exit", "Exit", true}}) {
        QCOMPARE(Button(e.name)->toolTip(), QLatin1String(e.tip));
        QCOMPARE(Button(e.name)->accessibleName(), QLatin1String(e.tip));
        QVERIFY(Button(e.name)->text().isEmpty());
        QVERIFY(!Button(e.name)->icon().isNull());
        QCOMPARE(Button(e.name)->isEnabled(), e.enabled);
    }
    // Left to right in tab order.
    QVERIFY(Button("bt_Add")->x() < Button("bt_Remove")->x());
    QVERIFY(Button("bt_Remove")->x() < Button("bt_Update")->x());
    QVERIFY(Button("bt_Update")->x() < Button("bt_Clear")->x());
    QVERIFY(Button("bt_Clear")->x() < Button("bt_Exit")->x());

    // Add opens the dialog for bowl 1.
    QString title;
    OnModal(this, [&](QWidget* w) { title = w->windowTitle(); });
    Button("bt_Add")->click();
    QCOMPARE(title, QStringLiteral("Insert Bowl nr. 1"));
}

void TestBowlEditor::rowsAndFormats() {
    m_Engine->AddBowl(10, 2.5f, 1234, -5, 0);
    for (int i = 2; i <= 12; ++i) m_Engine->AddBowl(1, 150.0f * i, 300, 1, 2);
    m_Engine->GetBowl(2).SetM(2.5f);   // a mass with decimals, plain decimal text
    MakeEditor();

    const QStringList headers{"N.", "M", "Xo", "Yo", "Vxo", "Vyo"};
    QCOMPARE(List()->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(List()->headerItem()->text(c), headers[c]);
        QCOMPARE(List()->columnWidth(c), c == 0 ? 33 : 67);   // 500 and 1000 twips
        const Qt::Alignment side = c == 0 ? Qt::AlignLeft : Qt::AlignRight;
        QVERIFY(Qt::Alignment(List()->topLevelItem(0)->textAlignment(c)) & side);
    }
    QCOMPARE(List()->topLevelItemCount(), 12);
    QCOMPARE(Cell(1, 0), QStringLiteral("  1"));
    QCOMPARE(Cell(12, 0), QStringLiteral(" 12"));
    QCOMPARE(Cell(1, 1), QStringLiteral("10"));
    QCOMPARE(Cell(2, 1), QStringLiteral("2.5"));
    QCOMPARE(Cell(1, 2), QStringLiteral("2.50"));
    QCOMPARE(Cell(1, 3), QStringLiteral("1,234.00"));
    QCOMPARE(Cell(1, 4), QStringLiteral("-5.00"));
    QCOMPARE(Cell(1, 5), QStringLiteral("0.00"));
    QCOMPARE(Cell(12, 2), QStringLiteral("1,800.00"));
    QCOMPARE(Panel("PNL_BOWL_COUNT"), QStringLiteral("12"));
}

void TestBowlEditor::totals() {
    // 1/2 * 10 * (30^2 + 40^2) + 1/2 * 2 * (3^2 + 4^2) = 12,500 + 25
    m_Engine->AddBowl(10, 500, 500, 30, 40);
    m_Engine->AddBowl(2, 1500, 500, 3, 4);
    MakeEditor();
    QCOMPARE(Panel("PNL_BOWL_COUNT"), QStringLiteral("2"));
    QCOMPARE(Panel("PNL_EN_CIN_TOT"), QStringLiteral("12,525.00"));
    QList<QLabel*> panels = m_Editor->findChild<QWidget*>(QStringLiteral("sbr_Totals"))->findChildren<QLabel*>();
    QCOMPARE(panels.size(), 4);
    QCOMPARE(panels[0]->text(), QStringLiteral("Bowls Count = "));
    QCOMPARE(panels[0]->toolTip(), QStringLiteral("Bowls Count = "));
    QCOMPARE(panels[2]->text(), QStringLiteral("1/2 MV^2(o) = "));
    QCOMPARE(panels[2]->toolTip(), QStringLiteral("1/2 MV^2(o) = "));
    // Every panel lies within the window; the captions are not cut.
    for (QLabel* p : panels) QVERIFY(p->geometry().right() < m_Editor->width());
    QVERIFY(panels[0]->width() >= panels[0]->sizeHint().width());
    QVERIFY(panels[2]->width() >= panels[2]->sizeHint().width());
}

void TestBowlEditor::buttonsFollowTheSelection() {
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    m_Engine->AddBowl(1, 1500, 500, 0, 0);
    MakeEditor();
    QVERIFY(!Button("bt_Update")->isEnabled());
    Select(2);
    QCOMPARE(Selected(), 2);
    for (const char* name : {"bt_Update", "bt_Remove", "bt_Clear", "bt_Add", "bt_Exit"})
        QVERIFY2(Button(name)->isEnabled(), name);
    List()->clearSelection();
    for (const char* name : {"bt_Update", "bt_Remove", "bt_Clear"}) QVERIFY2(!Button(name)->isEnabled(), name);
}

void TestBowlEditor::addSelectsTheNewLastRow() {
    for (int i = 0; i < 20; ++i) m_Engine->AddBowl(1, 200.0f + 130 * (i % 10), 200.0f + 130 * (i / 10), 0, 0);
    MakeEditor();
    const int before = m_Device.refreshes;
    OnModal(this, [](QWidget* w) { FillAndOk(w, {"3", "3000", "3000", "7", "-7"}); });
    Button("bt_Add")->click();

    QCOMPARE(List()->topLevelItemCount(), 21);
    QCOMPARE(Selected(), 21);
    QCOMPARE(Cell(21, 0), QStringLiteral(" 21"));
    QCOMPARE(Cell(21, 2), QStringLiteral("3,000.00"));
    QCOMPARE(Panel("PNL_BOWL_COUNT"), QStringLiteral("21"));
    QCOMPARE(FlgModified, kTrue);
    QVERIFY(m_Device.refreshes > before);
    // Scrolled into view.
    const QRect row = List()->visualItemRect(List()->topLevelItem(20));
    QVERIFY(List()->viewport()->rect().contains(row));
}

void TestBowlEditor::cancelledDialogChangesNothing() {
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    MakeEditor();
    OnModal(this, [](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("bt_Cancel"))->click(); });
    Button("bt_Add")->click();
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(List()->topLevelItemCount(), 1);
    const int refreshes = m_Device.refreshes;

    // After a committed change a later cancel leaves the document modified.
    OnModal(this, [](QWidget* w) { FillAndOk(w, {"1", "1500", "500", "0", "0"}); });
    Button("bt_Add")->click();
    QCOMPARE(FlgModified, kTrue);
    const int afterAdd = m_Device.refreshes;
    QVERIFY(afterAdd > refreshes);
    OnModal(this, [](QWidget* w) { w->close(); });
    Button("bt_Add")->click();
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(m_Device.refreshes, afterAdd);   // no redraw without a change
}

void TestBowlEditor::updateKeepsTheRowSelected() {
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    m_Engine->AddBowl(1, 1500, 500, 0, 0);
    m_Engine->AddBowl(1, 2500, 500, 0, 0);
    MakeEditor();
    Select(2);
    QString title;
    OnModal(this, [&](QWidget* w) {
        title = w->windowTitle();
        FillAndOk(w, {"10"});
    });
    Button("bt_Update")->click();
    QCOMPARE(title, QStringLiteral("Bowl nr. 2 property"));
    QCOMPARE(Cell(2, 1), QStringLiteral("10"));
    QCOMPARE(m_Engine->GetBowl(2).M(), 10.0f);
    QCOMPARE(Selected(), 2);
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlEditor::doubleClickOpensTheProperty() {
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    m_Engine->AddBowl(1, 1500, 500, 0, 0);
    MakeEditor();
    QString title;
    OnModal(this, [&](QWidget* w) { title = w->windowTitle(); });
    const QPoint at = List()->visualItemRect(List()->topLevelItem(1)).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(title, QStringLiteral("Bowl nr. 2 property"));
    QCOMPARE(FlgModified, kFalse);   // closed without a change
}

void TestBowlEditor::removeRenumbersTheRowsBelow() {
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    m_Engine->AddBowl(2, 1500, 500, 0, 0);
    m_Engine->AddBowl(3, 2500, 500, 0, 0);
    MakeEditor();
    Select(2);
    QString title;
    OnModal(this, [&](QWidget* w) {
        title = w->windowTitle();
        w->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
    });
    Button("bt_Remove")->click();
    QCOMPARE(title, QStringLiteral("Elimina palla 2"));
    QCOMPARE(List()->topLevelItemCount(), 2);
    QCOMPARE(Cell(2, 0), QStringLiteral("  2"));
    QCOMPARE(Cell(2, 1), QStringLiteral("3"));
    QCOMPARE(Cell(2, 2), QStringLiteral("2,500.00"));
    QCOMPARE(FlgModified, kTrue);
}

void TestBowlEditor::clearAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("modifiedAfter");
    QTest::newRow("No keeps everything") << int(QMessageBox::No) << 2 << false;
    QTest::newRow("Yes clears") << int(QMessageBox::Yes) << 0 << true;
}

void TestBowlEditor::clearAsksFirst() {
    QFETCH(int, answer);
    QFETCH(int, rowsAfter);
    QFETCH(bool, modifiedAfter);
    m_Engine->AddBowl(1, 500, 500, 0, 0);
    m_Engine->AddBowl(1, 1500, 500, 0, 0);
    MakeEditor();
    Select(1);
    const int refreshes = m_Device.refreshes;
    Prompt::ScriptAnswer(static_cast<QMessageBox::StandardButton>(answer));
    Button("bt_Clear")->click();

    QCOMPARE(Prompt::ShownMessages().size(), size_t(1));
    const auto& asked = Prompt::ShownMessages().front();
    QCOMPARE(asked.text, QStringLiteral("Cancellare tutte le palle?"));
    QCOMPARE(asked.icon, Prompt::Icon::Question);
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(List()->topLevelItemCount(), rowsAfter);
    QCOMPARE(int(m_Engine->BowlCount()), rowsAfter);
    QCOMPARE(FlgModified, ToBool16(modifiedAfter));
    QCOMPARE(m_Device.refreshes, modifiedAfter ? refreshes + 1 : refreshes);
    if (modifiedAfter) {
        QCOMPARE(Panel("PNL_BOWL_COUNT"), QStringLiteral("0"));
        QVERIFY(!Button("bt_Clear")->isEnabled());
    }
}

void TestBowlEditor::exitEnterAndEscClose() {
    MakeEditor();
    List()->setFocus();
    QVERIFY(Button("bt_Exit")->isDefault());
    Button("bt_Exit")->click();
    QVERIFY(!m_Editor->isVisible());

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        MakeEditor();
        List()->setFocus();
        QTest::keyClick(List(), key);
        QVERIFY2(!m_Editor->isVisible(), key == Qt::Key_Return ? "Enter" : "Esc");
    }
}

QTEST_MAIN(TestBowlEditor)
#include "test_bowleditor.moc"
