#pragma once
// Every file the program saves goes through here. The new content is written
// to a temporary file in the same folder, forced to disk and only then
// renamed over the old file, which keeps its permission bits and, where the
// system allows it, its owner and group. A symbolic link stays a link: the
// file it points to is the one replaced.
#include <QByteArray>
#include <QString>

namespace vintrop {

// Makes `bytes` the whole content of the file at `path`. False when any step
// failed, with the reason for the log in `why`; the old file is then left as
// it was. One exception: when the folder refuses new files but the file
// itself may be written, it is rewritten in place, and a failure there can
// leave it damaged.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* why = nullptr);

} // namespace vintrop
