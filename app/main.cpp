// Vintrop: the program starts into its main window, which owns everything else.
#include <QApplication>
#include <QIcon>
#include <memory>

#include "guarded.h"
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
    // would not come back. A start-up that fails is told as any error is,
    // and ends the program.
    const QList<QByteArray> arguments(argv, argv + argc);
    std::unique_ptr<vintrop::F_MAIN> window;
    if (!vintrop::Guarded(nullptr, [&] {
            window = std::make_unique<vintrop::F_MAIN>(vintrop::CommandLinePath(arguments), true);
        }))
        return 1;
    QObject::connect(window.get(), &vintrop::F_MAIN::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
