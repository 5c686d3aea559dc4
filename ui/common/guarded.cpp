#include "guarded.h"

#include <QApplication>
#include <QScopedValueRollback>

#include "errortext.h"
#include "prompt.h"

namespace vintrop {

namespace {
bool g_Showing = false;   // an error message is on screen

void Show(QWidget* over, const std::exception_ptr& error) noexcept {
    QString text;
    try {
        text = UserTextOf(error);
        if (g_Showing) {
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
        Show(over, error);
        return;
    }
    try {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [window = QPointer<QWidget>(over), error] { Show(window, error); },
            Qt::QueuedConnection);
    } catch (...) {
        qWarning("an error could not be reported");
    }
}

} // namespace vintrop
