// The program keeps no state between runs: a real file dialog, opened and
// closed, leaves nothing in the user's configuration folder, and a program
// killed after writing Qt's settings leaves nothing anywhere. A native
// dialog's URL gives a name's bytes back even when they are not UTF-8.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <cstring>

#include "pathbytes.h"
#include "prompt.h"

using namespace vintrop;

namespace {
// Run with this argument, the test program writes Qt's settings as the file
// dialog does and is then ended by SIGTERM.
constexpr char kSettingsThenSigterm[] = "--settings-then-sigterm";

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}
} // namespace

class TestDialogSettings : public QObject {
    Q_OBJECT
public:
    explicit TestDialogSettings(QString configHome) : m_ConfigHome(std::move(configHome)) {}

private slots:
    void closingAFileDialogWritesNoSettings();
    void killedProgramLeavesNoSettingsBehind();
    void nativeDialogsUrlKeepsTheBytes();

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

void TestDialogSettings::killedProgramLeavesNoSettingsBehind() {
    // A process of its own: the settings are sent away once per process.
    QTemporaryDir temp, config;
    QVERIFY(temp.isValid() && config.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", temp.path());
    environment.insert("XDG_CONFIG_HOME", config.path());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kSettingsThenSigterm)});
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);   // ended by the signal
    for (const QTemporaryDir* folder : {&temp, &config}) QCOMPARE(Entries(folder->path()), QStringList());
}

void TestDialogSettings::nativeDialogsUrlKeepsTheBytes() {
    QCOMPARE(PathBytes(PathFromUrl(QUrl("file:///tmp/lezioni%E8/urto%E9%20%25.vintrop"))),
             QByteArray("/tmp/lezioni\xe8/urto\xe9 %.vintrop"));
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kSettingsThenSigterm) == 0) {
        Prompt::KeepNoDialogSettings();
        QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
        settings.setValue(QStringLiteral("FileDialog/history"), QStringList{QStringLiteral("/tmp")});
        settings.sync();
        std::raise(SIGTERM);
        return 1;
    }
    // Qt's settings go under XDG_CONFIG_HOME; point it at an empty folder
    // before anything reads it.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestDialogSettings test(configHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialogsettings.moc"
