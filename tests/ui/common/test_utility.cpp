// PadLeft and CenterForm.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

#include "utility.h"

using vintrop::CenterForm;
using vintrop::PadLeft;

class TestUtility : public QObject {
    Q_OBJECT
private slots:
    void padLeft_data();
    void padLeft();
    void centerForm_data();
    void centerForm();
};

void TestUtility::padLeft_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one digit in three") << "1" << 3 << " " << "  1";
    QTest::newRow("two digits in three") << "12" << 3 << " " << " 12";
    QTest::newRow("exactly the width") << "123" << 3 << " " << "123";
    QTest::newRow("longer text is never cut") << "1234" << 3 << " " << "1234";
    QTest::newRow("only the first pad character") << "7" << 4 << "xy" << "xxx7";
    QTest::newRow("empty text") << "" << 2 << "0" << "00";
    QTest::newRow("empty pad pads with blanks") << "5" << 3 << "" << "  5";
    QTest::newRow("zero width") << "ab" << 0 << " " << "ab";
    QTest::newRow("negative width") << "ab" << -4 << " " << "ab";
}

void TestUtility::padLeft() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, pad);
    QFETCH(QString, expected);
    QCOMPARE(PadLeft(text, static_cast<int16_t>(width), pad), expected);
}

// Window sizes as fractions of the screen, the start position, and where
// the window's top-left corner must end up (-1: keeps the start value).
void TestUtility::centerForm_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width(), h = screen.height();
    const QPoint start(7, 9);
    QTest::newRow("smaller: centred both ways")
        << QSize(200, 100) << QPoint(screen.x() + (w - 200) / 2, screen.y() + (h - 100) / 2);
    QTest::newRow("as wide as the screen: left kept")
        << QSize(w, 100) << QPoint(start.x(), screen.y() + (h - 100) / 2);
    QTest::newRow("taller than the screen: still centred horizontally")
        << QSize(200, h + 50) << QPoint(screen.x() + (w - 200) / 2, start.y());
    QTest::newRow("larger both ways: not moved") << QSize(w + 10, h + 10) << start;
}

void TestUtility::centerForm() {
    QFETCH(QSize, size);
    QFETCH(QPoint, expected);
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setMinimumSize(size);
    window.setGeometry(QRect(QPoint(7, 9), size));
    CenterForm(&window);
    QCOMPARE(window.frameGeometry().topLeft(), expected);
    QCOMPARE(window.size(), size);
}

QTEST_MAIN(TestUtility)
#include "test_utility.moc"
