#include "filewriter.h"

#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pathbytes.h"

namespace vintrop {

namespace {
constexpr int kMaxLinkHops = 40;     // the kernel gives up after as many
constexpr int kMaxNameTries = 100;   // temporary names already taken in a row

bool Failed(QString* why, const char* step, const QByteArray& file, const QString& reason) {
    if (why) *why = QStringLiteral("%1 %2: %3").arg(QLatin1String(step), ReadablePath(PathFromBytes(file)), reason);
    return false;
}
bool Failed(QString* why, const char* step, const QByteArray& file, int error) {
    return Failed(why, step, file, QString::fromLocal8Bit(std::strerror(error)));
}

// A write past the file-size limit raises SIGXFSZ, which by default ends the
// program; ignored, the write fails with EFBIG like any other failed write.
void IgnoreFileSizeSignal() {
    struct sigaction current {};
    if (sigaction(SIGXFSZ, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
        current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// A temporary file must not outlive the program. SIGTERM, SIGINT or SIGHUP
// between its creation and the rename would end the process and leave
// ".<name>.<random>" beside the file for good, so while one exists those of
// the three signals that would end the program (their action is the
// default) first remove it, then end the program as before. A signal the
// program ignores or handles itself is left alone. The handler may use only
// async-signal-safe calls: the name waits in a fixed buffer.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
char g_Temporary[PATH_MAX];
std::atomic<bool> g_HasTemporary{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (g_HasTemporary.load(std::memory_order_acquire)) ::unlink(g_Temporary);
    // Delivered again once the handler returns, with the default action.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

class TemporaryFileGuard {
public:
    TemporaryFileGuard() {
        struct sigaction remove {};
        remove.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&remove.sa_mask);
        for (int k = 0; k < kSignals; ++k) {
            m_Installed[k] = sigaction(kEndingSignals[k], nullptr, &m_Old[k]) == 0 &&
                             !(m_Old[k].sa_flags & SA_SIGINFO) && m_Old[k].sa_handler == SIG_DFL &&
                             sigaction(kEndingSignals[k], &remove, nullptr) == 0;
        }
    }
    ~TemporaryFileGuard() {
        Forget();
        for (int k = 0; k < kSignals; ++k)
            if (m_Installed[k]) sigaction(kEndingSignals[k], &m_Old[k], nullptr);
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

    void Remember(const QByteArray& name) {
        if (name.size() >= qsizetype(sizeof g_Temporary)) return;   // open() refuses such a name anyway
        std::memcpy(g_Temporary, name.constData(), size_t(name.size()) + 1);
        g_HasTemporary.store(true, std::memory_order_release);
    }
    void Forget() { g_HasTemporary.store(false, std::memory_order_release); }

    // Keeps the three signals waiting on this thread while it lives, so that
    // creating or renaming the file and remembering or forgetting its name
    // happen as one step.
    class Hold {
    public:
        Hold() {
            sigset_t held;
            sigemptyset(&held);
            for (int signal : kEndingSignals) sigaddset(&held, signal);
            pthread_sigmask(SIG_BLOCK, &held, &m_Before);
        }
        ~Hold() { pthread_sigmask(SIG_SETMASK, &m_Before, nullptr); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        sigset_t m_Before;
    };

private:
    static constexpr int kSignals = int(std::size(kEndingSignals));
    struct sigaction m_Old[kSignals] {};
    bool m_Installed[kSignals] {};
};

// The process's umask, read without changing it (Linux shows it in
// /proc/self/status); elsewhere set and set back at once.
mode_t CurrentUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found) return mode_t(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
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

// What the finished file gets: the old file's owner, group and permission
// bits, or for a new file the usual 0666 less the umask.
struct Keep {
    const struct stat* old;   // nullptr for a new file
};

// Set after the content, since writing clears the set-user-ID bit, and the
// owner before the bits, since changing it clears that bit too. Either call
// may be refused (another user's file, a file system without Unix
// permissions): the file is saved all the same.
void GiveOwnerAndMode(int fd, Keep keep) {
    if (!keep.old) {
        (void)::fchmod(fd, 0666 & ~CurrentUmask());
        return;
    }
    if (::fchown(fd, keep.old->st_uid, keep.old->st_gid) != 0) {
        // Another user's file: it becomes this user's, as a copy would.
    }
    (void)::fchmod(fd, keep.old->st_mode & 07777);
}

// Writes the content from the start of the open file, cuts the file to its
// length, gives it what `keep` says, forces it to disk and closes it. The
// failed step, or nullptr.
const char* FillAndClose(int fd, const QByteArray& bytes, Keep keep, int& error) {
    const char* step = nullptr;
    if (!WriteAll(fd, bytes)) {
        step = "write";
    } else if (::ftruncate(fd, off_t(bytes.size())) != 0) {
        step = "truncate";
    } else {
        GiveOwnerAndMode(fd, keep);
        if (::fsync(fd) != 0) step = "sync";
    }
    error = errno;
    if (::close(fd) != 0 && !step) {
        step = "close";
        error = errno;
    }
    return step;
}

// A new empty file beside `target`, private to its owner: no one else reads
// the content while it is written. -1 with errno set when the folder
// refuses it.
int CreateBeside(const QByteArray& target, QByteArray& name) {
    const qsizetype slash = target.lastIndexOf('/');
    // ".<name>.<up to 7 base-36 digits>", the name shortened so that the
    // whole stays within the longest name a folder takes.
    constexpr qsizetype kNameRoom = NAME_MAX - 2 - 7;
    const QByteArray prefix = target.left(slash + 1) + '.' + target.mid(slash + 1).left(kNameRoom) + '.';
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        name = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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
    if (const char* step = FillAndClose(fd, bytes, Keep{&old}, error)) return Failed(why, step, target, error);
    return true;
}
} // namespace

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* why) {
    IgnoreFileSizeSignal();
    QByteArray target = PathBytes(path);
    if (target.isEmpty()) return Failed(why, "open", target, ENOENT);
    if (!FollowLinks(target)) return Failed(why, "open", target, errno);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    // Only a regular file is replaced: a device or a FIFO stays what it is.
    if (exists && !S_ISREG(old.st_mode)) return Failed(why, "open", target, QStringLiteral("not a regular file"));
    // A file the user may not write is not replaced behind its back, even
    // where the folder would allow it.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return Failed(why, "open", target, errno);

    TemporaryFileGuard guard;
    QByteArray temporary;
    int fd = -1;
    {
        const TemporaryFileGuard::Hold hold;
        fd = CreateBeside(target, temporary);
        if (fd >= 0) guard.Remember(temporary);
    }
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS))
            return RewriteInPlace(target, bytes, old, why);
        return Failed(why, "create", temporary, error);
    }

    int error = 0;
    const char* step = FillAndClose(fd, bytes, Keep{exists ? &old : nullptr}, error);
    if (!step) {
        const TemporaryFileGuard::Hold hold;
        if (::rename(temporary.constData(), target.constData()) == 0) {
            guard.Forget();
        } else {
            step = "rename";
            error = errno;
        }
    }
    if (step) {
        ::unlink(temporary.constData());
        return Failed(why, step, target, error);
    }
    SyncFolder(target);
    return true;
}

} // namespace vintrop
