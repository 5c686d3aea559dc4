#include "filewriter.h"

#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <pthread.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pathbytes.h"

namespace vintrop {

namespace {
constexpr int kMaxLinkHops = 40;     // the kernel gives up after as many
constexpr int kMaxNameTries = 100;   // temporary names already taken in a row
constexpr int kMaxFolderEntries = 10000;   // looked at for stale temporary files, per save

void (*g_NewTemporaryHook)() = nullptr;

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
// ".<name>.vintrop.<random>" beside the file for good, so while one exists
// those of the three signals that would end the program (their action is
// the default) first remove it, then end the program as before. A signal
// the program ignores or handles itself is left alone. The handler may use
// only async-signal-safe calls: the name waits in a fixed buffer.
//
// Creating the file and noting its name are one step, renaming it and
// forgetting the name another: a signal in the middle would find a file
// without its name, or a name about to lead to the saved file. The saving
// thread holds the three signals back during a step, and a handler that
// another thread runs meanwhile only notes its signal, which the saving
// thread sends again once the step is over. g_State says which it is:
constexpr int kIdle = 0;     // no step under way: the handler ends the program
constexpr int kInStep = 1;   // a step under way
constexpr int kEnding = 2;   // the handler is ending the program: no step starts
// A negative state, -s: a step under way, and the signal s waits for its end.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
char g_Temporary[PATH_MAX];
std::atomic<bool> g_HasTemporary{false};
std::atomic<int> g_State{kIdle};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "read in a signal handler");

extern "C" void RemoveTemporaryAndEnd(int signal) {
    int state = g_State.load();
    for (;;) {
        if (state == kInStep) {
            if (g_State.compare_exchange_weak(state, -signal)) return;
        } else if (state < 0) {
            return;   // a signal already waits for the end of the step, and ends the program then
        } else if (state == kEnding || g_State.compare_exchange_weak(state, kEnding)) {
            break;
        }
    }
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
        remove.sa_flags = SA_RESTART;   // when it only notes the signal, the thread it ran in goes on
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

    // One step, while it lives: the three signals wait on this thread, and
    // a handler run by another thread leaves the signal to the end of it.
    class Hold {
    public:
        Hold() {
            sigset_t held;
            sigemptyset(&held);
            for (int signal : kEndingSignals) sigaddset(&held, signal);
            pthread_sigmask(SIG_BLOCK, &held, &m_Before);
            // Another thread's save in a step: its end is a moment away. A
            // handler already ending the program: no file is created that
            // it would not know to remove; the end is a moment away too.
            for (int idle = kIdle; !g_State.compare_exchange_weak(idle, kInStep); idle = kIdle) {
                const timespec pause{0, 1000000};
                ::nanosleep(&pause, nullptr);
            }
        }
        ~Hold() {
            const int state = g_State.exchange(kIdle);
            pthread_sigmask(SIG_SETMASK, &m_Before, nullptr);
            if (state < 0) ::kill(::getpid(), -state);   // now the handler finds the name it needs
        }
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

// ".<name>.vintrop.", the start of every temporary file's name beside
// `target`, folder included; up to 7 base-36 digits follow. The name is
// shortened so that the whole stays within the longest name a folder takes.
constexpr char kTemporaryMark[] = ".vintrop.";
constexpr qsizetype kMaxDigits = 7;   // a 32-bit number in base 36
QByteArray TemporaryPrefix(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    constexpr qsizetype kNameRoom = NAME_MAX - 1 - qsizetype(sizeof kTemporaryMark - 1) - kMaxDigits;
    return target.left(slash + 1) + '.' + target.mid(slash + 1).left(kNameRoom) + kTemporaryMark;
}

// Whether a name in the folder is exactly one CreateBeside makes: the
// prefix, then a 32-bit number as QByteArray::number writes it in base 36.
bool IsTemporaryName(const char* name, const QByteArray& prefix) {
    if (std::strncmp(name, prefix.constData(), size_t(prefix.size())) != 0) return false;
    const QByteArray digits(name + prefix.size());
    bool ok = false;
    const qulonglong number = digits.toULongLong(&ok, 36);
    return ok && number <= 0xffffffffu && QByteArray::number(number, 36) == digits;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }
bool IsOurs(const struct stat& s) { return S_ISREG(s.st_mode) && s.st_uid == ::geteuid(); }

// Every save locks its temporary file from its creation until its rename,
// so one that can be locked at once belongs to no save still running: a
// program ended by what no handler catches (SIGKILL, a crash, a power cut)
// left it. Removed only when it is a regular file of this user and still
// the file that was locked; a link is not followed.
void RemoveIfStale(int folder, const char* name) {
    struct stat named {};
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !IsOurs(named)) return;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::openat(folder, name, O_RDONLY | kFlags);
    // A file that already had the permission bits of one its owner may only write.
    if (fd < 0 && errno == EACCES) fd = ::openat(folder, name, O_WRONLY | kFlags);
    if (fd < 0) return;
    struct stat opened {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && IsOurs(named) && SameFile(opened, named))
        ::unlinkat(folder, name, 0);
    ::close(fd);
}

// The temporary files earlier saves of `target` left behind, among the
// first entries of its folder.
void RemoveStaleTemporaries(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    DIR* folder = ::opendir(slash < 0 ? "." : target.left(slash + 1).constData());
    if (!folder) return;
    const QByteArray prefix = TemporaryPrefix(target).mid(slash + 1);
    for (int seen = 0; seen < kMaxFolderEntries; ++seen) {
        const dirent* entry = ::readdir(folder);
        if (!entry) break;
        if (IsTemporaryName(entry->d_name, prefix)) RemoveIfStale(::dirfd(folder), entry->d_name);
    }
    ::closedir(folder);
}

// The lock that marks a temporary file as in use. False when another
// program holds it, or the name no longer leads to the file: a sweep in
// another program took it for a stale one in the instant before. A file
// system without locks lets the save go on, unlocked and never swept.
bool LockUnderItsName(int fd, const QByteArray& name) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 && SameFile(opened, named);
}

// A new empty file beside `target`, locked, private to its owner: no one
// else reads the content while it is written. -1 with errno set when the
// folder refuses it.
int CreateBeside(const QByteArray& target, QByteArray& name) {
    const QByteArray prefix = TemporaryPrefix(target);
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
        name = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return -1;
        if (fd < 0) continue;
        if (LockUnderItsName(fd, name)) return fd;
        ::close(fd);
        errno = EEXIST;
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

// Written in place, the old content is lost from the first byte on, so
// before it the disk sets the new length aside and the file-size limit is
// checked: neither a full disk nor the limit then stops the write half-way.
// 0 when the content may be written, or why not. Where the file system sets
// nothing aside, only a content that fits in blocks the file already has,
// within its length and with no hole, is written.
int ReserveInPlace(int fd, off_t length) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && rlim_t(length) > limit.rlim_cur)
        return EFBIG;
    if (length == 0) return 0;
#ifdef FALLOC_FL_KEEP_SIZE
    // Set aside past the end without moving it: the file reads as before.
    int result;
    while ((result = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length)) != 0 && errno == EINTR) {}
    if (result == 0) return 0;
    const int error = errno;
