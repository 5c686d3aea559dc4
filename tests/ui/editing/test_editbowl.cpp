// The bowl property dialog: modes, input checks in their order, the
// rounding written back, the provisional circle, and what each mode commits.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <new>

#include "appstate.h"
#include "drawdevice.h"
#include "editing/f_edit_bowl.h"
#include "envengine.h"
#include "numeric.h"
#include "prompt.h"

using namespace vintrop;

namespace {
// Records what the dialog asks of the main window, in one log shared with
// the messages, so the order of circle, message and redraw can be checked.
class FakeDrawDevice : public IDrawDevice {
public:
    explicit FakeDrawDevice(QStringList& log) : m_Log(log) {}
    void ManualRefresh() override { m_Log << QStringLiteral("refresh"); }
    void DrawProvisionalCircle(float x, float y, float r) override {
        m_Log << QStringLiteral("circle %1 %2 %3").arg(x).arg(y).arg(r, 0, 'f', 2);
    }

private:
    QStringList& m_Log;
};

// A main window whose redraw runs out of memory.
class StarvedDrawDevice : public IDrawDevice {
public:
    void ManualRefresh() override { throw std::bad_alloc(); }
    void DrawProvisionalCircle(float, float, float) override {}
};

const char* const kFields[] = {"tx_M", "tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0"};
} // namespace

class TestEditBowl : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void addModeOpensEmpty();
    void propertyModeShowsTheBowl();
    void labelsReadOnTheBowlsColour_data();
    void labelsReadOnTheBowlsColour();
    void removeModeShowsTheBowlDisabled();
    void removeCommitsWithoutChecks();
    void validation_data();
    void validation();
    void roundingIsWrittenBackEvenWhenACheckFails();
    void circleIsUpWhileAMessageIs();
    void propertyModeNeverConflictsWithItself();
    void propertyCommitSetsEveryValue();
    void storedValuesAreShownWholeAndRoundedOnOk();
    void storedValuesAreShownAsTheEditorListsThem_data();
    void storedValuesAreShownAsTheEditorListsThem();
    void displayReturnsFalseOnCancelAfterARefusal();
    void displayReturnsTrueWhenCommitted();
    void everyOpeningStartsAfresh();
    void noDrawDeviceMeansNoCircle();
    void aRedrawOutOfMemoryIsReportedAndTheBowlStillAdded();

private:
    QLineEdit* Field(const char* name) const {
        auto* f = m_Dialog->Window()->findChild<QLineEdit*>(QLatin1String(name));
        if (!f) qFatal("no field %s", name);
        return f;
    }
    // Builds the window for a mode, shows it (not modal) and waits for focus.
    void Open(int32_t type, int16_t index) {
        QVERIFY(m_Dialog->Load(type, index, &m_Device, nullptr));
        m_Dialog->Window()->show();
        QVERIFY(QTest::qWaitForWindowActive(m_Dialog->Window()));
    }
    void Fill(const QStringList& values) {
        for (int i = 0; i < 5; ++i) Field(kFields[i])->setText(values.value(i));
    }
    QStringList FieldTexts() const {
        QStringList texts;
        for (const char* name : kFields) texts << Field(name)->text();
        return texts;
    }
    QString FocusName() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;
    QStringList m_Log;
    FakeDrawDevice m_Device{m_Log};
    std::unique_ptr<F_EDIT_BOWL> m_Dialog;
};

void TestEditBowl::init() {
    Prompt::StartScripting();
    Prompt::SetOnMessage([this](const Prompt::Shown& s) { m_Log << QStringLiteral("message ") + s.text; });
    m_Engine = std::make_unique<CEnvEng>();
    m_Engine->init(m_Clock);
    m_Engine->MaxX = 1000;
    m_Engine->MaxY = 800;
    // One bowl of mass 1 (radius 61.75379) at (500, 400).
    m_Engine->AddBowl(1, 500, 400, 0, 0);
    g_pEnvEng = m_Engine.get();
    m_Log.clear();
    m_Dialog = std::make_unique<F_EDIT_BOWL>();
}

