// Errors thrown where Qt enters the program's code (a slot, an event
// handler, painting) become the program's error message right there, and
// the event loop goes on; the application's notify() is only the last
// resort, and any test in which an error reaches it fails.
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <memory>
#include <functional>
#include <new>
#include <stdexcept>

#include "../main/mainwindowfixture.h"
#include "guarded.h"
#include "guardedapplication.h"
#include "main/drawingarea.h"

using namespace vintrop;
using vintrop::testing::Child;

namespace {
// Throws from its event handler, unguarded, once per event.
class UnguardedObject : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        err::Raise(err::SubscriptRange);
    }
};

QString Text(int number) { return QString::fromStdString(err::Make(number).UserText()); }
const QString kSaveUntitled = QStringLiteral("Save Changes to Untitled?");
} // namespace

class TestGuardedApplication : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Prompt::StartScripting();
        QTest::failOnWarning(QRegularExpression(QStringLiteral("escaped the event handling")));
    }
    void cleanup() { Prompt::SetOnMessage({}); }

    void anErrorFromAGuardedSlotIsShownWhereItHappened_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");   // what only the log learns
        QTest::newRow("the program's error") << 0 << Text(err::Overflow) << QString();
        QTest::newRow("a failed allocation") << 1 << QStringLiteral("Errore 7: Out of memory Vintrop") << QString();
        QTest::newRow("any other standard error")
            << 2 << Text(err::InvalidCall) << QStringLiteral("unexpected error: broken");
        QTest::newRow("not even a standard error")
            << 3 << Text(err::InvalidCall) << QStringLiteral("unexpected error of unknown type");
    }

    void anErrorFromAGuardedSlotIsShownWhereItHappened() {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, &button, GuardedSlot(&button, [&] {
                    if (++clicks > 1) return;
                    switch (kind) {
                    case 0: err::Raise(err::Overflow);
                    case 1: throw std::bad_alloc();
                    case 2: throw std::logic_error("broken");
                    default: throw 42;
                    }
                }));
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        if (!logged.isEmpty()) QTest::ignoreMessage(QtWarningMsg, qPrintable(logged));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(Prompt::ShownTexts(), QStringList{shown});
        QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
        QTest::mouseClick(&button, Qt::LeftButton);   // the button still works
        QCOMPARE(clicks, 2);
        QCOMPARE(Prompt::ShownTexts().size(), 1);
    }

    void theMainWindowsEntryPointsCatchTheirOwnErrors_data() {
        QTest::addColumn<std::function<void(F_MAIN&)>>("enter");
        QTest::addColumn<QStringList>("shown");
        // Answering the save question fails: the hook throws.
        QTest::newRow("a menu command") << std::function<void(F_MAIN&)>([](F_MAIN& w) {
            Child<QAction>(&w, "MN_FILE_NEW")->trigger();
        }) << QStringList{kSaveUntitled, Text(err::Overflow)};
        QTest::newRow("closing the window, which stays open")
            << std::function<void(F_MAIN&)>([](F_MAIN& w) { QVERIFY(!w.close()); })
            << QStringList{kSaveUntitled, Text(err::Overflow)};
        // Told once the paint is over, not from inside it; once for two paints,
        // and again for a paint failing after that message.
        QTest::newRow("painting the scene") << std::function<void(F_MAIN&)>([](F_MAIN& w) {
            auto* area = Child<DrawingArea>(&w, "pc_Picture");
            // Only the paints asked for here fail, whatever else repaints.
            auto failing = std::make_shared<int>(2);
            area->SetOverlay([failing](QPainter&) {
                if (*failing > 0 && (*failing)--) err::Raise(err::Overflow);
            });
            area->repaint();
            area->repaint();
            QCOMPARE(Prompt::ShownTexts(), QStringList());
            QTRY_COMPARE(Prompt::ShownTexts().size(), 1);
            *failing = 1;
            area->repaint();
        }) << QStringList{Text(err::Overflow), Text(err::Overflow)};
    }

    void theMainWindowsEntryPointsCatchTheirOwnErrors() {
        QFETCH(std::function<void(F_MAIN&)>, enter);
        QFETCH(QStringList, shown);
        F_MAIN window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        FlgModified = kTrue;
        Prompt::SetOnMessage([](const Prompt::Shown& m) {
            if (m.text == kSaveUntitled) err::Raise(err::Overflow);
        });
        enter(window);
        QTRY_COMPARE(Prompt::ShownTexts(), shown);
        QVERIFY(window.isVisible());
        Child<DrawingArea>(&window, "pc_Picture")->SetOverlay({});
        FlgModified = kFalse;
    }

    void anErrorWhileAnotherIsShownIsOnlyLogged() {
        // A handler failing again and again must not stack up message
        // boxes: while one is up, the next errors go to the log.
        QPushButton button;
        int failures = 0;
        connect(&button, &QPushButton::clicked, &button, GuardedSlot(&button, [&] {
                    ++failures;
                    err::Raise(err::Overflow);
                }));
        Prompt::SetOnMessage([&](const Prompt::Shown&) {
            if (failures == 1) button.click();
        });
        QTest::ignoreMessage(QtWarningMsg, qPrintable(Text(err::Overflow)));
        button.click();
        QCOMPARE(failures, 2);
        QCOMPARE(Prompt::ShownTexts(), QStringList{Text(err::Overflow)});
        button.click();   // once the message is gone, the next error is shown again
        QCOMPARE(Prompt::ShownTexts().size(), 2);
    }

    void theLastResortStillCatchesAnUnguardedHandler() {
        UnguardedObject target;
        QTest::ignoreMessage(QtWarningMsg, "an error escaped the event handling of QObject");
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(Prompt::ShownTexts(), QStringList{Text(err::SubscriptRange)});
    }
};

int main(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_guardedapplication.moc"
