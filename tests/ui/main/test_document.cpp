// The document commands against a recording host: New, Open, Save, Save As,
// the unsaved-changes question, loading from the command line, the window
// title, the modified flag, saves that fail or are refused without harming
// the old file, and lessons whose path is not UTF-8.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "../common/forkedchild.h"
#include "appstate.h"
#include "envengine.h"
#include "lessonname.h"
#include "main/documenthost.h"
#include "main/scenariodocument.h"
#include "numeric.h"
#include "pathbytes.h"
#include "prompt.h"

using namespace vintrop;

namespace {
class FakeHost : public IDocumentHost {
public:
    QWidget widget;
    QString title = QStringLiteral("Vintrop");   // the design caption
    int manualRefreshes = 0;
    int refreshCommands = 0;
    int sliderSets = 0;

    QWidget* HostWidget() override { return &widget; }
    void ManualRefresh() override { ++manualRefreshes; }
    void RefreshCommands() override { ++refreshCommands; }
    void SetSliderFromEngine() override { ++sliderSets; }
    void SetTitle(const QString& t) override { title = t; }
};

// The example scenario: interval 50, non-central, history off, two bowls.
const QByteArray kTwoBowls = "50\r\n0\r\n0\r\n2\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n4\r\n1500\r\n400\r\n0\r\n0\r\n";

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}
void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// By the file system's own bytes, which QFile would decode.
QByteArray ReadBytes(const QByteArray& path) {
    std::ifstream in(path.constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

using Button = QMessageBox::StandardButton;
const QMessageBox::StandardButtons kYesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newOnACleanDocumentAsksNothing();
    void newOnAModifiedDocument_data();
    void newOnAModifiedDocument();
    void questionNamesTheDocument();
    void openCancelledChangesNothing();
    void openRefusedByTheQuestionStillRefreshes();
    void openLoadsAndTitlesTheDocument();
    void openAfterAnsweringNoGivesACleanScenario();
    void openUnreadableContents();
    void openMissingFile();
    void saveNamedConfirms();
    void saveUntitledRunsSaveAs();
    void saveAsCancelledChangesNothing();
    void saveAsReplacesAnOldFileWhole();
    void saveThatCannotOpenItsFileReports_data();
    void saveThatCannotOpenItsFileReports();
    void saveAsAsksAgainForAFolderThatDoesNotExist();
    void saveAsAddsTheLessonsSuffix_data();
    void saveAsAddsTheLessonsSuffix();
    void saveFailingHalfWayKeepsTheOldFile();
    void saveKeepsTheFilesPermissionsAndOwner();
    void saveOnAReadOnlyLessonIsRefused();
    void lessonInAFolderNamedInLatin1();
    void savedScenarioLoadsBackTheSame();
    void commandLinePath_data();
    void commandLinePath();
    void loadStripsQuotes_data();
    void loadStripsQuotes();
    void commandLineScenarioStaysUntitled();
    void loadFromCommandLineWithAMissingFile();
    void loadWhatIsNotARegularFile_data();
    void loadWhatIsNotARegularFile();
    void loadALineWithoutEndReadsOnlyUpToTheLimit();
    void intervalOutsideTheSliderIsKept();

private:
    QString Path(const QString& name) const { return m_Dir->filePath(name); }
    void AddBowls(int n) {
        for (int i = 0; i < n; ++i) m_Engine->AddBowl(int16_t(i + 1), 300.0f + 300 * i, 400, 2, -1);
    }

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CEnvEng> m_Engine;
    ManualClock m_Clock;
    std::unique_ptr<FakeHost> m_Host;
    std::unique_ptr<ScenarioDocument> m_Doc;
};

void TestDocument::init() {
    Prompt::StartScripting();
    m_Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_Dir->isValid());
    m_Engine = std::make_unique<CEnvEng>();
    m_Engine->init(m_Clock);
    g_pEnvEng = m_Engine.get();
    FlgModified = kFalse;
    m_Host = std::make_unique<FakeHost>();
    m_Doc = std::make_unique<ScenarioDocument>(*m_Host);
}

void TestDocument::cleanup() {
    m_Doc.reset();
    m_Host.reset();
    g_pEnvEng = nullptr;
    m_Engine.reset();
    m_Dir.reset();
}

