#include "lessonname.h"

namespace vintrop {

QString LessonsFilter() { return QStringLiteral("Vintrop lessons (*.vintrop)"); }
QString AllFilesFilter() { return QStringLiteral("All files (*)"); }

QString LessonFileName(const QString& typed, const QString& filter) {
    if (filter != LessonsFilter()) return typed;
    const qsizetype start = typed.lastIndexOf(QLatin1Char('/')) + 1;
    const QStringView file = QStringView(typed).mid(start);
    // No file name at all: a folder, which saving refuses as it stands.
    if (file.isEmpty() || file == u"." || file == u"..") return typed;
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < file.size() - 1) return typed;
    return typed + (dot == file.size() - 1 ? QStringLiteral("vintrop") : QStringLiteral(".vintrop"));
}

} // namespace vintrop
