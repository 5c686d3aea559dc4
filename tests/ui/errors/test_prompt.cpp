// The message seam shows its text as written: a file name that looks like
// markup is not read as markup.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "prompt.h"

using vintrop::Prompt;

class TestPrompt : public QObject {
    Q_OBJECT
private slots:
    void aNameThatLooksLikeMarkupIsShownAsWritten();
};

void TestPrompt::aNameThatLooksLikeMarkupIsShownAsWritten() {
    Prompt::StopScripting();
    const QString name = QStringLiteral("<h1><font color=red>Untitled? <img src=x width=600 height=300>.vintrop");
    const QString text = QStringLiteral("Save Changes to ") + name + QLatin1Char('?');
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
    Prompt::Message(nullptr, text, Prompt::Icon::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(labelFormat, Qt::PlainText);
    QCOMPARE(shown, text);
}

QTEST_MAIN(TestPrompt)
#include "test_prompt.moc"