void TestDocument::newOnACleanDocumentAsksNothing() {
    AddBowls(2);
    m_Engine->sInterval(20);
    m_Doc->New();
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(m_Engine->BowlCount(), int16_t(0));
    QCOMPARE(m_Engine->sInterval(), int16_t(50));
    QCOMPARE(m_Host->title, QStringLiteral("Untitled - Vintrop"));
    QCOMPARE(m_Host->sliderSets, 1);
    QCOMPARE(m_Host->manualRefreshes, 1);
    QCOMPARE(m_Host->refreshCommands, 1);
    QVERIFY(m_Doc->FileName().isEmpty());
    QCOMPARE(FlgModified, kFalse);
}

// A modified untitled document: each answer to the question, and whether
// the Save As that Yes opens is cancelled.
void TestDocument::newOnAModifiedDocument_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAsName");   // "" cancels the dialog
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<bool>("written");
    QTest::newRow("Cancel: nothing happens") << int(QMessageBox::Cancel) << "" << false << false;
    QTest::newRow("No: a new scenario, nothing saved") << int(QMessageBox::No) << "" << true << false;
    QTest::newRow("Yes, Save As cancelled: nothing happens") << int(QMessageBox::Yes) << "" << false << false;
    QTest::newRow("Yes, Save As to a file: saved, then new")
        << int(QMessageBox::Yes) << "saved.txt" << true << true;
}

void TestDocument::newOnAModifiedDocument() {
    QFETCH(int, answer);
    QFETCH(QString, saveAsName);
    QFETCH(bool, goesOn);
    QFETCH(bool, written);
    AddBowls(2);
    FlgModified = kTrue;
    Prompt::ScriptAnswer(static_cast<Button>(answer));
    Prompt::ScriptFileName(saveAsName.isEmpty() ? QString() : Path(saveAsName));

    m_Doc->New();
    QCOMPARE(Prompt::ShownMessages().size(), size_t(1));
    QCOMPARE(Prompt::ShownMessages()[0].text, QStringLiteral("Save Changes to Untitled?"));
    QCOMPARE(Prompt::ShownMessages()[0].icon, Prompt::Icon::Question);
    QCOMPARE(Prompt::ShownMessages()[0].buttons, kYesNoCancel);
    QCOMPARE(Prompt::FileDialogsShown(), answer == QMessageBox::Yes ? 1 : 0);
    QCOMPARE(m_Engine->BowlCount(), int16_t(goesOn ? 0 : 2));
    QCOMPARE(FlgModified, goesOn ? kFalse : kTrue);
    QCOMPARE(m_Host->title, goesOn ? QStringLiteral("Untitled - Vintrop") : QStringLiteral("Vintrop"));
    if (!saveAsName.isEmpty()) QCOMPARE(QFile::exists(Path(saveAsName)), written);
    if (written) QCOMPARE(ReadAll(Path(saveAsName)).count("\r\n"), 4 + 5 * 2);
}

void TestDocument::questionNamesTheDocument() {
    WriteAll(Path("named scenario.txt"), kTwoBowls);
    Prompt::ScriptFileName(Path("named scenario.txt"));
    m_Doc->Open();
    FlgModified = kTrue;

    // The question ends at the full path, without a question mark.
    Prompt::ClearLog();
    Prompt::ScriptAnswer(QMessageBox::No);
    QVERIFY(m_Doc->QuerySaveChanges());
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Save Changes to ") + Path("named scenario.txt")});
    QCOMPARE(FlgModified, kTrue);   // No saves nothing

    // Cancel (or closing the box) refuses.
    Prompt::ScriptAnswer(QMessageBox::Cancel);
    QVERIFY(!m_Doc->QuerySaveChanges());

    // Yes saves under the name, with the confirmation.
    Prompt::ClearLog();
    m_Engine->AddBowl(9, 3000, 400, 0, 0);
    Prompt::ScriptAnswer(QMessageBox::Yes);
    QVERIFY(m_Doc->QuerySaveChanges());
    QCOMPARE(Prompt::ShownTexts().last(), QStringLiteral("Configurazione Salvata"));
    QCOMPARE(ReadAll(Path("named scenario.txt")).count("\r\n"), 4 + 5 * 3);
    QCOMPARE(FlgModified, kFalse);

    // A clean document is not asked about.
    Prompt::ClearLog();
    QVERIFY(m_Doc->QuerySaveChanges());
    QVERIFY(Prompt::ShownMessages().empty());
}

void TestDocument::openCancelledChangesNothing() {
    AddBowls(1);
    m_Doc->Open();
    QCOMPARE(Prompt::FileDialogsShown(), 1);
    QCOMPARE(m_Engine->BowlCount(), int16_t(1));
    QCOMPARE(m_Host->refreshCommands, 0);   // a cancelled dialog ends the command at once
    QCOMPARE(m_Host->title, QStringLiteral("Vintrop"));
}

