// The options dialog: what it shows on opening, what OK and Cancel write.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <memory>
#include <vector>

#include "appstate.h"
#include "classroompalette.h"
#include "displaysettings.h"
#include "envengine.h"
#include "editing/f_options.h"
#include "numeric.h"
#include "prompt.h"

using namespace vintrop;

namespace {
// Counts what the engine asks of its history window.
struct HistoryCalls {
    int inits = 0;
    int terminates = 0;
};
class FakeHistory : public IHistoryLog {
public:
    explicit FakeHistory(HistoryCalls& calls) : m_Calls(calls) {}
    void init(CEnvEng&) override { ++m_Calls.inits; }
    void Terminate() override { ++m_Calls.terminates; }
    void Reset() override {}
    void Show(IOwnerWindow*) override {}
    void Hide() override {}

private:
    HistoryCalls& m_Calls;
};
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWithTheCurrentOptions_data();
    void opensWithTheCurrentOptions();
    void okWritesEveryOption();
    void okWritesHistoryEvenWhenUnchanged_data();
    void okWritesHistoryEvenWhenUnchanged();
    void cancelWritesNothing();
    void layoutAndTabOrder();
    void classroomColoursApplyAtAnyTimeAndMarkAChange();
    void elasticityOnlyAtTheStartMarksAChange();
    void vectorScaleChoice_data();
    void vectorScaleChoice();

private:
    QCheckBox* Box(F_OPTIONS& dialog, const char* name) {
        auto* box = dialog.findChild<QCheckBox*>(QLatin1String(name));
        if (!box) qFatal("no check box %s", name);
        return box;
    }
    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;
    HistoryCalls m_History;
};

void TestOptions::init() {
    Prompt::StartScripting();
    m_Engine = std::make_unique<CEnvEng>();
    m_Engine->SetHistoryFactory([this] { return std::make_unique<FakeHistory>(m_History); });
    m_Engine->init(m_Clock);
    g_pEnvEng = m_Engine.get();
    FlgShowNumber = kFalse;
    FlgShowVect = kFalse;
    Settings().ResetToStart();
    m_History = {};
}

void TestOptions::cleanup() {
    g_pEnvEng = nullptr;
    m_Engine.reset();
}

void TestOptions::opensWithTheCurrentOptions_data() {
    QTest::addColumn<bool>("central");
    QTest::addColumn<bool>("history");
    QTest::addColumn<bool>("number");
    QTest::addColumn<bool>("vect");
    QTest::newRow("all off") << false << false << false << false;
    QTest::newRow("all on") << true << true << true << true;
    QTest::newRow("engine options on, display off") << true << true << false << false;
    QTest::newRow("display on, engine options off") << false << false << true << true;
    QTest::newRow("mixed") << true << false << false << true;
}

void TestOptions::opensWithTheCurrentOptions() {
    QFETCH(bool, central);
    QFETCH(bool, history);
    QFETCH(bool, number);
    QFETCH(bool, vect);
    m_Engine->CentralCollision(ToBool16(central));
    m_Engine->KeepHistory(ToBool16(history));
    FlgShowNumber = ToBool16(number);
    FlgShowVect = ToBool16(vect);

    F_OPTIONS dialog;
    QCOMPARE(Box(dialog, "ck_CollCentral")->isChecked(), central);
    QCOMPARE(Box(dialog, "ck_History")->isChecked(), history);
    QCOMPARE(Box(dialog, "ck_ShowNumber")->isChecked(), number);
    QCOMPARE(Box(dialog, "ck_ShowVect")->isChecked(), vect);
}

