// The program's application object: an error thrown by an event handler
// becomes the program's error message and the event loop goes on, instead
// of ending the program.
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <new>
#include <stdexcept>

#include "guardedapplication.h"
#include "prompt.h"
#include "vintroperror.h"

using namespace vintrop;

namespace {
// Throws from its event handler whatever `raise` throws, once per event.
class ThrowingObject : public QObject {
public:
    std::function<void()> raise;
    int events = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++events;
        if (raise) raise();
        return true;
    }
};

QString Text(int number) { return QString::fromStdString(err::Make(number).UserText()); }
} // namespace

class TestGuardedApplication : public QObject {
    Q_OBJECT
private slots:
    void init() { Prompt::StartScripting(); }
    void cleanup() { Prompt::SetOnMessage({}); }

    void theProgramsErrorFromAClickShowsItsOwnText() {
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            if (++clicks == 1) err::Raise(err::Overflow);
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(Prompt::ShownTexts(), QStringList{Text(err::Overflow)});
        QCOMPARE(Prompt::ShownMessages().front().icon, Prompt::Icon::Exclamation);
        QCOMPARE(Prompt::ShownMessages().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // The button still works.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(Prompt::ShownTexts().size(), 1);
    }

    void errorsFromTheEventLoop_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");   // what only the log learns
        QTest::newRow("the program's error") << 0 << Text(err::SubscriptRange) << QString();
        QTest::newRow("a failed allocation") << 1 << QStringLiteral("Errore 7: Out of memory Vintrop") << QString();
        QTest::newRow("any other standard error")
            << 2 << Text(err::InvalidCall) << QStringLiteral("unexpected error: broken");
        QTest::newRow("not even a standard error")
            << 3 << Text(err::InvalidCall) << QStringLiteral("unexpected error of unknown type");
    }

    void errorsFromTheEventLoop() {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        ThrowingObject target;
        target.raise = [kind] {
            switch (kind) {
            case 0: err::Raise(err::SubscriptRange);
            case 1: throw std::bad_alloc();
            case 2: throw std::logic_error("broken");
            default: throw 42;
            }
        };
        if (!logged.isEmpty()) QTest::ignoreMessage(QtWarningMsg, qPrintable(logged));
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(Prompt::ShownTexts(), QStringList{shown});
        // A functor run by a timer goes through the event loop too.
        QTest::ignoreMessage(QtWarningMsg, "unexpected error: from a timer");
        QTimer::singleShot(0, &target, [] { throw std::runtime_error("from a timer"); });
        QTRY_COMPARE(Prompt::ShownTexts(), (QStringList{shown, Text(err::InvalidCall)}));
        QCOMPARE(target.events, 1);
    }

    void anErrorWhileAnotherIsShownIsOnlyLogged() {
        // An event handler failing again and again must not stack up
        // message boxes: while one is up, the next errors go to the log.
        ThrowingObject target;
        target.raise = [] { err::Raise(err::Overflow); };
        int nested = 0;
        Prompt::SetOnMessage([&](const Prompt::Shown&) {
            QEvent again(QEvent::User);
            if (nested++ == 0) QCoreApplication::sendEvent(&target, &again);
        });
        QTest::ignoreMessage(QtWarningMsg, qPrintable(Text(err::Overflow)));
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(target.events, 2);
        QCOMPARE(Prompt::ShownTexts(), QStringList{Text(err::Overflow)});

        // Once the message is gone, the next error is shown again.
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(Prompt::ShownTexts().size(), 2);
    }
};

int main(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_guardedapplication.moc"
