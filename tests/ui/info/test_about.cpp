// The about box: texts, the version history (every row, ending on the version
// shown), the System Info button where there is no registry, and what closes
// it.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "info/f_about.h"
#include "prompt.h"
#include "windowentries.h"

using namespace vintrop;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { Prompt::StartScripting(); }

    void loadsTitleAndVersion() {
        F_ABOUT about;
        QCOMPARE(about.windowTitle(), QString("About Vintrop"));
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("Version 2.2.0"));
        auto* holder = about.findChild<QLabel*>("lblDate");
        QVERIFY(holder->width() >= holder->sizeHint().width());   // not cut
        auto* ok = about.findChild<QPushButton*>("cmdOK");
        QVERIFY(ok->isDefault());
        QCOMPARE(about.focusWidget(), ok);
        auto* sysInfo = about.findChild<QPushButton*>("cmdSysInfo");
        QVERIFY(sysInfo->width() >= sysInfo->sizeHint().width());   // caption not cut
    }

    void versionHistoryEndsSelectedOnTheLatest() {
        F_ABOUT about;
        about.show();
        auto* list = about.findChild<QTreeWidget*>("lvw_Upgrades");
        // The latest version is the last row and the one shown as running.
        QTreeWidgetItem* last = list->topLevelItem(list->topLevelItemCount() - 1);
        QCOMPARE(last->text(0), about.findChild<QLabel*>("lblVersion")->text().section(' ', 1));
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{last});
        QCOMPARE(list->currentItem(), last);
        // Scrolled down so that the whole row is in view.
        const QRect row = list->visualItemRect(last);
        QVERIFY(list->verticalScrollBar()->value() > 0);
        QVERIFY(row.top() >= 0 && row.bottom() < list->viewport()->height());
    }

    // The rows come from the build's version history (which the AppStream
    // metadata publishes too): the five versions, in order, with their dates
    // and notes as written.
    void versionHistoryListsEveryVersionInOrder() {
        F_ABOUT about;
        auto* list = about.findChild<QTreeWidget*>("lvw_Upgrades");
        QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QList<QStringList> expected = {
            {"1.0.0", "20/11/2000", "Prima versione"},
            {"2.0.0", "23/11/2000", "Gestiti urti non centrali"},
            {"2.1.0", "25/11/2000", "Nuova interfaccia"},
            {"2.1.1", "06/12/2000", ""},
            {"2.2.0", "31/01/2001", "Opzioni visualizza vettori e/o numeri Bowl"},
        };
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(list->topLevelItemCount(), int(expected.size()));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            QCOMPARE((QStringList{item->text(0), item->text(1), item->text(2)}), expected[row]);
        }
    }

    void systemInfoIsUnavailableAndTheBoxStaysOpen() {
        F_ABOUT about;
        about.show();
        QTest::mouseClick(about.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(Prompt::ShownMessages().size(), std::size_t(1));
        const auto& shown = Prompt::ShownMessages().front();
        QCOMPARE(shown.text, QString("Le informazioni sul sistema non sono attualmente disponibili."));
        QCOMPARE(shown.icon, Prompt::Icon::None);
        QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(about.isVisible());
    }

    void accessKeyClicksAndFocusesSystemInfo() {
        F_ABOUT about;
        about.show();
        about.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        auto* sysInfo = about.findChild<QPushButton*>("cmdSysInfo");
        QCOMPARE(about.focusWidget(), about.findChild<QPushButton*>("cmdOK"));

        // Alt+S runs System Info and leaves the focus on its button...
        QTest::keyClick(&about, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(Prompt::ShownMessages().size(), std::size_t(1));
        QCOMPARE(about.focusWidget(), sysInfo);
        QVERIFY(about.isVisible());

        // ...so Enter runs it again instead of closing the box.
        QTest::keyClick(about.focusWidget(), Qt::Key_Return);
        QCOMPARE(Prompt::ShownMessages().size(), std::size_t(2));
        QVERIFY(about.isVisible());
    }

    void whatClosesTheBox_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("closes");
        QTest::newRow("OK clicked") << "cmdOK" << "click" << true;
        QTest::newRow("Esc on the list") << "lvw_Upgrades" << "esc" << true;
        QTest::newRow("Esc on System Info") << "cmdSysInfo" << "esc" << true;
        QTest::newRow("Enter on the list") << "lvw_Upgrades" << "enter" << true;
        QTest::newRow("Enter on OK") << "cmdOK" << "enter" << true;
        QTest::newRow("Enter on System Info") << "cmdSysInfo" << "enter" << false;
        QTest::newRow("picture clicked") << "Image1" << "click" << true;
        QTest::newRow("maker's name clicked") << "Label2" << "click" << true;
        QTest::newRow("top band clicked") << "Label3" << "click" << true;
        QTest::newRow("title clicked") << "lblTitle" << "click" << false;
        QTest::newRow("icon clicked") << "picIcon" << "click" << false;
    }
    void whatClosesTheBox() {
        QFETCH(QString, target);
        QFETCH(QString, action);
        QFETCH(bool, closes);
        F_ABOUT about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QWidget* widget = about.findChild<QWidget*>(target);
        QVERIFY(widget);
        if (action == "click") {
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3));
        } else {
            about.activateWindow();
            widget->setFocus();
            QTest::keyClick(widget, action == "esc" ? Qt::Key_Escape : Qt::Key_Return);
        }
        QCOMPARE(!about.isVisible(), closes);
    }

    void showAboutIsModalWithoutOwner() {
        QString title;
        QWidget* parent = reinterpret_cast<QWidget*>(1);
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            title = modal->windowTitle();
            parent = modal->parentWidget();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        ShowAbout();
        QCOMPARE(title, QString("About Vintrop"));
        QVERIFY(!parent);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
