// The program's clock keeps the slider's pace: ticks that fell due while the
// event loop was busy are delivered at the next timeout, a few at most.
#include <QtTest>
#include <new>

#include "prompt.h"
#include "qtclock.h"
#include "vintroperror.h"

using namespace vintrop;

class TestQtClock : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_Now = 0;
        m_Elapsed = 0;
        m_Ticks = 0;
        m_Clock = std::make_unique<QtClock>();
        m_Clock->SetTimeSource([this] { return m_Now; });
        m_Clock->SetTickHandler([this] { ++m_Ticks; });
        m_Clock->SetInterval(1);
        m_Clock->SetEnabled(true);
    }
    void cleanup() { m_Clock.reset(); }

    void deliversTheTicksDueSinceItStarted() {
        m_Now = 1;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 1);
        m_Now = 4;   // woken late: ticks 2, 3 and 4 are due
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 4);
        m_Clock->OnTimeout();   // early or on time: still one tick per timeout
        QCOMPARE(m_Ticks, 5);
        m_Now = 6;
        m_Clock->OnTimeout();   // 6 due, 5 delivered
        QCOMPARE(m_Ticks, 6);
    }

    void dropsABacklogItCannotCatchUp() {
        m_Now = 50;   // 50 ticks behind: no burst of 50 steps
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 1);
        m_Now = 52;   // counting started again at 50
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 3);
    }

    void aNewIntervalOrARestartCountsFromThen() {
        m_Now = 3;
        m_Clock->SetInterval(10);
        m_Now = 25;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 2);   // 22 ms at 10 ms a tick
        m_Clock->SetEnabled(false);
        m_Now = 100;
        m_Clock->SetEnabled(true);
        m_Now = 110;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 3);
    }

    void aStepThatStopsTheClockEndsTheBurst() {
        m_Clock->SetTickHandler([this] {
            if (++m_Ticks == 2) m_Clock->SetEnabled(false);
        });
        m_Now = 4;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 2);
    }

    void aBurstEndsOnceItHasTakenAnInterval() {
        // Steps of 0.6 ms against a 1 ms interval: two fit into one burst.
        m_Clock->SetTickHandler([this] {
            ++m_Ticks;
            m_Elapsed += 6;
            m_Now = 4 + m_Elapsed / 10;
        });
        m_Now = 4;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 2);   // stopped after 1.2 ms although 4 ticks were due
    }

    void aFailingStepStopsTheClockAndIsReportedOnce() {
        m_Clock->SetTickHandler([this] {
            ++m_Ticks;
            err::Raise(err::Overflow);
        });
        QSignalSpy failed(m_Clock.get(), &QtClock::stepFailed);
        m_Now = 4;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("Errore 6: Overflow Vintrop"));
        QVERIFY(!m_Clock->Enabled());
    }

    void aFailedAllocationInAStepIsReportedLikeTheProgramsErrors() {
        // Not the program's own error type: it must not leave the timeout
        // for the event loop either.
        m_Clock->SetTickHandler([this] {
            ++m_Ticks;
            throw std::bad_alloc();
        });
        QSignalSpy failed(m_Clock.get(), &QtClock::stepFailed);
        m_Now = 4;
        m_Clock->OnTimeout();
        QCOMPARE(m_Ticks, 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("Errore 7: Out of memory Vintrop"));
        QVERIFY(!m_Clock->Enabled());
    }

    void aFailingTimeSourceOrReceiverGoesNoFurther() {
        // Reading the time fails, and so does the one who hears of it: the
        // clock stops and the second failure is shown, not thrown at Qt.
        Prompt::StartScripting();
        m_Clock->SetTimeSource([]() -> qint64 { err::Raise(err::Overflow); });
        connect(m_Clock.get(), &QtClock::stepFailed, [](const QString&) { throw std::bad_alloc(); });
        m_Clock->OnTimeout();
        QVERIFY(!m_Clock->Enabled());
        QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore 7: Out of memory Vintrop")});
    }

private:
    std::unique_ptr<QtClock> m_Clock;
    qint64 m_Now = 0;
    qint64 m_Elapsed = 0;   // tenths of a millisecond spent in steps
    int m_Ticks = 0;
};

QTEST_MAIN(TestQtClock)
#include "test_qtclock.moc"