void TestEditBowl::cleanup() {
    m_Dialog.reset();
    g_pEnvEng = nullptr;
    m_Engine.reset();
    Prompt::StopScripting();
}

void TestEditBowl::addModeOpensEmpty() {
    Open(F_EDIT_BOWL::kAdd, 2);
    QDialog* w = m_Dialog->Window();
    QCOMPARE(w->windowTitle(), QStringLiteral("Insert Bowl nr. 2"));
    QCOMPARE(m_Dialog->PictureKey(), QStringLiteral("PC_ADD"));
    const int lengths[] = {4, 4, 4, 3, 3};
    for (int i = 0; i < 5; ++i) {
        QVERIFY(Field(kFields[i])->text().isEmpty());
        QVERIFY(Field(kFields[i])->isEnabled());
        QCOMPARE(Field(kFields[i])->maxLength(), lengths[i]);
    }
    auto* ok = w->findChild<QPushButton*>(QStringLiteral("bt_OK"));
    auto* cancel = w->findChild<QPushButton*>(QStringLiteral("bt_Cancel"));
    QVERIFY(ok->isDefault());
    QCOMPARE(cancel->text(), QStringLiteral("Annulla"));
    QCOMPARE(w->palette().color(QPalette::Window), QApplication::palette(w).color(QPalette::Window));

    // Focus starts on the mass; Tab walks the fields, OK, Annulla.
    QCOMPARE(FocusName(), QStringLiteral("tx_M"));
    for (const char* next : {"tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0", "bt_OK", "bt_Cancel"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(FocusName(), QLatin1String(next));
    }
    // Typing is limited to the field's length.
    Field("tx_Vx0")->clear();
    QTest::keyClicks(Field("tx_Vx0"), QStringLiteral("12345"));
    QCOMPARE(Field("tx_Vx0")->text(), QStringLiteral("123"));
}

void TestEditBowl::propertyModeShowsTheBowl() {
    CBowl& b = m_Engine->AddBowl(10, 2.5f, 300, -4, 7);
    Open(F_EDIT_BOWL::kProperty, 2);
    QCOMPARE(m_Dialog->Window()->windowTitle(), QStringLiteral("Bowl nr. 2 property"));
    QCOMPARE(m_Dialog->PictureKey(), QStringLiteral("PC_PROPERTY"));
    QCOMPARE(FieldTexts(), (QStringList{"10", "2.5", "300", "-4", "7"}));
    const QColor expected(b.Color & 0xFF, (b.Color >> 8) & 0xFF, (b.Color >> 16) & 0xFF);
    QCOMPARE(m_Dialog->Window()->palette().color(QPalette::Window), expected);
    QCOMPARE(FocusName(), QStringLiteral("tx_M"));
}

// The labels are white on a dark bowl and black on a light one, by the
// bowl's perceived brightness (299 red + 587 green + 114 blue, in
// thousandths), as the scene draws a bowl's number.
void TestEditBowl::labelsReadOnTheBowlsColour_data() {
    QTest::addColumn<int>("color");   // red + 256 green + 65536 blue
    QTest::addColumn<QColor>("text");
    const QColor white(Qt::white), black(Qt::black);
    QTest::newRow("pure blue is dark") << 0xFF0000 << white;
    QTest::newRow("pure red is dark") << 0x0000FF << white;
    QTest::newRow("pure green is light") << 0x00FF00 << black;
    QTest::newRow("yellow is light") << 0x00FFFF << black;
    QTest::newRow("grey 127 is dark") << 0x7F7F7F << white;
    QTest::newRow("grey 128 is light") << 0x808080 << black;
}

void TestEditBowl::labelsReadOnTheBowlsColour() {
    QFETCH(int, color);
    QFETCH(QColor, text);
    m_Engine->GetBowl(1).Color = color;
    Open(F_EDIT_BOWL::kProperty, 1);
    const QPalette palette = m_Dialog->Window()->palette();
    QCOMPARE(palette.color(QPalette::Window), QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    QCOMPARE(palette.color(QPalette::WindowText), text);
}

void TestEditBowl::removeModeShowsTheBowlDisabled() {
    m_Engine->AddBowl(3, 200, 200, 1, 1);
    Open(F_EDIT_BOWL::kRemove, 2);
    QCOMPARE(m_Dialog->Window()->windowTitle(), QStringLiteral("Elimina palla 2"));
    QCOMPARE(m_Dialog->PictureKey(), QStringLiteral("PC_REMOVE"));
    QCOMPARE(FieldTexts(), (QStringList{"3", "200", "200", "1", "1"}));
    for (const char* name : kFields) QVERIFY(!Field(name)->isEnabled());
    QCOMPARE(FocusName(), QStringLiteral("bt_OK"));
}

void TestEditBowl::removeCommitsWithoutChecks() {
    // A bowl that would fail every check (overlapping, outside the box).
    m_Engine->AddBowl(1, 510, 400, 0, 0);
    m_Engine->AddBowl(2, 5000, 5000, 0, 0);
    const int16_t lastId = m_Engine->GetBowl(3).Id;
    Open(F_EDIT_BOWL::kRemove, 2);
    m_Dialog->bt_OK_Click();
    QVERIFY(m_Dialog->Result());
    QVERIFY(!m_Dialog->Window()->isVisible());
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    QCOMPARE(m_Engine->GetBowl(2).Id, lastId);
    QVERIFY(m_Log.isEmpty());   // no message, no circle, no redraw
}

// Add mode beside the bowl of mass 1 at (500, 400), box 1000 x 800.
void TestEditBowl::validation_data() {
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QStringList>("messages");   // empty: accepted
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("shown");      // field texts afterwards

    const QString notValid = QStringLiteral("Dati non validi");
    const QString massMsg = QStringLiteral("La Massa deve essere > 0!!!");
    const QString xBig = QStringLiteral("Xo troppo grande!");
    const QString xSmall = QString::fromUtf8("Xo è troppo piccola!");
    const QString yBig = QStringLiteral("Yo troppo grande!");
    const QString ySmall = QStringLiteral("Yo troppo piccola!");
    const QString taken = QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla 1!");

    QTest::newRow("all fields empty") << QStringList{"", "", "", "", ""} << QStringList{notValid}
                                      << "tx_M" << QStringList{"", "", "", "", ""};
    QTest::newRow("letters in Xo: mass already rounded")
        << QStringList{"1", "abc", "100", "0", "0"} << QStringList{notValid} << "tx_X0"
        << QStringList{"1", "abc", "100", "0", "0"};
    QTest::newRow("decimal comma is not a number")
        << QStringList{"1", "2,5", "100", "0", "0"} << QStringList{notValid} << "tx_X0"
        << QStringList{"1", "2,5", "100", "0", "0"};
    QTest::newRow("velocity beyond 16 bits") << QStringList{"1", "200", "200", "4e4", "0"}
                                             << QStringList{notValid} << "tx_Vx0"
                                             << QStringList{"1", "200", "200", "4e4", "0"};
    QTest::newRow("mass zero") << QStringList{"0", "200", "200", "0", "0"} << QStringList{massMsg}
                               << "tx_M" << QStringList{"0", "200", "200", "0", "0"};
    QTest::newRow("negative mass: both messages")
        << QStringList{"-1", "200", "200", "0", "0"} << QStringList{massMsg, notValid} << "tx_M"
        << QStringList{"-1", "200", "200", "0", "0"};
    QTest::newRow("mass 1, Xo = rI accepted") << QStringList{"1", "62", "200", "0", "0"}
                                              << QStringList{} << "" << QStringList{"1", "62", "200", "0", "0"};
    QTest::newRow("mass 1, Xo = rI - 1 refused") << QStringList{"1", "61", "200", "0", "0"}
                                                 << QStringList{xSmall} << "tx_X0"
                                                 << QStringList{"1", "61", "200", "0", "0"};
    QTest::newRow("mass 1, Xo + rI = MaxX accepted")
        << QStringList{"1", "938", "200", "0", "0"} << QStringList{} << ""
        << QStringList{"1", "938", "200", "0", "0"};
    QTest::newRow("mass 1, one unit past the right wall")
        << QStringList{"1", "939", "200", "0", "0"} << QStringList{xBig} << "tx_X0"
        << QStringList{"1", "939", "200", "0", "0"};
    QTest::newRow("mass 1, Yo = rI accepted") << QStringList{"1", "200", "62", "0", "0"}
                                              << QStringList{} << "" << QStringList{"1", "200", "62", "0", "0"};
    QTest::newRow("mass 1, Yo above the top wall") << QStringList{"1", "200", "61", "0", "0"}
                                                   << QStringList{ySmall} << "tx_Y0"
                                                   << QStringList{"1", "200", "61", "0", "0"};
    QTest::newRow("mass 1, Yo + rI = MaxY accepted")
        << QStringList{"1", "200", "738", "0", "0"} << QStringList{} << ""
        << QStringList{"1", "200", "738", "0", "0"};
    QTest::newRow("mass 1, Yo past the bottom wall")
        << QStringList{"1", "200", "739", "0", "0"} << QStringList{yBig} << "tx_Y0"
        << QStringList{"1", "200", "739", "0", "0"};
    QTest::newRow("mass 10: rI 133 accepted") << QStringList{"10", "133", "133", "0", "0"}
                                              << QStringList{} << "" << QStringList{"10", "133", "133", "0", "0"};
    QTest::newRow("mass 10: Xo 132 refused") << QStringList{"10", "132", "133", "0", "0"}
                                             << QStringList{xSmall} << "tx_X0"
                                             << QStringList{"10", "132", "133", "0", "0"};
    QTest::newRow("only the first failing wall is reported")
        << QStringList{"1", "0", "0", "0", "0"} << QStringList{xSmall} << "tx_X0"
        << QStringList{"1", "0", "0", "0", "0"};
    QTest::newRow("122 beside the bowl: overlap") << QStringList{"1", "622", "400", "0", "0"}
                                                  << QStringList{taken} << "tx_X0"
                                                  << QStringList{"1", "622", "400", "0", "0"};
    QTest::newRow("123 beside the bowl: free") << QStringList{"1", "623", "400", "0", "0"}
                                               << QStringList{} << "" << QStringList{"1", "623", "400", "0", "0"};
    QTest::newRow("123 on the other side: free") << QStringList{"1", "377", "400", "0", "0"}
                                                 << QStringList{} << "" << QStringList{"1", "377", "400", "0", "0"};
    QTest::newRow("sign, blanks and decimal point accepted")
        << QStringList{"+2", " 300", "300.", "-5", ".4"} << QStringList{} << ""
        << QStringList{"2", "300", "300", "-5", "0"};
    QTest::newRow("halves to even") << QStringList{"1.5", "96.5", "99.5", "2.5", "-.5"}
                                    << QStringList{} << "" << QStringList{"2", "96", "100", "2", "0"};
}

void TestEditBowl::validation() {
    QFETCH(QStringList, input);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    QFETCH(QStringList, shown);

    Open(F_EDIT_BOWL::kAdd, 2);
    Fill(input);
    // Park the focus somewhere neutral so a moved focus shows.
    m_Dialog->Window()->findChild<QPushButton*>(QStringLiteral("bt_Cancel"))->setFocus();
    m_Dialog->bt_OK_Click();

    QCOMPARE(Prompt::ShownTexts(), messages);
    for (const auto& s : Prompt::ShownMessages()) {
        QCOMPARE(s.icon, Prompt::Icon::Exclamation);
        QCOMPARE(s.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(FieldTexts(), shown);
    if (messages.isEmpty()) {
        QVERIFY(m_Dialog->Result());
        QVERIFY(!m_Dialog->Window()->isVisible());
        QCOMPARE(m_Engine->BowlCount(), int16_t(2));
        const CBowl& added = m_Engine->GetBowl(2);
        QCOMPARE(added.M(), shown[0].toFloat());
        QCOMPARE(added.Xo(), shown[1].toFloat());
        QCOMPARE(added.Yo(), shown[2].toFloat());
        QCOMPARE(added.Vxo(), shown[3].toFloat());
        QCOMPARE(added.Vyo(), shown[4].toFloat());
    } else {
        QVERIFY(!m_Dialog->Result());
        QVERIFY(m_Dialog->Window()->isVisible());
        QCOMPARE(m_Engine->BowlCount(), int16_t(1));
        QCOMPARE(FocusName(), focus);
    }
}

void TestEditBowl::roundingIsWrittenBackEvenWhenACheckFails() {
    Open(F_EDIT_BOWL::kAdd, 2);
    Fill({"1", "12.5", "13.5", "0", "0"});
    m_Dialog->bt_OK_Click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QString::fromUtf8("Xo è troppo piccola!")});
    QCOMPARE(Field("tx_X0")->text(), QStringLiteral("12"));
    QCOMPARE(Field("tx_Y0")->text(), QStringLiteral("14"));
}

void TestEditBowl::circleIsUpWhileAMessageIs() {
    struct Row {
        const char* situation;
        QStringList input;
        QStringList log;
    };
    const Row rows[] = {
        {"refused at a wall: circle, message, redraw",
         {"1", "939", "200", "0", "0"},
         {"circle 939 200 61.75", "message Xo troppo grande!", "refresh"}},
        {"accepted: circle, redraw", {"1", "200", "200", "0", "0"}, {"circle 200 200 61.75", "refresh"}},
        {"mass 0: message, then a circle of radius 0, redraw",
         {"0", "300", "300", "0", "0"},
         {"message La Massa deve essere > 0!!!", "circle 300 300 0.00", "refresh"}},
        {"not a number: message only, no redraw", {"x", "300", "300", "0", "0"}, {"message Dati non validi"}},
        {"negative mass: no circle, no redraw",
         {"-5", "300", "300", "0", "0"},
         {"message La Massa deve essere > 0!!!", "message Dati non validi"}},
    };
    for (const Row& row : rows) {
        m_Log.clear();
        Open(F_EDIT_BOWL::kAdd, 2);
        Fill(row.input);
        m_Dialog->bt_OK_Click();
        QVERIFY2(m_Log == row.log, qPrintable(QString::fromLatin1(row.situation) + QStringLiteral(": ") +
                                               m_Log.join(QStringLiteral(" | "))));
    }
}

void TestEditBowl::propertyModeNeverConflictsWithItself() {
    m_Engine->AddBowl(1, 800, 400, 0, 0);
    // Bowl 1 keeps its own place: no conflict with itself.
    Open(F_EDIT_BOWL::kProperty, 1);
    m_Dialog->bt_OK_Click();
    QVERIFY(Prompt::ShownTexts().isEmpty());
    QVERIFY(m_Dialog->Result());

    // Moved to 120 from bowl 2 it conflicts with bowl 2, and says so.
    Open(F_EDIT_BOWL::kProperty, 1);
    Field("tx_X0")->setText(QStringLiteral("680"));
    m_Dialog->bt_OK_Click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla 2!")});
    QVERIFY(!m_Dialog->Result());
    QCOMPARE(m_Engine->GetBowl(1).Xo(), 500.0f);

    // In add mode the same place is tested against every bowl.
    Prompt::ClearLog();
    Open(F_EDIT_BOWL::kAdd, 3);
    Fill({"1", "500", "400", "0", "0"});
    m_Dialog->bt_OK_Click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla 1!")});
}

void TestEditBowl::propertyCommitSetsEveryValue() {
    CBowl& b = m_Engine->GetBowl(1);
    b.x = 999;   // a current value left over from a run
    Open(F_EDIT_BOWL::kProperty, 1);
    Fill({"10", "300", "250", "-7", "9"});
    const uint64_t revision = m_Engine->Revision();
    m_Dialog->bt_OK_Click();
    QVERIFY(m_Dialog->Result());
    QVERIFY(m_Engine->Revision() > revision);   // the engine was told: the windows showing it follow
    QCOMPARE(b.M(), 10.0f);
    QCOMPARE(b.r(), RadiusOf(10));
    QCOMPARE(b.Xo(), 300.0f);
    QCOMPARE(b.x, 300.0f);
    QCOMPARE(b.Yo(), 250.0f);
    QCOMPARE(b.y, 250.0f);
    QCOMPARE(b.Vxo(), -7.0f);
    QCOMPARE(b.Vx, -7.0f);
    QCOMPARE(b.Vyo(), 9.0f);
    QCOMPARE(b.Vy, 9.0f);
    QCOMPARE(m_Engine->BowlCount(), int16_t(1));
}

void TestEditBowl::storedValuesAreShownWholeAndRoundedOnOk() {
    // Values as a scenario file may hold them: decimals, more digits than
    // can be typed, a value beyond 16 bits.
    CBowl& b = m_Engine->AddBowl(2, 200.5f, 12345.5f, 0.25f, 0);
    Open(F_EDIT_BOWL::kProperty, 2);
    QCOMPARE(FieldTexts(), (QStringList{"2", "200.5", "12345.5", "0.25", "0"}));
    m_Dialog->bt_OK_Click();
    // Rounded and written back whole (200.5 to even), then refused.
    QCOMPARE(FieldTexts(), (QStringList{"2", "200", "12346", "0", "0"}));
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Yo troppo grande!")});
    QCOMPARE(b.Yo(), 12345.5f);

    Prompt::ClearLog();
    b.SetYo(40000);
    Open(F_EDIT_BOWL::kProperty, 2);
    QCOMPARE(Field("tx_Y0")->text(), QStringLiteral("40000"));
    m_Dialog->bt_OK_Click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Dati non validi")});
    QCOMPARE(b.Yo(), 40000.0f);
}

void TestEditBowl::storedValuesAreShownAsTheEditorListsThem_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("huge");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QStringList{"2", "300.25", "400", "-1E-07", "2.5"} << "1.234568E+07";
    QTest::newRow("German decimal comma") << QLocale(QLocale::German, QLocale::Germany)
                                          << QStringList{"2", "300,25", "400", "-1E-07", "2,5"}
                                          << "1,234568E+07";
}

void TestEditBowl::storedValuesAreShownAsTheEditorListsThem() {
    // The bowl editor's list shows a value in the user's locale, very small
    // and very large ones with an "E" exponent; the dialog shows the same
    // text, and what it shows reads back.
    QFETCH(QLocale, locale);
    QFETCH(QStringList, shown);
    QFETCH(QString, huge);
    const auto restore = qScopeGuard([before = QLocale()] { QLocale::setDefault(before); });
    QLocale::setDefault(locale);
    m_Engine->AddBowl(2, 300.25f, 400, -1e-07f, 2.5f);
    m_Engine->AddBowl(1, 12345678.0f, 400, 0, 0);
    Open(F_EDIT_BOWL::kProperty, 3);
    QCOMPARE(Field("tx_X0")->text(), huge);
    Open(F_EDIT_BOWL::kProperty, 2);
    QCOMPARE(FieldTexts(), shown);
    m_Dialog->bt_OK_Click();

    QCOMPARE(Prompt::ShownTexts(), QStringList());
    QVERIFY(m_Dialog->Result());
    const CBowl& b = m_Engine->GetBowl(2);
    QCOMPARE(b.Xo(), 300.0f);
    QCOMPARE(b.Vxo(), 0.0f);
    QCOMPARE(b.Vyo(), 2.0f);   // halves to even
}

void TestEditBowl::displayReturnsFalseOnCancelAfterARefusal() {
    bool sawRefusal = false;
    QTimer::singleShot(0, this, [&] {
        auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w) return;
        w->findChild<QLineEdit*>(QStringLiteral("tx_M"))->setText(QStringLiteral("0"));
        w->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
        sawRefusal = w->isVisible();
        w->findChild<QPushButton*>(QStringLiteral("bt_Cancel"))->click();
    });
    QTimer::singleShot(2000, this, [] {   // never leave a test waiting
        if (auto* w = QApplication::activeModalWidget()) w->close();
    });
    QVERIFY(!m_Dialog->Display(F_EDIT_BOWL::kAdd, 2, &m_Device, nullptr));
    QVERIFY(sawRefusal);
    QCOMPARE(m_Engine->BowlCount(), int16_t(1));
    QCOMPARE(Prompt::ShownTexts().size(), 1);
}

