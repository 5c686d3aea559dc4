// The message seam shows its text as written: a file or folder name that
// looks like markup, in each message that names one, is not read as markup.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "lessonname.h"
#include "prompt.h"

using vintrop::Prompt;

class TestPrompt : public QObject {
    Q_OBJECT
private slots:
    void aNameThatLooksLikeMarkupIsShownAsWritten();
};

void TestPrompt::aNameThatLooksLikeMarkupIsShownAsWritten() {
    const QString name = QStringLiteral("<h1><font color=red>Untitled? <img src=x width=600 height=300>");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath(name + QStringLiteral(".vintrop")));
    QVERIFY(existing.open(QIODevice::WriteOnly));

    // The save dialog's two messages that name a path: a name the suffix
    // was added to that is already there, and a folder that is not.
    Prompt::StartScripting();
    Prompt::ScriptFileName(dir.filePath(name), vintrop::LessonsFilter());
    Prompt::ScriptAnswer(QMessageBox::Yes);
    Prompt::SaveFileName(nullptr, {});
    Prompt::ScriptFileName(dir.filePath(name + QStringLiteral("/lesson.vintrop")));
    Prompt::SaveFileName(nullptr, {});
    const QStringList texts = Prompt::ShownTexts() << QStringLiteral("Save Changes to ") + name;
    QCOMPARE(texts.size(), 3);
    QVERIFY(texts[0].startsWith(name + QStringLiteral(".vintrop already exists.")));
    QVERIFY(texts[1].startsWith(dir.filePath(name) + QStringLiteral("\nDirectory not found.")));

    // Each shown by a real message box, as plain text.
    Prompt::StopScripting();
    for (const QString& text : texts) {
        Qt::TextFormat format = Qt::AutoText, labelFormat = Qt::AutoText;
        QString shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            closer.stop();
            format = box->textFormat();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                labelFormat = label->textFormat();
                shown = label->text();
            }
            box->reject();
        });
        closer.start(10);
        Prompt::Message(nullptr, text, Prompt::Icon::Question, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(labelFormat, Qt::PlainText);
        QCOMPARE(shown, text);
    }
}

QTEST_MAIN(TestPrompt)
#include "test_prompt.moc"
