#pragma once
// File names as the file system has them. A name is bytes, usually UTF-8,
// but a folder made on an older system may hold Latin-1 bytes ("lezioni\xe8"):
// Qt decodes such a byte to U+FFFD, which encodes back to other bytes, so
// the file can no longer be opened. Here every byte that is not part of
// valid UTF-8 travels in the QString as one unpaired surrogate U+DC80 to
// U+DCFF, a character that no decoded name contains, and comes back as the
// same byte. Valid names give the same QString as QFile::decodeName, but for
// a leading byte order mark, which Qt drops and a name keeps.
#include <QByteArray>
#include <QString>

class QUrl;

namespace vintrop {

// The name as a QString from which PathBytes gives back exactly `bytes`.
QString PathFromBytes(const QByteArray& bytes);
// The bytes to hand to open(), stat() and the like.
QByteArray PathBytes(const QString& path);
// The name for a title or a message: each byte that is not UTF-8 shown as
// its Latin-1 character, the likeliest meaning of such a name.
QString ReadablePath(const QString& path);
// The path as the file system holds it, for a name the user typed as it
// was shown to them: a component that does not exist as typed but reads
// (by ReadablePath) exactly as one entry of its folder does becomes that
// entry, so "lezioni\u00e8" typed from a title reaches the folder whose name
// is the Latin-1 byte. Components that exist, or match no entry or several,
// stay as typed. A folder is searched only up to a bound of entries.
QString PathAsOnDisk(const QString& typed);
// A local file's URL as a dialog gives it: its percent-encoding keeps every
// byte of the name.
QString PathFromUrl(const QUrl& url);

} // namespace vintrop