void TestOptions::okWritesEveryOption() {
    F_OPTIONS dialog;
    Box(dialog, "ck_CollCentral")->setChecked(true);
    Box(dialog, "ck_History")->setChecked(true);
    Box(dialog, "ck_ShowNumber")->setChecked(true);
    Box(dialog, "ck_ShowVect")->setChecked(true);
    Box(dialog, "ck_ShowVelocity")->setChecked(true);
    Box(dialog, "ck_ShowCentre")->setChecked(true);
    Box(dialog, "ck_ShowPaths")->setChecked(true);
    dialog.findChild<QComboBox*>(QStringLiteral("cb_PathSteps"))->setCurrentIndex(2);
    dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(m_Engine->CentralCollision(), kTrue);
    QCOMPARE(m_Engine->KeepHistory(), kTrue);
    QCOMPARE(m_History.inits, 1);
    QCOMPARE(FlgShowNumber, kTrue);
    QCOMPARE(FlgShowVect, kTrue);
    QCOMPARE(Settings().ShowVelocity(), true);
    QCOMPARE(Settings().ShowCentre(), true);
    QCOMPARE(Settings().ShowPaths(), true);
    QCOMPARE(Settings().PathSteps(), int16_t(1000));

    // And back off again, from a dialog that opened with them on.
    F_OPTIONS second;
    QCOMPARE(second.findChild<QComboBox*>(QStringLiteral("cb_PathSteps"))->currentText(), QStringLiteral("1,000 steps"));
    for (const char* name : {"ck_CollCentral", "ck_History", "ck_ShowNumber", "ck_ShowVect", "ck_ShowVelocity",
                             "ck_ShowCentre", "ck_ShowPaths"}) {
        QVERIFY(Box(second, name)->isChecked());
        Box(second, name)->setChecked(false);
    }
    second.OKButton_Click();
    QCOMPARE(m_Engine->CentralCollision(), kFalse);
    QCOMPARE(m_Engine->KeepHistory(), kFalse);
    QCOMPARE(FlgShowNumber, kFalse);
    QCOMPARE(FlgShowVect, kFalse);
    QCOMPARE(Settings().ShowVelocity(), false);
    QCOMPARE(Settings().ShowCentre(), false);
    QCOMPARE(Settings().ShowPaths(), false);
}

void TestOptions::okWritesHistoryEvenWhenUnchanged_data() {
    QTest::addColumn<bool>("history");
    QTest::newRow("history on stays on and is started again") << true;
    QTest::newRow("history off stays off and is ended again") << false;
}

void TestOptions::okWritesHistoryEvenWhenUnchanged() {
    QFETCH(bool, history);
    m_Engine->KeepHistory(ToBool16(history));
    m_History = {};
    F_OPTIONS dialog;
    dialog.OKButton_Click();
    QCOMPARE(m_Engine->KeepHistory(), ToBool16(history));
    QCOMPARE(m_History.inits, history ? 1 : 0);
    QCOMPARE(m_History.terminates, history ? 0 : 1);
}

void TestOptions::cancelWritesNothing() {
    m_Engine->KeepHistory(kTrue);
    m_History = {};
    F_OPTIONS dialog;
    for (const char* name : {"ck_CollCentral", "ck_History", "ck_ShowNumber", "ck_ShowVect", "ck_ClassroomColours",
                             "ck_ShowVelocity"}) {
        auto* box = Box(dialog, name);
        box->setChecked(!box->isChecked());
    }
    dialog.findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_Engine->CentralCollision(), kFalse);
    QCOMPARE(m_Engine->KeepHistory(), kTrue);
    QCOMPARE(m_History.inits + m_History.terminates, 0);
    QVERIFY(!m_Engine->ClassroomColours());
    QCOMPARE(FlgShowNumber, kFalse);
    QCOMPARE(FlgShowVect, kFalse);
    QCOMPARE(Settings().ShowVelocity(), false);

    // The close box and Esc are a cancel too.
    F_OPTIONS escaped;
    Box(escaped, "ck_ShowVect")->setChecked(true);
    escaped.reject();
    QCOMPARE(FlgShowVect, kFalse);
}

void TestOptions::layoutAndTabOrder() {
    F_OPTIONS dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OKButton"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("CancelButton"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(Box(dialog, "ck_CollCentral")->parentWidget()->objectName(), QStringLiteral("Frame1"));
    QCOMPARE(Box(dialog, "ck_History")->parentWidget()->objectName(), QStringLiteral("Frame1"));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // The classroom colours below the box, wholly inside the dialog.
    const QRect colours = Box(dialog, "ck_ClassroomColours")->geometry();
    QCOMPARE(Box(dialog, "ck_ClassroomColours")->text(), QStringLiteral("Classroom colours"));
    QVERIFY(colours.top() > dialog.findChild<QWidget*>(QStringLiteral("gb_FixedBox"))->geometry().bottom());
    QVERIFY(colours.bottom() < dialog.height());
    QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("sp_Elasticity"))->geometry().bottom() < dialog.height());
    QCOMPARE(QApplication::focusWidget(), Box(dialog, "ck_CollCentral"));
    const QStringList expected = {"OKButton", "CancelButton", "ck_History", "ck_ShowNumber",
                                  "ck_ShowVect", "cb_VectorScale", "gb_FixedBox", "ck_ClassroomColours",
                                  "ck_ShowVelocity", "ck_ShowCentre", "ck_ShowPaths", "cb_PathSteps",
                                  "sp_Elasticity", "ck_CollCentral"};
    for (const QString& name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
    // Esc closes without writing.
    Box(dialog, "ck_ShowNumber")->setChecked(true);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(FlgShowNumber, kFalse);
}