void TestDocument::openRefusedByTheQuestionStillRefreshes() {
    AddBowls(1);
    FlgModified = kTrue;
    Prompt::ScriptAnswer(QMessageBox::Cancel);
    m_Doc->Open();
    QCOMPARE(Prompt::FileDialogsShown(), 0);
    QCOMPARE(m_Host->refreshCommands, 1);
    QCOMPARE(m_Engine->BowlCount(), int16_t(1));
    QCOMPARE(FlgModified, kTrue);
}

void TestDocument::openLoadsAndTitlesTheDocument() {
    WriteAll(Path("two.txt"), kTwoBowls);
    AddBowls(3);   // replaced, not added to
    m_Engine->sInterval(7);
    Prompt::ScriptFileName(Path("two.txt"));
    m_Doc->Open();

    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    QCOMPARE(m_Engine->GetBowl(1).Id, int16_t(1));
    QCOMPARE(m_Engine->GetBowl(2).M(), 4.0f);
    QCOMPARE(m_Engine->GetBowl(1).Vyo(), -2.0f);
    QCOMPARE(m_Engine->sInterval(), int16_t(50));
    QCOMPARE(m_Host->title, Path("two.txt") + QStringLiteral(" - Vintrop"));
    QCOMPARE(m_Doc->FileName(), Path("two.txt"));
    QCOMPARE(m_Host->sliderSets, 1);
    QVERIFY(m_Host->manualRefreshes >= 1);
    QCOMPARE(m_Host->refreshCommands, 2);   // the load's own, then Open's
    QVERIFY(Prompt::ShownMessages().empty());
}

void TestDocument::openAfterAnsweringNoGivesACleanScenario() {
    WriteAll(Path("two.txt"), kTwoBowls);
    AddBowls(1);
    FlgModified = kTrue;
    Prompt::ScriptAnswer(QMessageBox::No);
    Prompt::ScriptFileName(Path("two.txt"));
    m_Doc->Open();
    QCOMPARE(FlgModified, kFalse);
    Prompt::ClearLog();
    QVERIFY(m_Doc->QuerySaveChanges());   // closing asks nothing
    QVERIFY(Prompt::ShownMessages().empty());
}

void TestDocument::openUnreadableContents() {
    // Two bowls announced, one present: the first is read, then it fails.
    WriteAll(Path("short.txt"), "50\r\n0\r\n0\r\n2\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n");
    WriteAll(Path("two.txt"), kTwoBowls);
    Prompt::ScriptFileName(Path("two.txt"));
    m_Doc->Open();
    const QString titleBefore = m_Host->title;
    m_Host->manualRefreshes = m_Host->sliderSets = m_Host->refreshCommands = 0;
    m_Engine->sInterval(30);

    Prompt::ScriptFileName(Path("short.txt"));
    m_Doc->Open();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore lettura Dati")});
    QCOMPARE(Prompt::ShownMessages()[0].icon, Prompt::Icon::Exclamation);
    QCOMPARE(m_Engine->BowlCount(), int16_t(0));
    QCOMPARE(m_Engine->sInterval(), int16_t(50));
    // Neither the earlier file nor the unreadable one names the document.
    QVERIFY(titleBefore != QStringLiteral("Untitled - Vintrop"));
    QCOMPARE(m_Host->title, QStringLiteral("Untitled - Vintrop"));
    QVERIFY(m_Doc->FileName().isEmpty());
    // Picture and slider show the emptied engine.
    QVERIFY(m_Host->manualRefreshes >= 1);
    QCOMPARE(m_Host->sliderSets, 1);
    QVERIFY(m_Host->refreshCommands >= 1);
    QCOMPARE(FlgModified, kFalse);

    // So the next Save asks for a name instead of writing over the file
    // that failed, and changes nothing when that is cancelled.
    AddBowls(1);
    FlgModified = kTrue;
    const int dialogs = Prompt::FileDialogsShown();
    m_Doc->Save();
    QCOMPARE(Prompt::FileDialogsShown(), dialogs + 1);
    QCOMPARE(ReadAll(Path("short.txt")), QByteArray("50\r\n0\r\n0\r\n2\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n"));
}

