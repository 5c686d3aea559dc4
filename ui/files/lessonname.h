#pragma once
// The file types the lesson dialogs offer, and the name a lesson is saved
// under when the user typed it without a suffix.
#include <QString>

namespace vintrop {

// The dialogs' file types, in the order they offer them: lessons first.
QString LessonsFilter();    // "Vintrop lessons (*.vintrop)"
QString AllFilesFilter();   // "All files (*)"

// `typed` as a save dialog gave it back, with ".vintrop" added when
// `filter` is the lessons filter and the file name has no suffix (a name
// ending in a dot gets only "vintrop"). A suffix is what follows the file
// name's last dot when that dot is neither its first character (".vintrop"
// is a hidden file without one) nor its last; dots in the folders do not
// count. Any other name, and any name under another filter, is kept.
QString LessonFileName(const QString& typed, const QString& filter);

} // namespace vintrop
