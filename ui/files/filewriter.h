#pragma once
// Every file the program saves goes through here. The new content is written
// to a temporary file in the same folder, readable by its owner only until
// it is complete, forced to disk and only then renamed over the old file,
// which keeps its permission bits and, where the system allows it, its owner
// and group; a new file gets 0666 less the umask. A symbolic link stays a
// link: the file it points to is the one replaced. Refused, with the old
// file untouched: a file the user may not write (even in a folder the user
// may write), and anything that is not a regular file (a device, a FIFO, a
// socket, a folder), also behind a link. A signal that ends the program
// during the save (SIGTERM, SIGINT, SIGHUP), whichever thread it reaches,
// leaves no temporary file behind; what no program can catch (SIGKILL, a
// power cut) may, and the next save of the same file removes it.
// The path may hold bytes that are not UTF-8 (see pathbytes.h).
#include <QByteArray>
#include <QString>

namespace vintrop {

// Makes `bytes` the whole content of the file at `path`. False when any step
// failed, with the reason for the log in `why`; the old file is then left as
// it was. When the folder refuses new files but the file itself may be
// written, it is rewritten in place: the disk first sets the new length
// aside, and a content that a full disk or the file-size limit would cut
// short is refused before a byte is written. Only a failing disk, or the
// program ended in the middle of that write, can then leave the file
// damaged (on a file system that writes every change to new blocks, such as
// btrfs, a full disk too).
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* why = nullptr);

// Called, when set, by every save at the moment its temporary file exists
// but its name is not yet noted: the tests send a signal from there.
void SetNewTemporaryHookForTest(void (*hook)());

} // namespace vintrop