void TestDocument::openMissingFile() {
    AddBowls(2);
    FlgModified = kTrue;
    Prompt::ScriptAnswer(QMessageBox::No);
    Prompt::ScriptFileName(Path("gone.txt"));
    m_Doc->Open();
    QCOMPARE(Prompt::ShownTexts().last(), QStringLiteral("Errore 53: File not found Vintrop"));
    QCOMPARE(Prompt::ShownMessages().back().icon, Prompt::Icon::Exclamation);
    QCOMPARE(m_Engine->BowlCount(), int16_t(0));
    QCOMPARE(m_Host->title, QStringLiteral("Untitled - Vintrop"));
    QVERIFY(m_Doc->FileName().isEmpty());
    QCOMPARE(FlgModified, kTrue);   // a failed load does not touch the flag
    Prompt::ClearLog();
    Prompt::ScriptAnswer(QMessageBox::Cancel);
    QVERIFY(!m_Doc->QuerySaveChanges());
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Save Changes to Untitled?")});
    QCOMPARE(m_Host->sliderSets, 1);
    QCOMPARE(m_Host->refreshCommands, 1);   // Open's own refresh
}

void TestDocument::saveNamedConfirms() {
    WriteAll(Path("two.txt"), kTwoBowls);
    Prompt::ScriptFileName(Path("two.txt"));
    m_Doc->Open();
    const QString title = m_Host->title;
    m_Engine->AddBowl(2, 3000, 400, 1, 1);
    FlgModified = kTrue;
    m_Host->refreshCommands = 0;

    m_Doc->Save();
    QCOMPARE(Prompt::FileDialogsShown(), 1);   // only the Open's
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Configurazione Salvata")});
    QCOMPARE(Prompt::ShownMessages()[0].icon, Prompt::Icon::Information);
    QCOMPARE(Prompt::ShownMessages()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(m_Host->title, title);
    QCOMPARE(m_Host->refreshCommands, 1);
    const QByteArray saved = ReadAll(Path("two.txt"));
    QVERIFY(saved.startsWith("50\r\n0\r\n0\r\n3\r\n"));
    QVERIFY(saved.endsWith("2\r\n3000\r\n400\r\n1\r\n1\r\n"));
}

void TestDocument::saveUntitledRunsSaveAs() {
    AddBowls(2);
    FlgModified = kTrue;
    Prompt::ScriptFileName(Path("new.txt"));
    m_Doc->Save();
    QCOMPARE(Prompt::FileDialogsShown(), 1);
    QVERIFY(Prompt::ShownMessages().empty());   // Save As never confirms
    QCOMPARE(m_Host->title, Path("new.txt") + QStringLiteral(" - Vintrop"));
    QCOMPARE(m_Doc->FileName(), Path("new.txt"));
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(m_Host->refreshCommands, 1);   // from Save, not from Save As
    QCOMPARE(ReadAll(Path("new.txt")).count("\r\n"), 14);

    // Now named: Save writes without a dialog.
    m_Doc->Save();
    QCOMPARE(Prompt::FileDialogsShown(), 1);
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Configurazione Salvata")});
}

void TestDocument::saveAsCancelledChangesNothing() {
    AddBowls(1);
    FlgModified = kTrue;
    m_Doc->SaveAs();
    QCOMPARE(Prompt::FileDialogsShown(), 1);
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(m_Host->title, QStringLiteral("Vintrop"));
    QVERIFY(m_Doc->FileName().isEmpty());
    QCOMPARE(m_Host->refreshCommands, 0);
}

void TestDocument::saveAsReplacesAnOldFileWhole() {
    const QByteArray longer = QByteArray("99\r\n").repeated(200);
    WriteAll(Path("old.txt"), longer);
    FlgModified = kTrue;
    Prompt::ScriptFileName(Path("old.txt"));
    m_Doc->SaveAs();
    QCOMPARE(ReadAll(Path("old.txt")), QByteArray("50\r\n0\r\n0\r\n0\r\n"));
    QCOMPARE(FlgModified, kFalse);
}

void TestDocument::saveThatCannotOpenItsFileReports_data() {
    QTest::addColumn<bool>("viaSaveAs");
    QTest::newRow("Save on a name whose folder has gone") << false;
    QTest::newRow("Save As into a folder nobody may write") << true;
}

void TestDocument::saveThatCannotOpenItsFileReports() {
    QFETCH(bool, viaSaveAs);
    // /proc takes no new files, not even from root.
    const QString bad = viaSaveAs ? QStringLiteral("/proc/vintrop-scenario.txt") : Path("gone/scenario.txt");
    QString name;
    if (viaSaveAs) {
        WriteAll(Path("earlier.txt"), kTwoBowls);
        Prompt::ScriptFileName(Path("earlier.txt"));
        m_Doc->Open();
        name = Path("earlier.txt");
        Prompt::ClearLog();
        FlgModified = kFalse;   // unchanged: a failed save marks it unsaved
        Prompt::ScriptFileName(bad);
        m_Doc->SaveAs();
    } else {
        QVERIFY(QDir(m_Dir->path()).mkdir(QStringLiteral("gone")));
        WriteAll(bad, kTwoBowls);
        Prompt::ScriptFileName(bad);
        m_Doc->Open();
        name = bad;
        QVERIFY(QDir(Path("gone")).removeRecursively());
        Prompt::ClearLog();
        FlgModified = kFalse;
        m_Doc->Save();
    }
    const QString title = m_Host->title;
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore scrittura File")});
    QCOMPARE(Prompt::ShownMessages()[0].icon, Prompt::Icon::Exclamation);
    QCOMPARE(FlgModified, kTrue);
    QCOMPARE(title, name + QStringLiteral(" - Vintrop"));
    // A failed Save As keeps the name the document had.
    QCOMPARE(m_Doc->FileName(), name);
    QVERIFY(!QFile::exists(bad));

    // So the question after it still asks, and a failed save refuses to go on.
    Prompt::ClearLog();
    Prompt::ScriptAnswer(QMessageBox::Yes);
    if (viaSaveAs) QVERIFY(QFile::remove(name) && QDir().mkpath(name));   // now a folder: Save fails
    QVERIFY(!m_Doc->QuerySaveChanges());
    QCOMPARE(Prompt::ShownTexts().last(), QStringLiteral("Errore scrittura File"));
}

void TestDocument::saveAsAsksAgainForAFolderThatDoesNotExist() {
    AddBowls(1);
    FlgModified = kTrue;
    Prompt::ScriptFileName(Path("no such folder/scenario.txt"));
    Prompt::ScriptFileName(Path("scenario.txt"));
    m_Doc->SaveAs();
    QCOMPARE(Prompt::FileDialogsShown(), 2);
    QCOMPARE(Prompt::ShownMessages().size(), std::size_t(1));
    QCOMPARE(Prompt::ShownMessages()[0].icon, Prompt::Icon::Exclamation);
    QVERIFY(Prompt::ShownTexts()[0].startsWith(QDir::toNativeSeparators(Path("no such folder")) + "\n"));
    QVERIFY(Prompt::ShownTexts()[0].contains(QStringLiteral("Directory not found")));
    QCOMPARE(m_Doc->FileName(), Path("scenario.txt"));
    QCOMPARE(FlgModified, kFalse);
    QVERIFY(!QDir(Path("no such folder")).exists());

    // Cancelling the second dialog ends the command without a name.
    FlgModified = kTrue;
    Prompt::ScriptFileName(Path("missing/x.txt"));
    Prompt::ScriptFileName(QString());
    m_Doc->SaveAs();
    QCOMPARE(m_Doc->FileName(), Path("scenario.txt"));
    QCOMPARE(FlgModified, kTrue);
}

// The name typed in Save As, the file type chosen, the answer to the
// question whether the name with the suffix added may replace a lesson.
void TestDocument::saveAsAddsTheLessonsSuffix_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");   // "" the first offered
    QTest::addColumn<int>("answer");       // 0: no question
    QTest::addColumn<QString>("saved");    // "" nothing saved
    QTest::newRow("no suffix: added") << "new" << "" << 0 << "new.vintrop";
    QTest::newRow("all files: kept") << "new" << AllFilesFilter() << 0 << "new";
    QTest::newRow("typed whole: the dialog asked") << "old.vintrop" << LessonsFilter() << 0 << "old.vintrop";
    QTest::newRow("added onto a lesson, Yes") << "old" << "" << int(QMessageBox::Yes) << "old.vintrop";
    QTest::newRow("added onto a lesson, No: asks again") << "old" << "" << int(QMessageBox::No) << "";
}

