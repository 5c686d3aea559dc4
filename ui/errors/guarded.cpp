#include "guarded.h"

#include <QApplication>
#include <QScopedValueRollback>

#include "errortext.h"
#include "prompt.h"

namespace vintrop {

namespace {
bool g_Showing = false;   // an error message is on screen
bool g_Queued = false;    // an error message is waiting for the event loop

void Show(QWidget* over, const std::exception_ptr& error, bool logOnly) noexcept {
    QString text;
    try {
        text = UserTextOf(error);
        if (logOnly) {
            qWarning("%s", qPrintable(text));
            return;
        }
        const QScopedValueRollback<bool> showing(g_Showing, true);
        if (!over) over = QApplication::activeModalWidget();
        if (!over) over = QApplication::activeWindow();
        Prompt::Error(over, text);
    } catch (...) {
        // Not even the message could be shown (no memory left for it).
        qWarning("%s", text.isEmpty() ? "an error could not be reported" : qPrintable(text));
    }
}
} // namespace

void ReportError(QWidget* over, std::exception_ptr error, Report when) noexcept {
    if (when == Report::Now) {
        Show(over, error, g_Showing);
        return;
    }
    // A window that fails each time it is painted may be painted several
    // times before the event loop comes round to its message: one for all.
    if (!g_Queued) {
        try {
            g_Queued = QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [window = QPointer<QWidget>(over), error] {
                    g_Queued = false;
                    Show(window, error, g_Showing);
                },
                Qt::QueuedConnection);
        } catch (...) {
        }
        if (g_Queued) return;
    }
    Show(over, error, true);
}

} // namespace vintrop
