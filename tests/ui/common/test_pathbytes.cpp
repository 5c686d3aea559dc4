// File names kept byte for byte: any bytes come back from their QString
// exactly; a valid UTF-8 name is the QString Qt itself makes of it (but for
// a leading byte order mark, which Qt drops); a
// dialog's URL gives the bytes its percent-encoding holds.
#include <QFile>
#include <QUrl>
#include <QtTest>

#include "pathbytes.h"

using namespace vintrop;

class TestPathBytes : public QObject {
    Q_OBJECT
private slots:
    void bytesComeBackExactly_data();
    void bytesComeBackExactly();
    void urlKeepsTheBytes();
};

void TestPathBytes::bytesComeBackExactly_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asQt");   // the QString QFile::decodeName makes
    QTest::addColumn<QString>("readable");
    QTest::newRow("ASCII") << QByteArray("/tmp/a b.vintrop") << true << "/tmp/a b.vintrop";
    QTest::newRow("UTF-8") << QByteArray("lezioni\xc3\xa8") << true << QStringLiteral("lezioni\u00e8");
    QTest::newRow("Latin-1") << QByteArray("lezioni\xe8/urto\xe9") << false << QStringLiteral("lezioni\u00e8/urto\u00e9");
    // Qt drops it; a name keeps it.
    QTest::newRow("a byte order mark first") << QByteArray("\xef\xbb\xbf" "a") << false << QStringLiteral("\ufeffa");
    // U+10080: its second surrogate lies in the range that carries bytes.
    QTest::newRow("four-byte character") << QByteArray("\xf0\x90\x82\x80") << true << QStringLiteral("\U00010080");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false << QStringLiteral("\u00c0\u00af");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80") << false << QStringLiteral("\u00ed\u00b2\u0080");
    QTest::newRow("cut-off sequence") << QByteArray("x\xe2\x82") << false << QStringLiteral("x\u00e2\u0082");
}

void TestPathBytes::bytesComeBackExactly() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asQt);
    QFETCH(QString, readable);
    const QString path = PathFromBytes(bytes);
    QCOMPARE(PathBytes(path), bytes);
    QCOMPARE(path == QFile::decodeName(bytes), asQt);
    QCOMPARE(ReadablePath(path), readable);
}

void TestPathBytes::urlKeepsTheBytes() {
    QCOMPARE(PathBytes(PathFromUrl(QUrl("file:///tmp/lezioni%E8/urto%E9%20%25.vintrop"))),
             QByteArray("/tmp/lezioni\xe8/urto\xe9 %.vintrop"));
    const QString name = QStringLiteral("/tmp/a b/lezioni\u00e8.vintrop");
    QCOMPARE(PathFromUrl(QUrl::fromLocalFile(name)), name);
}

QTEST_GUILESS_MAIN(TestPathBytes)
#include "test_pathbytes.moc"