void TestDocument::saveAsAddsTheLessonsSuffix() {
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(int, answer);
    QFETCH(QString, saved);
    WriteAll(Path("old.vintrop"), "old");
    AddBowls(1);
    FlgModified = kTrue;
    if (answer) Prompt::ScriptAnswer(static_cast<Button>(answer));
    Prompt::ScriptFileName(Path(typed), filter);
    m_Doc->SaveAs();   // a second dialog is cancelled
    QCOMPARE(Prompt::FileDialogsShown(), answer == QMessageBox::No ? 2 : 1);
    QCOMPARE(Prompt::ShownTexts(), answer ? QStringList{"old.vintrop already exists.\nDo you want to replace it?"}
                                          : QStringList{});
    QCOMPARE(m_Doc->FileName(), saved.isEmpty() ? QString() : Path(saved));
    QCOMPARE(ReadAll(Path("old.vintrop")) == "old", saved != "old.vintrop");
    if (!saved.isEmpty()) QCOMPARE(ReadAll(Path(saved)).count("\r\n"), 9);
}

void TestDocument::saveFailingHalfWayKeepsTheOldFile() {
    // The old scenario on disk, then a larger one to be saved over it.
    WriteAll(Path("keep.txt"), kTwoBowls);
    Prompt::ScriptFileName(Path("keep.txt"));
    m_Doc->Open();
    const QString title = m_Host->title;
    AddBowls(40);
    FlgModified = kTrue;

    // Saved in a child whose file system refuses every byte past the 64th,
    // as a full disk would, with SIGXFSZ as a program starts with it: unless
    // the save guards against that signal, it ends the program.
    const int result = testing::RunForked([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (!testing::LimitFileSize(64)) return 2;
        m_Doc->Save();
        if (Prompt::ShownTexts().value(0) != QStringLiteral("Errore scrittura File")) return 3;
        if (Prompt::ShownMessages()[0].icon != Prompt::Icon::Exclamation) return 4;
        if (FlgModified != kTrue) return 5;
        if (m_Host->title != title) return 6;
        return 0;
    });
    QCOMPARE(result, 0);   // 153: ended by SIGXFSZ; 3 to 6: the checks above in order
    QCOMPARE(ReadAll(Path("keep.txt")), kTwoBowls);
    // Nothing left behind beside it.
    QCOMPARE(QDir(m_Dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.txt")});
}

void TestDocument::saveKeepsTheFilesPermissionsAndOwner() {
    WriteAll(Path("shared.txt"), kTwoBowls);
    const QByteArray name = QFile::encodeName(Path("shared.txt"));
    const bool root = geteuid() == 0;
    if (root) QCOMPARE(::chown(name.constData(), testing::kNobody, testing::kNobody), 0);
    QCOMPARE(::chmod(name.constData(), 0640), 0);
    Prompt::ScriptFileName(Path("shared.txt"));
    m_Doc->Open();
    AddBowls(1);
    FlgModified = kTrue;

    m_Doc->Save();
    QCOMPARE(Prompt::ShownTexts().last(), QStringLiteral("Configurazione Salvata"));
    QCOMPARE(ReadAll(Path("shared.txt")).count("\r\n"), 19);   // the third bowl is in
    struct stat saved {};
    QCOMPARE(::stat(name.constData(), &saved), 0);
    QCOMPARE(int(saved.st_mode & 07777), 0640);
    if (!root) QSKIP("only root may give a file to another user: the owner part needs root");
    QCOMPARE(saved.st_uid, testing::kNobody);
    QCOMPARE(saved.st_gid, gid_t(testing::kNobody));
}

void TestDocument::saveOnAReadOnlyLessonIsRefused() {
    // In a folder the user may write (user 65534 when the test runs as root).
    const QString path = Path("lessons/urto.vintrop");
    QVERIFY(QDir(m_Dir->path()).mkdir("lessons"));
    WriteAll(path, kTwoBowls);
    const QByteArray names[] = {QFile::encodeName(m_Dir->path()), QFile::encodeName(Path("lessons")), QFile::encodeName(path)};
    for (const QByteArray& name : names)
        QVERIFY(::chmod(name.constData(), 0755) == 0 && (geteuid() != 0 || ::chown(name.constData(), testing::kNobody, testing::kNobody) == 0));
    QCOMPARE(::chmod(names[2].constData(), 0444), 0);
    Prompt::ScriptFileName(path);
    m_Doc->Open();
    AddBowls(1);
    FlgModified = kTrue;

    const int result = testing::RunForked([&] {
        if (!testing::GiveUpRoot()) return 2;
        m_Doc->Save();
        if (Prompt::ShownTexts() != QStringList{QStringLiteral("Errore scrittura File")}) return 3;
        return FlgModified == kTrue ? 0 : 4;
    });
    QCOMPARE(result, 0);   // 3: another message ("Configurazione Salvata"); 4: counted as saved
    QCOMPARE(ReadAll(path), kTwoBowls);
    QCOMPARE(QDir(Path("lessons")).entryList(QDir::Files | QDir::Hidden), QStringList{"urto.vintrop"});
}

void TestDocument::lessonInAFolderNamedInLatin1() {
    // "lezioniè/urtoé.vintrop" as an older system wrote it: bytes that are
    // not UTF-8, which the path must keep all the way to open() and back.
    const QByteArray folder = QFile::encodeName(m_Dir->path()) + "/lezioni\xe8";
    const QByteArray lesson = folder + "/urto\xe9.vintrop";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    QVERIFY(std::ofstream(lesson.constData(), std::ios::binary) << kTwoBowls.toStdString());
    const QString readable = m_Dir->path() + QStringLiteral("/lezioni\u00e8/urto\u00e9.vintrop");

    // From the command line, as `vintrop <path>` gives argv.
    QString path = CommandLinePath({"vintrop", lesson});
    QVERIFY(m_Doc->LoadScenario(path));
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    QCOMPARE(m_Host->title, readable + QStringLiteral(" - Vintrop"));

    // Opened, changed and saved back to the same bytes.
    Prompt::ScriptFileName(PathFromBytes(lesson));
    m_Doc->Open();
    m_Engine->AddBowl(9, 3000, 400, 0, 0);
    FlgModified = kTrue;
    m_Doc->Save();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Configurazione Salvata")});
    QCOMPARE(ReadBytes(lesson).count("\r\n"), 4 + 5 * 3);

    // Saved as a new lesson in that folder.
    const QByteArray copy = folder + "/copia\xf2.vintrop";
    Prompt::ClearLog();
    Prompt::ScriptFileName(PathFromBytes(copy));
    m_Doc->SaveAs();
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(PathBytes(m_Doc->FileName()), copy);
    QCOMPARE(ReadBytes(copy), ReadBytes(lesson));
    // QDir cannot remove names that are not UTF-8.
    for (const QByteArray& file : {lesson, copy}) QCOMPARE(::unlink(file.constData()), 0);
    QCOMPARE(::rmdir(folder.constData()), 0);
}

void TestDocument::savedScenarioLoadsBackTheSame() {
    m_Engine->sInterval(35);
    m_Engine->CentralCollision(kTrue);
    m_Engine->AddBowl(3, 123.25f, 4567.5f, -7.125f, 0.1f);
    m_Engine->AddBowl(100, 5000, 2000, 0, 0);
    Prompt::ScriptFileName(Path("round.txt"));
    m_Doc->SaveAs();
    m_Doc->New();
    Prompt::ScriptFileName(Path("round.txt"));
    m_Doc->Open();
    QCOMPARE(m_Engine->sInterval(), int16_t(35));
    QCOMPARE(m_Engine->CentralCollision(), kTrue);
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    const CBowl& b = m_Engine->GetBowl(1);
    QCOMPARE(b.M(), 3.0f);
    QCOMPARE(b.Xo(), 123.25f);
    QCOMPARE(b.Yo(), 4567.5f);
    QCOMPARE(b.Vxo(), -7.125f);
    QCOMPARE(b.Vyo(), 0.1f);
    QCOMPARE(m_Engine->GetBowl(2).M(), 100.0f);
}

void TestDocument::commandLinePath_data() {
    using Args = QList<QByteArray>;
    QTest::addColumn<Args>("arguments");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("no argument") << Args{"vintrop"} << QByteArray();
    QTest::newRow("one argument") << Args{"vintrop", "/tmp/a.txt"} << QByteArray("/tmp/a.txt");
    QTest::newRow("a path with blanks typed without quotes")
        << Args{"vintrop", "/tmp/my", "two", "bowls.txt"} << QByteArray("/tmp/my two bowls.txt");
    QTest::newRow("quoted argument passes as it is") << Args{"vintrop", "\"/tmp/a b.txt\""}
                                                     << QByteArray("\"/tmp/a b.txt\"");
    // Any bytes come back exactly from the path's QString.
    QTest::newRow("Latin-1 bytes") << Args{"vintrop", "/tmp/lezioni\xe8/urto\xe9", "due.vintrop"}
                                   << QByteArray("/tmp/lezioni\xe8/urto\xe9 due.vintrop");
    const std::pair<const char*, QByteArray> names[] = {
        {"UTF-8", "lezioni\xc3\xa8"}, {"a byte order mark first", "\xef\xbb\xbf" "a"},
        {"U+10080: a surrogate pair ending in the escape range", "\xf0\x90\x82\x80"},
        {"overlong slash", "\xc0\xaf"}, {"overlong slash in three bytes", "\xe0\x80\xaf"},
        {"overlong slash in four bytes", "\xf0\x80\x80\xaf"}, {"beyond U+10FFFF", "\xf4\x90\x80\x80"},
        {"encoded surrogate", "\xed\xb2\x80"}, {"cut-off sequence", "x\xe2\x82"}};
    for (const auto& [row, name] : names) QTest::newRow(row) << Args{"vintrop", name} << name;
}

void TestDocument::commandLinePath() {
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(QByteArray, path);
    QCOMPARE(PathBytes(CommandLinePath(arguments)), path);
}

void TestDocument::loadStripsQuotes_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("no quotes") << "" << "";
    QTest::newRow("surrounding quotes") << "\"" << "\"";
    QTest::newRow("a quote only at the end") << "" << "\"";
    QTest::newRow("a quote only at the start") << "\"" << "";
}

void TestDocument::loadStripsQuotes() {
    QFETCH(QString, prefix);
    QFETCH(QString, suffix);
    QVERIFY(QDir(m_Dir->path()).mkpath(QStringLiteral("with blanks")));
    const QString file = Path("with blanks/two bowls.txt");
    WriteAll(file, kTwoBowls);
    QList<QByteArray> args{"vintrop"};
    for (const QString& word : (prefix + file + suffix).split(QLatin1Char(' '))) args << QFile::encodeName(word);
    QString path = CommandLinePath(args);
    m_Doc->LoadScenario(path);
    QCOMPARE(path, file);
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(m_Engine->BowlCount(), int16_t(2));
    QCOMPARE(m_Host->title, file + QStringLiteral(" - Vintrop"));
    QCOMPARE(m_Host->refreshCommands, 1);
}

void TestDocument::commandLineScenarioStaysUntitled() {
    WriteAll(Path("cmd.txt"), kTwoBowls);
    QString path = Path("cmd.txt");
    m_Doc->LoadScenario(path);
    QVERIFY(m_Doc->FileName().isEmpty());
    QCOMPARE(FlgModified, kFalse);
    FlgModified = kTrue;
    Prompt::ScriptAnswer(QMessageBox::Yes);
    QVERIFY(!m_Doc->QuerySaveChanges());   // Save runs Save As, which is cancelled
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Save Changes to Untitled?")});
    QCOMPARE(Prompt::FileDialogsShown(), 1);
}

void TestDocument::loadFromCommandLineWithAMissingFile() {
    QString path = QStringLiteral("\"") + Path("missing one.txt") + QStringLiteral("\"");
    m_Engine->sInterval(80);
    m_Doc->LoadScenario(path);
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore 53: File not found Vintrop")});
    QCOMPARE(m_Host->title, QStringLiteral("Vintrop"));   // the design caption stays
    QCOMPARE(m_Engine->BowlCount(), int16_t(0));
    QCOMPARE(m_Engine->sInterval(), int16_t(50));
    QCOMPARE(m_Host->sliderSets, 1);
    QCOMPARE(m_Host->refreshCommands, 0);   // the error report ends the load
}

void TestDocument::loadWhatIsNotARegularFile_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("a directory") << QStringLiteral("directory");
    QTest::newRow("a FIFO with no writer") << QStringLiteral("fifo");
    QTest::newRow("a device that never ends") << QStringLiteral("/dev/zero");
}

