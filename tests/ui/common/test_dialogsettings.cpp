// The program keeps no state between runs: a real file dialog, opened and
// closed, leaves nothing in the user's configuration folder.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "prompt.h"

using namespace vintrop;

class TestDialogSettings : public QObject {
    Q_OBJECT
public:
    explicit TestDialogSettings(QString configHome) : m_ConfigHome(std::move(configHome)) {}

private slots:
    void closingAFileDialogWritesNoSettings();

private:
    QString m_ConfigHome;
};

void TestDialogSettings::closingAFileDialogWritesNoSettings() {
    QVERIFY(!Prompt::Scripting());
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // Close the real dialog once it is up, as a user pressing Cancel would.
    bool seen = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            seen = true;
            dialog->reject();
        }
    });
    closer.start(10);
    QCOMPARE(Prompt::OpenFileName(nullptr, folder.path()), QString());
    QTRY_VERIFY(seen);
    closer.stop();
    QCOMPARE(QDir(m_ConfigHome).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

int main(int argc, char** argv) {
    // Qt's settings go under XDG_CONFIG_HOME; point it at an empty folder
    // before anything reads it.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestDialogSettings test(configHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialogsettings.moc"
