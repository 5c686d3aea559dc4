// The physics explanation: the stored text (126 CR LF lines with the quoted
// formula lines in place) and the window that shows it.
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

#include "info/f_explanation.h"
#include "prompt.h"
#include "windowentries.h"

using namespace vintrop;

namespace {
QByteArray StoredText() {
    QFile file(":/info/resources/vintrop.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// Line n (from 1) of the stored text, without its line end.
QString Line(int n) {
    return QString::fromUtf8(StoredText()).split("\r\n").value(n - 1);
}
const QString kStars = "  " + QString(83, '*');
const QString kRule = "  " + QString(83, '=');
} // namespace

class TestExplanation : public QObject {
    Q_OBJECT

private slots:
    void init() { Prompt::StartScripting(); }

    void storedTextHas126CrLfLines() {
        const QByteArray bytes = StoredText();
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(bytes.count("\r\n"), 126);
        QCOMPARE(bytes.count('\n'), 126);   // no bare line feeds
        QCOMPARE(bytes.count('\r'), 126);   // no bare carriage returns
        QVERIFY(bytes.endsWith("\r\n"));
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(text.size(), 4292);
        QVERIFY(text.contains(QChar(0x00E0)));   // à
        QVERIFY(text.contains(QChar(0x00A7)));   // §
    }

    void quotedLinesStandWhereTheyBelong_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        const QString tabs = "\t\t\t";
        const QString box = "        *       |  ";
        const struct {
            int line;
            QString text;
        } rows[] = {
            {1, kStars},
            {11, kStars},
            {14, kRule},
            {16, "  1 - Principio di conservazione della qt\u00e0 di moto per urti elastici"},
            {18, kRule},
            {21, "  \u00a7 SISTEMA RESOLVENTIBUS!:"},
            {23, "  Nel sistema con asse x parallelo alla retta passante per i baricentri:"},
            {27, "  |  (1) m1v1x + m2v2x = m1v1'x + m2v2'x    (Conservazione della quantit\u00e0 di moto)"},
            {29, "  |  (2) v2'y = v2y" + tabs + "  (Vedi nota)"},
            {30, "  |  (3) v1'y = v1y" + tabs + "\""},
            {33, "  |  (4) (1/2)m1(v1'x^2 + v1'y^2) + (1/2)m2(v2'x^2 + v2'y^2) = "},
            {34, "  |      = (1/2)m1(v1x^2 + v1y^2) + (1/2)m2(v2x^2 + v2y^2)     (Conservazione "},
            {40, "  NOTA: Dalla Dinamica F1y=m1a1 <=> F1y=m1(v1'y - v1y); ma in tale sistema"},
            {41, "        F1y=0 per l'assenza di forze di attrito!"},
            {42, "        Per la trasformazione delle coordinate vedi paragrafo 2."},
            {46, "  \u00a7 SOLUZIONE:"},
            {87, "      v2'x = (2m1v1x + m2v2x - m1v2x)/(m1+m2) (***)"},
            {89, "  che assieme a (**), ed a (2) e (3) risolve il sistema:"},
            {108, kRule},
            {110, "  2 - Trasformazioni delle coordinate per rotazione intorno all'origine"},
            {116, "  x'=xcos(@)+ysin(@)"},
            {117, "  y'=-xsin(@)+xcos(@)"},
            {121, "  x=x'cos(@)-y'sin(@)"},
            {122, "  y=xsin(@)+x'cos(@)"},
            {126, kStars},
        };
        for (const auto& r : rows) QTest::newRow(qPrintable(QString("line %1").arg(r.line))) << r.line << r.text;
        // The boxed result starts with the frame and the brace.
        QTest::newRow("line 96 starts") << 96 << box + "v2'x = (2m1v1x + (m2-m1)v2x)/(m1+m2)";
        QTest::newRow("line 97 starts") << 97 << box + "v2'y = v2y";
        QTest::newRow("line 99 starts") << 99 << box + "v1'x = v2'x + v2x - v1x";
        QTest::newRow("line 100 starts") << 100 << box + "v1'y = v1y";
    }
    void quotedLinesStandWhereTheyBelong() {
        QFETCH(int, line);
        QFETCH(QString, text);
        const QString actual = Line(line);
        if (line >= 96 && line <= 100) {
            QVERIFY2(actual.startsWith(text), qPrintable(actual));
            QVERIFY(actual.trimmed().endsWith('*'));
        } else {
            QCOMPARE(actual, text);
        }
    }

    void solutionPhrasesStandAloneAboveTheirFormulas() {
        const QStringList phrases = {"  Raccogliendo i termini della (4):", "  sostituendo (2) e (3):",
                                     "  sviluppando il quadrato:", "  Dalla (1)", "  che sostituito in (*)",
                                     "  da cui", "  ovvero", "  Sostituendo la (**) in (1)", "  raccogliendo",
                                     "  risolvendo per v2'x si ottiene"};
        int from = 46;
        for (const QString& phrase : phrases) {
            int at = from + 1;
            while (at <= 89 && Line(at) != phrase) ++at;
            QVERIFY2(at <= 89, qPrintable(phrase));
            QVERIFY2(Line(at + 1).isEmpty(), qPrintable(phrase));
            QVERIFY2(Line(at + 2).startsWith("      "), qPrintable(phrase));   // its formula
            from = at;
        }
        QCOMPARE(Line(50).left(6), QString("      "));
        QVERIFY(Line(59).endsWith("= 0 (*)"));
        QVERIFY(Line(75).endsWith("(**)"));
    }

    void windowShowsTheTextReadOnlyWithoutWrapping() {
        F_EXPLANATION window;
        QCOMPARE(window.windowTitle(), QString("Vintrop Help"));
        QCOMPARE(window.size(), QSize(716, 511));
        QVERIFY(!window.parentWidget());
        auto* text = window.findChild<QPlainTextEdit*>("Text1");
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        // 126 lines and the empty one after the final line break.
        QCOMPARE(text->document()->blockCount(), 127);
        QCOMPARE(text->toPlainText(), QString::fromUtf8(StoredText()).replace("\r\n", "\n"));

        window.show();
        QCOMPARE(text->verticalScrollBar()->value(), 0);
        QTest::keyClicks(text, "abc");
        QTest::keyClick(text, Qt::Key_Delete);
        QCOMPARE(text->document()->blockCount(), 127);
        QCOMPARE(text->toPlainText(), QString::fromUtf8(StoredText()).replace("\r\n", "\n"));
    }

    void textBoxAlwaysFillsTheWindow_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("as designed") << QSize(716, 511);
        QTest::newRow("very small") << QSize(40, 30);
        QTest::newRow("small") << QSize(160, 120);
        QTest::newRow("large") << QSize(1400, 900);
    }
    void textBoxAlwaysFillsTheWindow() {
        QFETCH(QSize, size);
        F_EXPLANATION window;
        window.show();
        window.resize(size);
        auto* text = window.findChild<QPlainTextEdit*>("Text1");
        QCOMPARE(text->geometry(), QRect(QPoint(0, 0), window.size()));
        if (size == QSize(160, 120)) {
            // Scroll bars reach the rest of the text, which does not wrap.
            QTRY_VERIFY(text->horizontalScrollBar()->maximum() > 0);
            QTRY_VERIFY(text->verticalScrollBar()->maximum() > 0);
            QCOMPARE(text->document()->blockCount(), 127);
        }
    }

    void showExplanationOpensOneModelessWindow() {
        ShowExplanation();
        ShowExplanation();
        QList<F_EXPLANATION*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* e = qobject_cast<F_EXPLANATION*>(w); e && e->isVisible()) windows << e;
        QCOMPARE(windows.size(), 1);
        QVERIFY(!windows.front()->isModal());
        QVERIFY(!QApplication::activeModalWidget());

        // Closing destroys it; the next request builds a new one.
        QPointer<F_EXPLANATION> first = windows.front();
        first->close();
        QTRY_VERIFY(first.isNull());
        ShowExplanation();
        int open = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<F_EXPLANATION*>(w) && w->isVisible()) ++open;
        QCOMPARE(open, 1);
    }
};

QTEST_MAIN(TestExplanation)
#include "test_explanation.moc"