void TestDocument::loadWhatIsNotARegularFile() {
    // Refused before a byte is read: a FIFO would otherwise block for ever.
    QFETCH(QString, what);
    QString path = what.startsWith('/') ? what : m_Dir->path();
    if (what == QStringLiteral("fifo")) {
        path = Path("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    AddBowls(1);
    QVERIFY(!m_Doc->LoadScenario(path));
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore 75: Path/File access error Vintrop")});
    QCOMPARE(m_Engine->BowlCount(), int16_t(0));
}

void TestDocument::loadALineWithoutEndReadsOnlyUpToTheLimit() {
    // 16 MiB of digits and no line end: refused at the first line as a line
    // that cannot be a number, not read whole as one huge number.
    const QString path = Path("endless.txt");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, '7');
        for (int k = 0; k < 16; ++k) QCOMPARE(f.write(block), qint64(block.size()));
    }
    QString p = path;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("line 1: Errore 13: Type mismatch")));
    QVERIFY(!m_Doc->LoadScenario(p));
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore lettura Dati")});
}

void TestDocument::intervalOutsideTheSliderIsKept() {
    WriteAll(Path("slow.txt"), "250\r\n0\r\n0\r\n0\r\n");
    Prompt::ScriptFileName(Path("slow.txt"));
    m_Doc->Open();
    QCOMPARE(m_Engine->sInterval(), int16_t(250));
    FlgModified = kTrue;
    m_Doc->Save();
    QCOMPARE(ReadAll(Path("slow.txt")), QByteArray("250\r\n0\r\n0\r\n0\r\n"));
}

QTEST_MAIN(TestDocument)
#include "test_document.moc"
