// Every teaching scenario in examples/ loads in the program without a
// message, and fits the main window's initial box: each bowl keeps the rules
// the bowl dialog keeps, inside the walls and clear of every other bowl.
#include <QDir>
#include <QWidget>
#include <QtTest>

#include "appstate.h"
#include "envengine.h"
#include "initialbox.h"
#include "main/documenthost.h"
#include "main/scenariodocument.h"
#include "placement.h"
#include "prompt.h"

using namespace vintrop;

namespace {
class Host : public IDocumentHost {
public:
    QWidget widget;
    QString title;
    QWidget* HostWidget() override { return &widget; }
    void ManualRefresh() override {}
    void RefreshCommands() override {}
    void SetSliderFromEngine() override {}
    void SetTitle(const QString& t) override { title = t; }
};
} // namespace

class TestExamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Prompt::StartScripting(); }
    void cleanupTestCase() { Prompt::StopScripting(); }

    void loadsAndFitsTheInitialBox_data() {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(VINTROP_EXAMPLES_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.vintrop")}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 6);
        for (const QString& f : files) QTest::newRow(qPrintable(f)) << dir.filePath(f);
    }

    void loadsAndFitsTheInitialBox() {
        QFETCH(QString, path);
        CEnvEng engine;
        ManualClock clock;
        engine.init(clock);
        engine.MaxX = kInitialBoxWidth;
        engine.MaxY = kInitialBoxHeight;
        g_pEnvEng = &engine;
        Host host;
        ScenarioDocument document(host);
        Prompt::ClearLog();
        QString given = path;
        document.LoadScenario(given);
        QCOMPARE(Prompt::ShownTexts(), QStringList());
        QCOMPARE(host.title, path + QStringLiteral(" - Vintrop"));
        QVERIFY(engine.BowlCount() >= 2);
        for (int i = 1; i <= engine.BowlCount(); ++i) {
            const CBowl& b = engine.GetBowl(i);
            const PlacementCheck place = CheckPlacement(engine, b.M(), b.x, b.y, i);
            QVERIFY2(place.broken == PlacementRule::None,
                     qPrintable(QStringLiteral("bowl %1 breaks rule %2 (other bowl %3)")
                                    .arg(i)
                                    .arg(static_cast<int>(place.broken))
                                    .arg(place.other)));
        }
        g_pEnvEng = nullptr;
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
