// The document commands and the editing windows as the user reaches them
// through the main window: start-up with an argument, closing with unsaved
// changes, a failed Open, and a bowl built through the editor and dialog.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "appstate.h"
#include "envengine.h"
#include "main/f_main.h"
#include "numeric.h"
#include "pathbytes.h"
#include "prompt.h"

using namespace vintrop;

namespace {
const QByteArray kTwoBowls = "50\r\n0\r\n0\r\n2\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n4\r\n1500\r\n400\r\n0\r\n0\r\n";

// Acts on the modal window named `name` once it is the active modal one.
void OnModal(QObject* context, const char* name, std::function<void(QWidget*)> action, int tries = 400) {
    QTimer::singleShot(tries == 400 ? 0 : 5, context, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w->objectName() != QLatin1String(name)) {
            if (tries > 0) OnModal(context, name, action, tries - 1);
            return;
        }
        action(w);
        if (QApplication::activeModalWidget() == w) w->close();
    });
}
} // namespace

class TestDocumentWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpWithAMissingFile();
    void startUpWithAQuotedPath();
    void closeWithAModifiedNamedDocument();
    void openUnreadableScenarioDisablesTheTransport();
    void bowlBuiltThroughTheEditorAndSaved();
    void latin1LessonSavedBackThroughTheSaveDialog();

private:
    void Make(const QString& argument = {}) {
        m_Window = std::make_unique<F_MAIN>(argument);
        QVERIFY(QTest::qWaitForWindowExposed(m_Window.get()));
    }
    QAction* Action(const char* name) { return m_Window->findChild<QAction*>(QLatin1String(name)); }
    QString File(const QString& name) const { return m_Dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(File(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_Dir;
    std::unique_ptr<F_MAIN> m_Window;
};

void TestDocumentWindow::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_Dir.isValid());
}

void TestDocumentWindow::init() {
    Prompt::StartScripting();
    FlgModified = kFalse;
}

void TestDocumentWindow::cleanup() {
    if (m_Window) {
        // Close without questions so the next test starts clean.
        FlgModified = kFalse;
        m_Window.reset();
    }
}

void TestDocumentWindow::startUpWithAMissingFile() {
    Make(File("not there.txt"));
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore 53: File not found Vintrop")});
    QCOMPARE(m_Window->windowTitle(), QStringLiteral("Vintrop"));
    QCOMPARE(g_pEnvEng->BowlCount(), int16_t(0));
    QVERIFY(!Action("MN_COND_PLAY")->isEnabled());
}

void TestDocumentWindow::startUpWithAQuotedPath() {
    Write("start.txt", kTwoBowls);
    Make(QStringLiteral("\"") + File("start.txt") + QStringLiteral("\""));
    QVERIFY(Prompt::ShownMessages().empty());
    QCOMPARE(m_Window->windowTitle(), File("start.txt") + QStringLiteral(" - Vintrop"));
    QCOMPARE(g_pEnvEng->BowlCount(), int16_t(2));
    QVERIFY(Action("MN_COND_PLAY")->isEnabled());
    QVERIFY(m_Window->Document().FileName().isEmpty());   // still untitled as a document
}

void TestDocumentWindow::closeWithAModifiedNamedDocument() {
    Write("named.txt", kTwoBowls);
    Make();
    Prompt::ScriptFileName(File("named.txt"));
    Action("MN_FILE_OPEN")->trigger();
    FlgModified = kTrue;
    Prompt::ClearLog();

    QSignalSpy closed(m_Window.get(), &F_MAIN::closed);
    Prompt::ScriptAnswer(QMessageBox::Cancel);
    QVERIFY(!m_Window->close());
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Save Changes to ") + File("named.txt")});
    QVERIFY(m_Window->isVisible());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(g_pEnvEng->BowlCount(), int16_t(2));

    Prompt::ScriptAnswer(QMessageBox::No);
    QVERIFY(m_Window->close());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(QFile(File("named.txt")).size(), qint64(kTwoBowls.size()));
}

void TestDocumentWindow::openUnreadableScenarioDisablesTheTransport() {
    Write("good.txt", kTwoBowls);
    Write("bad.txt", "50\r\n0\r\nthree\r\n");
    Make(File("good.txt"));
    QVERIFY(Action("MN_COND_STEP")->isEnabled());
    Action("MN_COND_STEP")->trigger();

    Prompt::ScriptFileName(File("bad.txt"));
    Action("MN_FILE_OPEN")->trigger();
    QCOMPARE(Prompt::ShownTexts(), QStringList{QStringLiteral("Errore lettura Dati")});
    QCOMPARE(g_pEnvEng->BowlCount(), int16_t(0));
    for (const char* name : {"MN_COND_PLAY", "MN_COND_STEP", "MN_COND_BACK", "MN_COND_REW", "MN_COND_STOP"})
        QVERIFY2(!Action(name)->isEnabled(), name);
    // The scenario is now untitled: neither the earlier nor the failed file names it.
    QCOMPARE(m_Window->windowTitle(), QStringLiteral("Untitled - Vintrop"));
}