void TestEditBowl::displayReturnsTrueWhenCommitted() {
    QTimer::singleShot(0, this, [] {
        auto* w = QApplication::activeModalWidget();
        if (!w) return;
        const QStringList values{"2", "200", "200", "1", "1"};
        for (int i = 0; i < 5; ++i)
            w->findChild<QLineEdit*>(QLatin1String(kFields[i]))->setText(values[i]);
        QTest::keyClick(w->findChild<QLineEdit*>(QStringLiteral("tx_Vy0")), Qt::Key_Return);
    });
    QTimer::singleShot(2000, this, [] {
        if (auto* w = QApplication::activeModalWidget()) w->close();
    });
    QVERIFY(m_Dialog->Display(F_EDIT_BOWL::kAdd, 2, &m_Device, nullptr));
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    QVERIFY(!m_Dialog->Window());   // the window is gone with its opening
}

void TestEditBowl::everyOpeningStartsAfresh() {
    Open(F_EDIT_BOWL::kRemove, 1);
    const QColor defaultBack = QApplication::palette().color(QPalette::Window);
    Open(F_EDIT_BOWL::kAdd, 2);
    for (const char* name : kFields) {
        QVERIFY(Field(name)->text().isEmpty());
        QVERIFY(Field(name)->isEnabled());
    }
    QCOMPARE(m_Dialog->Window()->palette().color(QPalette::Window), defaultBack);
    QCOMPARE(m_Dialog->PictureKey(), QStringLiteral("PC_ADD"));
    QVERIFY(!m_Dialog->Result());
}

