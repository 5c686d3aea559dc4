// The splash window: closes on the sixth tick, on a click anywhere and on a
// key that produces a character, and on nothing else.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "info/f_splash.h"
#include "prompt.h"
#include "windowentries.h"

using namespace vintrop;

class TestSplash : public QObject {
    Q_OBJECT

private slots:
    void init() { Prompt::StartScripting(); }

    void closesOnTheSixthTickNotTheFifth() {
        F_SPLASH splash;
        QCOMPARE(splash.AutoUnloadTimer()->interval(), 1000);
        QVERIFY(splash.AutoUnloadTimer()->isActive());
        splash.show();
        for (int i = 1; i <= 5; ++i) splash.tmr_AutoUnload_Timer();
        QVERIFY(splash.isVisible());
        splash.tmr_AutoUnload_Timer();
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.Ticks(), int16_t(6));
        QVERIFY(!splash.AutoUnloadTimer()->isActive());
    }

    void itsOwnTimerEndsTheModalWait() {
        F_SPLASH splash;
        splash.AutoUnloadTimer()->setInterval(1);
        splash.exec();   // returns once the timer has closed it
        QCOMPARE(splash.Ticks(), int16_t(6));
    }

    void aClickOnAnyPartCloses_data() {
        QTest::addColumn<QString>("control");
        for (const char* name : {"Frame1", "Image1", "imgLogo", "Label1", "Label2", "Label3", "lblCopyright",
                                 "lblDes", "lblProductName", "lblVersion"})
            QTest::newRow(name) << QString(name);
    }
    void aClickOnAnyPartCloses() {
        QFETCH(QString, control);
        F_SPLASH splash;
        splash.show();
        QWidget* target = splash.findChild<QWidget*>(control);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!splash.isVisible());
    }

    void onlyKeysWithACharacterClose_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false;
        QTest::newRow("Control") << int(Qt::Key_Control) << false;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("function key") << int(Qt::Key_F1) << false;
    }
    void onlyKeysWithACharacterClose() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        F_SPLASH splash;
        splash.show();
        QTest::keyClick(&splash, Qt::Key(key));
        QCOMPARE(!splash.isVisible(), closes);
    }

    void showsTheVersionDataCentred() {
        F_SPLASH splash;
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.findChild<QLabel*>("lblVersion")->text(), QString("Version 2.2.0"));
        for (const char* name : {"lblProductName", "lblDes", "lblVersion", "lblCopyright", "Label2"}) {
            auto* label = splash.findChild<QLabel*>(name);
            QVERIFY2(!label->text().isEmpty(), name);
            QVERIFY2(label->width() >= label->sizeHint().width(), name);   // nothing cut off
            QVERIFY2(splash.rect().contains(label->mapTo(&splash, label->rect().bottomRight())), name);
        }
        const QRect screen = splash.screen()->geometry();
        QVERIFY(qAbs(splash.frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(splash.frameGeometry().center().y() - screen.center().y()) <= 1);
    }

    void showSplashReturnsOnceClosed() {
        QString seen;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            seen = modal->objectName();
            QTest::keyClick(modal, Qt::Key_Space);
        });
        ShowSplash();
        QCOMPARE(seen, QString("F_SPLASH"));
    }
};

QTEST_MAIN(TestSplash)
#include "test_splash.moc"