void TestDocumentWindow::bowlBuiltThroughTheEditorAndSaved() {
    Make();
    const float maxX = g_pEnvEng->MaxX;
    QVERIFY(maxX > 1000);
    bool circleWhileRefused = false;
    Prompt::SetOnMessage([&](const Prompt::Shown& shown) {
        if (!shown.text.startsWith(QString::fromUtf8("Xo è troppo"))) return;
        // While the complaint is up, the provisional circle marks the place
        // (x = 100 twips, y = 600 twips) in white on the main window.
        const QImage& picture = m_Window->Picture();
        const double scale = picture.devicePixelRatio() / 15.0;
        circleWhileRefused = picture.pixelColor(qFloor(100 * scale), qFloor(600 * scale)) == QColor(Qt::white);
    });

    OnModal(this, "F_BOWL_EDITOR", [&](QWidget* editor) {
        // First try: mass 10 (radius 133) at x = 100, too close to the left wall.
        OnModal(this, "F_EDIT_BOWL", [](QWidget* dialog) {
            const QStringList values{"10", "500", "600", "5", "0"};
            const char* names[] = {"tx_M", "tx_X0", "tx_Y0", "tx_Vx0", "tx_Vy0"};
            for (int i = 0; i < 5; ++i) dialog->findChild<QLineEdit*>(QLatin1String(names[i]))->setText(values[i]);
            dialog->findChild<QLineEdit*>(QStringLiteral("tx_X0"))->setText(QStringLiteral("100"));
            dialog->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
            dialog->findChild<QLineEdit*>(QStringLiteral("tx_X0"))->setText(QStringLiteral("500"));
            dialog->findChild<QPushButton*>(QStringLiteral("bt_OK"))->click();
        });
        editor->findChild<QPushButton*>(QStringLiteral("bt_Add"))->click();
        editor->findChild<QPushButton*>(QStringLiteral("bt_Exit"))->click();
    });
    Action("MN_VIEW_BOWL_EDITOR")->trigger();

    QCOMPARE(Prompt::ShownTexts(), QStringList{QString::fromUtf8("Xo è troppo piccola!")});
    QVERIFY(circleWhileRefused);
    QCOMPARE(g_pEnvEng->BowlCount(), int16_t(1));
    QCOMPARE(FlgModified, kTrue);
    // The scene shows the new bowl in its own colour, the circle is gone.
    const CBowl& b = g_pEnvEng->GetBowl(1);
    const QImage& picture = m_Window->Picture();
    const double scale = picture.devicePixelRatio() / 15.0;
    const QColor shown = picture.pixelColor(qFloor(540 * scale), qFloor(600 * scale));
    QCOMPARE(shown, QColor(b.Color & 0xFF, (b.Color >> 8) & 0xFF, (b.Color >> 16) & 0xFF));
    QVERIFY(Action("MN_COND_PLAY")->isEnabled());

    // Save through the menu: untitled, so Save As.
    Prompt::SetOnMessage({});
    Prompt::ScriptFileName(File("built.txt"));
    Action("MN_FILE_SAVE")->trigger();
    QCOMPARE(FlgModified, kFalse);
    QCOMPARE(m_Window->windowTitle(), File("built.txt") + QStringLiteral(" - Vintrop"));
    QFile saved(File("built.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("50\r\n0\r\n0\r\n1\r\n10\r\n500\r\n600\r\n5\r\n0\r\n"));
}


void TestDocumentWindow::latin1LessonSavedBackThroughTheSaveDialog() {
    // "lezioni\u00e8/urto\u00e9.vintrop" as an older system wrote it, named on
    // the command line, changed; Save opens Qt's own Save As dialog (no
    // script), which is accepted as it comes up, then the replace question.
    const QByteArray folder = QFile::encodeName(m_Dir.path()) + "/lezioni\xe8";
    const QByteArray lesson = folder + "/urto\xe9.vintrop";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    QVERIFY(std::ofstream(lesson.constData(), std::ios::binary) << kTwoBowls.toStdString());
    Make(PathFromBytes(lesson));
    g_pEnvEng->AddBowl(7, 3000, 900, 0, 0);
    FlgModified = kTrue;
    Prompt::StopScripting();
    QString question;   // the replace question, as shown
    int dialogs = 0;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {   // cancelled if it comes back
            QMetaObject::invokeMethod(dialog, dialogs++ == 0 ? "accept" : "reject");
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            question = box->text();
            box->done(QMessageBox::Yes);
        }
    });
    user.start(10);
    Action("MN_FILE_SAVE")->trigger();
    Prompt::StartScripting();

    QCOMPARE(question, QStringLiteral("urto\u00e9.vintrop already exists.\nDo you want to replace it?"));
    QCOMPARE(PathBytes(m_Window->Document().FileName()), lesson);
    std::ifstream saved(lesson.constData(), std::ios::binary);
    QCOMPARE(std::count(std::istreambuf_iterator<char>(saved), {}, '\n'), 4 + 5 * 3);
    QCOMPARE(::unlink(lesson.constData()) | ::rmdir(folder.constData()), 0);   // beyond QDir: not UTF-8
}

QTEST_MAIN(TestDocumentWindow)
#include "test_documentwindow.moc"