#else
    const int error = EOPNOTSUPP;
#endif
    if (error != EOPNOTSUPP && error != ENOSYS && error != EINVAL) return error;
    struct stat now {};
    if (::fstat(fd, &now) != 0) return errno;
    return length <= now.st_size && now.st_size <= off_t(now.st_blocks) * 512 ? 0 : error;
}

bool RewriteInPlace(const QByteArray& target, const QByteArray& bytes, const struct stat& old,
                    QString* why) {
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failed(why, "open", target, errno);
    if (const int error = ReserveInPlace(fd, off_t(bytes.size()))) {
        ::close(fd);
        return Failed(why, "reserve room for", target, error);
    }
    int error = 0;
    if (const char* step = FillAndClose(fd, bytes, Keep{&old}, error)) return Failed(why, step, target, error);
    return true;
}
} // namespace

void SetNewTemporaryHookForTest(void (*hook)()) { g_NewTemporaryHook = hook; }

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

    RemoveStaleTemporaries(target);
    TemporaryFileGuard guard;
    QByteArray temporary;
    int fd = -1;
    {
        const TemporaryFileGuard::Hold hold;
        fd = CreateBeside(target, temporary);
        if (fd >= 0 && g_NewTemporaryHook) g_NewTemporaryHook();
        if (fd >= 0) guard.Remember(temporary);
    }
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS))
            return RewriteInPlace(target, bytes, old, why);
        return Failed(why, "create", temporary, error);
    }

    // The lock lasts while any descriptor of the open file does: this copy
    // keeps it from the close after the sync until the rename.
    const int lock = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
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
    if (step) ::unlink(temporary.constData());
    if (lock >= 0) ::close(lock);
    if (step) return Failed(why, step, target, error);
    SyncFolder(target);
    return true;
}

} // namespace vintrop