void TestOptions::classroomColoursApplyAtAnyTimeAndMarkAChange() {
    m_Engine->MaxX = 8085;
    m_Engine->MaxY = 4230;
    m_Engine->AddBowl(1, 500, 500, 10, 0);
    m_Engine->AddBowl(1, 1500, 500, 0, 0);
    const int32_t drawn = m_Engine->GetBowl(2).Color;
    m_Engine->Advance();   // past t = 0, where the box may no longer change
    for (bool on : {true, true, false}) {
        FlgModified = kFalse;
        F_OPTIONS dialog;
        auto* box = Box(dialog, "ck_ClassroomColours");
        QVERIFY(box->isEnabled());
        const bool changed = box->isChecked() != on;
        box->setChecked(on);
        dialog.OKButton_Click();
        QCOMPARE(m_Engine->ClassroomColours(), on);
        QCOMPARE(m_Engine->GetBowl(2).Color, on ? ClassroomColourAt(2).color : drawn);
        QCOMPARE(FlgModified, changed ? kTrue : kFalse);
    }
}

void TestOptions::elasticityOnlyAtTheStartMarksAChange() {
    m_Engine->MaxX = 8085, m_Engine->MaxY = 4230;
    m_Engine->AddBowl(1, 500, 500, 10, 0);
    for (int percent : {50, 50, 100, 30}) {   // a change, none, back again; then a step, and no change
        if (percent == 30) m_Engine->SetElasticity(30), m_Engine->Advance();
        FlgModified = kFalse;
        F_OPTIONS dialog;
        auto* field = dialog.findChild<QSpinBox*>(QStringLiteral("sp_Elasticity"));
        QCOMPARE(field->isEnabled(), percent != 30);
        const bool changed = field->value() != percent;
        field->setValue(percent == 30 ? 70 : percent);
        dialog.OKButton_Click();
        QCOMPARE(std::make_pair(int(m_Engine->Elasticity()), FlgModified), std::make_pair(percent, changed ? kTrue : kFalse));
    }
}

void TestOptions::vectorScaleChoice_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("chosen");
    QTest::newRow("1x to 10x") << 1 << 10;
    QTest::newRow("1x to 100x") << 1 << 100;
    QTest::newRow("100x to 1x") << 100 << 1;
    QTest::newRow("10x to 100x") << 10 << 100;
}

void TestOptions::vectorScaleChoice() {
    QFETCH(int, current);
    QFETCH(int, chosen);
    const auto combo = [](F_OPTIONS& dialog) {
        auto* found = dialog.findChild<QComboBox*>(QStringLiteral("cb_VectorScale"));
        if (!found) qFatal("no cb_VectorScale");
        return found;
    };
    Settings().SetVectorScale(static_cast<int16_t>(current));
    const QString label = QString::number(chosen) + QChar(0x00D7);

    // The three scales, the current one shown; Cancel keeps it.
    F_OPTIONS cancelled;
    QStringList items;
    for (int i = 0; i < combo(cancelled)->count(); ++i) items << combo(cancelled)->itemText(i);
    QCOMPARE(items, QStringList({"1\u00D7", "10\u00D7", "100\u00D7"}));
    QCOMPARE(combo(cancelled)->currentText(), QString::number(current) + QChar(0x00D7));
    combo(cancelled)->setCurrentText(label);
    cancelled.CancelButton_Click();
    QCOMPARE(Settings().VectorScale(), int16_t(current));

    // OK writes it with the other options, which keep their values.
    F_OPTIONS dialog;
    combo(dialog)->setCurrentText(label);
    dialog.OKButton_Click();
    QCOMPARE(Settings().VectorScale(), int16_t(chosen));
    QCOMPARE(FlgShowVect, kFalse);
    QCOMPARE(FlgShowNumber, kFalse);

    // Placed below the designed controls, and wholly inside the dialog.
    F_OPTIONS shown;
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    QVERIFY(combo(shown)->geometry().top() > Box(shown, "ck_ShowVect")->geometry().bottom());
    QVERIFY(combo(shown)->geometry().bottom() < shown.height());
    shown.reject();
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
