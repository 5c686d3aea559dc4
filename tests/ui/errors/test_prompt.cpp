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
    QFile existing(dir.filePath(name + QStringLiteral(".vintrop")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    // The save dialog's messages that name a path: a name given the suffix
    // that is already there, and a folder that is not.
    Prompt::StartScripting();
    Prompt::ScriptFileName(dir.filePath(name), vintrop::LessonsFilter());
    Prompt::ScriptFileName(dir.filePath(name + QStringLiteral("/lesson.vintrop")));
    Prompt::SaveFileName(nullptr, {});
    const QStringList texts = Prompt::ShownTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts[0].startsWith(name + QStringLiteral(".vintrop already exists.")));
    QVERIFY(texts[1].startsWith(dir.filePath(name) + QStringLiteral("\nDirectory not found.")));

    // Each shown by a real message box, as plain text.
    Prompt::StopScripting();
    for (const QString& text : texts) {
        QString shown;
        QTimer::singleShot(10, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            auto* label = box ? box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")) : nullptr;
            if (label && label->textFormat() == Qt::PlainText) shown = label->text();
            if (box) box->reject();
        });
        Prompt::Message(nullptr, text, Prompt::Icon::Question, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shown, text);
    }
}

QTEST_MAIN(TestPrompt)
#include "test_prompt.moc"
