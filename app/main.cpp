// Vintrop: the program starts into its main window, which owns everything else.
#include <QApplication>
#include <QIcon>

#include "guardedapplication.h"
#include "main/f_main.h"
#include "main/scenariodocument.h"
#include "programicon.h"
#include "version.h"

int main(int argc, char* argv[]) {
    vintrop::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(vintrop::version::Title);
    QApplication::setApplicationVersion(vintrop::version::Number);
    QApplication::setWindowIcon(QIcon(vintrop::kProgramIcon));
    QGuiApplication::setDesktopFileName(vintrop::version::DesktopFileName);

    // The main window shows the splash first, then itself; its closing ends
    // the program even while a modeless window (the explanation) is open.
    // The path from argv's bytes, which no longer hold the options Qt took:
    // QApplication::arguments() decodes them, and a name that is not UTF-8
    // would not come back.
    const QList<QByteArray> arguments(argv, argv + argc);
    vintrop::F_MAIN window(vintrop::CommandLinePath(arguments), true);
    QObject::connect(&window, &vintrop::F_MAIN::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
