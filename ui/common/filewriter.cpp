#include "filewriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vintrop {

namespace {
constexpr int kMaxLinkHops = 40;     // the kernel gives up after as many
constexpr int kMaxNameTries = 100;   // temporary names already taken in a row

bool Failed(QString* why, const char* step, const QByteArray& file, int error) {
    if (why)
        *why = QStringLiteral("%1 %2: %3")
                   .arg(QLatin1String(step), QFile::decodeName(file),
                        QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

// A write past the file-size limit raises SIGXFSZ, which by default ends the
// program; ignored, the write fails with EFBIG like any other failed write.
void IgnoreFileSizeSignal() {
    struct sigaction current {};
    if (sigaction(SIGXFSZ, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
        current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// The path with every symbolic link followed; a link to a file that does not
// exist yet gives that file's path. False (errno set) on a loop of links.
bool FollowLinks(QByteArray& path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0 || length == ssize_t(sizeof target)) return true;   // not a link
        QByteArray next(target, length);
        if (!next.startsWith('/')) next.prepend(path.left(path.lastIndexOf('/') + 1));
        path = next;
    }
    errno = ELOOP;
    return false;
}

// Every byte of `bytes`: a short write (the disk filling up, the file-size
// limit reached) is followed by another, which then fails with ENOSPC or
// EFBIG. A call that writes nothing at all counts as a full disk.
bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        data += written;
        left -= size_t(written);
    }
    return true;
}

// The old file's owner, group and permission bits. Set after the content,
// since writing clears the set-user-ID bit, and the owner before the bits,
// since changing it clears that bit too. Either call may be refused (another
// user's file, a file system without Unix permissions): the file is saved
// all the same.
void KeepOwnerAndMode(int fd, const struct stat& old) {
    (void)::fchown(fd, old.st_uid, old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777);
}

// Writes the content from the start of the open file, cuts the file to its
// length, gives it what `keep` says (when there is an old file), forces it to
// disk and closes it. The failed step, or nullptr.
const char* FillAndClose(int fd, const QByteArray& bytes, const struct stat* keep, int& error) {
    const char* step = nullptr;
    if (!WriteAll(fd, bytes)) {
        step = "write";
    } else if (::ftruncate(fd, off_t(bytes.size())) != 0) {
        step = "truncate";
    } else {
        if (keep) KeepOwnerAndMode(fd, *keep);
        if (::fsync(fd) != 0) step = "sync";
    }
    error = errno;
    if (::close(fd) != 0 && !step) {
        step = "close";
        error = errno;
    }
    return step;
}

// A new empty file beside `target` with the permission bits `mode` less the
// umask. -1 with errno set when the folder refuses it.
int CreateBeside(const QByteArray& target, mode_t mode, QByteArray& name) {
    const qsizetype slash = target.lastIndexOf('/');
    // ".<name>.<up to 7 base-36 digits>", the name shortened so that the
    // whole stays within the longest name a folder takes.
    constexpr qsizetype kNameRoom = NAME_MAX - 2 - 7;
    const QByteArray prefix = target.left(slash + 1) + '.' + target.mid(slash + 1).left(kNameRoom) + '.';
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        name = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// After the rename, so the new name itself survives a power cut.
void SyncFolder(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(slash + 1);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool RewriteInPlace(const QByteArray& target, const QByteArray& bytes, const struct stat& old,
                    QString* why) {
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failed(why, "open", target, errno);
    int error = 0;
    if (const char* step = FillAndClose(fd, bytes, &old, error)) return Failed(why, step, target, error);
    return true;
}
} // namespace

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    IgnoreFileSizeSignal();
    QByteArray target = QFile::encodeName(path);
    if (target.isEmpty()) return Failed(why, "open", target, ENOENT);
    if (!FollowLinks(target)) return Failed(why, "open", target, errno);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;

    // A new file gets the usual 0666 less the umask; a replacement stays
    // private until it has the old file's bits.
    QByteArray temporary;
    const int fd = CreateBeside(target, exists ? 0600 : 0666, temporary);
    if (fd < 0) {
        const int error = errno;
        if (exists && S_ISREG(old.st_mode) && (error == EACCES || error == EPERM || error == EROFS))
            return RewriteInPlace(target, bytes, old, why);
        return Failed(why, "create", temporary, error);
    }

    int error = 0;
    const char* step = FillAndClose(fd, bytes, exists ? &old : nullptr, error);
    if (!step && ::rename(temporary.constData(), target.constData()) != 0) {
        step = "rename";
        error = errno;
    }
    if (step) {
        ::unlink(temporary.constData());
        return Failed(why, step, target, error);
    }
    SyncFolder(target);
    return true;
}

} // namespace vintrop