void TestEditBowl::noDrawDeviceMeansNoCircle() {
    QVERIFY(m_Dialog->Load(F_EDIT_BOWL::kAdd, 2, nullptr, nullptr));
    Fill({"1", "939", "200", "0", "0"});
    m_Dialog->bt_OK_Click();
    QCOMPARE(m_Log, QStringList{QStringLiteral("message Xo troppo grande!")});
    // And a missing bowl is reported instead of opening.
    QVERIFY(!m_Dialog->Load(F_EDIT_BOWL::kProperty, 7, nullptr, nullptr));
    QCOMPARE(Prompt::ShownTexts().last(), QStringLiteral("Errore 9: Subscript out of range Vintrop"));
}

void TestEditBowl::aRedrawOutOfMemoryIsReportedAndTheBowlStillAdded() {
    // The redraw that takes the circle away fails after the input was
    // judged: the user hears of it, and the bowl is added all the same.
    StarvedDrawDevice starved;
    QVERIFY(m_Dialog->Load(F_EDIT_BOWL::kAdd, 2, &starved, nullptr));
    Fill({"1", "200", "200", "0", "0"});
    m_Dialog->bt_OK_Click();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore 7: Out of memory Vintrop")});
    QVERIFY(m_Dialog->Result());
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
}

QTEST_MAIN(TestEditBowl)
#include "test_editbowl.moc"
