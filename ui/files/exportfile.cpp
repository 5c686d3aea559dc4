#include "exportfile.h"

#include <QDir>

#include "prompt.h"

namespace vintrop {

void ExportFile(QWidget* parent, const QString& fileName, const ExportWriter& write, const QString& filter,
                const QString& suffix) {
    const QString path = Prompt::ExportFileName(parent, QDir::home().filePath(fileName), filter, suffix);
    if (path.isEmpty()) return;
    QString why;
    if (!write(path, &why)) {
        qWarning("%s", qPrintable(why));
        Prompt::Message(parent, QStringLiteral("Errore scrittura File"), Prompt::Icon::Exclamation);
    }
}

} // namespace vintrop
