// The name a lesson is saved under: the suffix the lessons filter adds to a
// name typed without one.
#include <QtTest>

#include "lessonname.h"

using namespace vintrop;

class TestLessonName : public QObject {
    Q_OBJECT
private slots:
    void lessonFileName_data();
    void lessonFileName();
};

void TestLessonName::lessonFileName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("lessons");   // else all files
    QTest::addColumn<QString>("saved");
    QTest::newRow("no suffix: added") << "lesson" << true << "lesson.vintrop";
    QTest::newRow("a suffix of its own: kept") << "/tmp/lesson.txt" << true << "/tmp/lesson.txt";
    QTest::newRow("one-letter suffix: kept") << "/tmp/a.b" << true << "/tmp/a.b";
    QTest::newRow("all files: no suffix kept") << "/tmp/lesson" << false << "/tmp/lesson";
    QTest::newRow("ending in a dot: the suffix completed") << "/tmp/lesson." << true << "/tmp/lesson.vintrop";
    QTest::newRow("hidden file: not a suffix") << "/tmp/.vintrop" << true << "/tmp/.vintrop.vintrop";
    QTest::newRow("dotted folder, plain file") << "/tmp/a.b/lesson" << true << "/tmp/a.b/lesson.vintrop";
    QTest::newRow("a folder, no file name") << "/tmp/a/" << true << "/tmp/a/";
    QTest::newRow("the parent folder") << "/tmp/.." << true << "/tmp/..";
}

void TestLessonName::lessonFileName() {
    QFETCH(QString, typed);
    QFETCH(bool, lessons);
    QFETCH(QString, saved);
    QCOMPARE(LessonFileName(typed, lessons ? LessonsFilter() : AllFilesFilter()), saved);
}

QTEST_GUILESS_MAIN(TestLessonName)
#include "test_lessonname.moc"
