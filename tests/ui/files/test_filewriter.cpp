// The writer behind every save: a failed write leaves the old file as it was
// and nothing beside it; a replaced file keeps its permissions, its owner and
// the links that lead to it; a folder that refuses new files still lets a
// writable file be saved, in place. A file the user may not write and what
// is not a regular file are refused; the content is never readable by
// others while it is written; a signal that ends the program mid-save
// leaves only the old file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

#include "filewriter.h"
#include "../common/forkedchild.h"

using namespace vintrop;
using namespace vintrop::testing;

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}
bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
// Everything in a folder, hidden files included.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}
struct stat StatOf(const QString& path) {
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0) qWarning("cannot stat %s", qPrintable(path));
    return s;
}
// What a symbolic link says, or "" for anything else.
QString LinkText(const QString& path) {
    char text[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(text, length));
}
mode_t ModeOf(const QString& path) { return StatOf(path).st_mode & 07777; }
bool SetMode(const QString& path, mode_t mode) { return ::chmod(QFile::encodeName(path).constData(), mode) == 0; }

// Numbered lines, so a file cut short or mixed with another shows.
QByteArray Lines(int count, const char* tag) {
    QByteArray out;
    for (int i = 0; i < count; ++i) out += tag + QByteArray::number(i) + "\r\n";
    return out;
}

// The exit codes of the children below.
constexpr int kAsExpected = 0;
constexpr int kCannotGiveUpRoot = 77;
constexpr int kStillMayWriteTheFolder = 78;

// A file or folder the child below, user 65534 when the test runs as root,
// may write.
bool GiveToTheChild(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    return ::chmod(name.constData(), 0755) == 0 && (geteuid() != 0 || ::chown(name.constData(), kNobody, kNobody) == 0);
}

// A point in the middle of a save: a write past the file-size limit raises
// SIGXFSZ, whose handler here notes the permission bits of the hidden files
// in the folder (the temporary file) and, if asked, raises another signal.
char g_Folder[4096];
int g_SignalToRaise = 0;
mode_t g_TemporaryModes = 0;
int g_TemporaryFiles = 0;
extern "C" void InTheMiddleOfTheWrite(int) {
    if (DIR* dir = ::opendir(g_Folder)) {
        while (const dirent* entry = ::readdir(dir)) {
            struct stat s {};
            if (entry->d_name[0] == '.' && std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, "..") &&
                ::fstatat(dirfd(dir), entry->d_name, &s, AT_SYMLINK_NOFOLLOW) == 0) {
                g_TemporaryModes |= s.st_mode & 07777;
                ++g_TemporaryFiles;
            }
        }
        ::closedir(dir);
    }
    if (g_SignalToRaise) ::raise(g_SignalToRaise);
}
bool StopInTheMiddleOfTheWrite(const QString& folder, rlim_t limit) {
    std::strncpy(g_Folder, QFile::encodeName(folder).constData(), sizeof g_Folder - 1);
    return std::signal(SIGXFSZ, InTheMiddleOfTheWrite) != SIG_ERR && LimitFileSize(limit);
}

// Gives a folder back its write permission when the test ends, however it ends.
struct WritableAgain {
    QString folder;
    ~WritableAgain() { SetMode(folder, 0755); }
};
} // namespace

class TestFileWriter : public QObject {
    Q_OBJECT
private slots:
    void init();

    void replacesTheWholeContent_data();
    void replacesTheWholeContent();
    void longestNameIsWrittenAndReplaced();
    void newFileGetsTheUsualPermissions_data();
    void newFileGetsTheUsualPermissions();
    void keepsPermissionBits_data();
    void keepsPermissionBits();
    void keepsOwnerAndGroupAsRoot();
    void writesThroughSymbolicLinks_data();
    void writesThroughSymbolicLinks();
    void fileSizeLimitLeavesTheOldFile();
    void fullDiskLeavesTheOldFile_data();
    void fullDiskLeavesTheOldFile();
    void folderRefusingNewFilesIsWrittenInPlace_data();
    void folderRefusingNewFilesIsWrittenInPlace();
    void unwritableFileInARefusingFolderFailsCleanly();
    void fileTheUserMayNotWriteIsNotReplaced_data();
    void fileTheUserMayNotWriteIsNotReplaced();
    void whatIsNotARegularFileIsRefused_data();
    void whatIsNotARegularFileIsRefused();
    void cutShortMidWrite_data();
    void cutShortMidWrite();
    void signalToAnotherThreadAsTheTemporaryIsMade();
    void staleTemporariesAreRemoved_data();
    void staleTemporariesAreRemoved();

private:
    QString Path(const QString& name) const { return m_Dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_Dir;
};

void TestFileWriter::init() {
    m_Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_Dir->isValid());
}

void TestFileWriter::replacesTheWholeContent_data() {
    QTest::addColumn<QByteArray>("old");   // empty: no old file
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("new file") << QByteArray() << Lines(5, "new ");
    QTest::newRow("longer old file") << Lines(500, "old ") << Lines(5, "new ");
    QTest::newRow("shorter old file") << Lines(2, "old ") << Lines(500, "new ");
    QTest::newRow("empty content") << Lines(20, "old ") << QByteArray();
}

void TestFileWriter::replacesTheWholeContent() {
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, content);
    if (!old.isEmpty()) QVERIFY(WriteAll(Path("a.txt"), old));
    QString why;
    QVERIFY(WriteWholeFile(Path("a.txt"), content, &why));
    QCOMPARE(ReadAll(Path("a.txt")), content);
    QCOMPARE(QFileInfo(Path("a.txt")).size(), qint64(content.size()));
    QCOMPARE(Entries(m_Dir->path()), QStringList{"a.txt"});
}

void TestFileWriter::longestNameIsWrittenAndReplaced() {
    // A name of 255 bytes, the longest a folder takes: the temporary file
    // beside it needs a name of its own that fits too.
    const QString name(255, QLatin1Char('n'));
    QString why;
    QVERIFY2(WriteWholeFile(Path(name), Lines(3, "first "), &why), qPrintable(why));
    QVERIFY2(WriteWholeFile(Path(name), Lines(4, "second "), &why), qPrintable(why));
    QCOMPARE(ReadAll(Path(name)), Lines(4, "second "));
    QCOMPARE(Entries(m_Dir->path()), QStringList{name});
}

void TestFileWriter::newFileGetsTheUsualPermissions_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("mode");
    QTest::newRow("umask 022") << 022 << 0644;
    QTest::newRow("umask 077") << 077 << 0600;
    QTest::newRow("umask 002") << 002 << 0664;
}

void TestFileWriter::newFileGetsTheUsualPermissions() {
    QFETCH(int, mask);
    QFETCH(int, mode);
    const mode_t before = ::umask(mode_t(mask));
    const bool written = WriteWholeFile(Path("new.txt"), "x\r\n");
    ::umask(before);
    QVERIFY(written);
    QCOMPARE(int(ModeOf(Path("new.txt"))), mode);
}

void TestFileWriter::keepsPermissionBits_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("others may read") << 0644;
    QTest::newRow("owner only") << 0600;
    QTest::newRow("group may read") << 0640;
    QTest::newRow("executable") << 0755;
    QTest::newRow("set-user-ID") << 04755;
    QTest::newRow("everyone may write") << 0666;
}

void TestFileWriter::keepsPermissionBits() {
    QFETCH(int, mode);
    const QString path = Path("kept.txt");
    QVERIFY(WriteAll(path, Lines(3, "old ")));
    QVERIFY(SetMode(path, mode_t(mode)));
    const mode_t mask = ::umask(022);   // a new file would get 0644
    const bool written = WriteWholeFile(path, Lines(4, "new "));
    ::umask(mask);
    QVERIFY(written);
    QCOMPARE(ReadAll(path), Lines(4, "new "));
    QCOMPARE(int(ModeOf(path)), mode);
}

void TestFileWriter::keepsOwnerAndGroupAsRoot() {
    if (geteuid() != 0) QSKIP("only root may give a file to another user");
    const QString path = Path("theirs.txt");
    QVERIFY(WriteAll(path, Lines(3, "old ")));
    QCOMPARE(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
    QVERIFY(SetMode(path, 0640));
    QVERIFY(WriteWholeFile(path, Lines(4, "new ")));
    QCOMPARE(ReadAll(path), Lines(4, "new "));
    const struct stat s = StatOf(path);
    QCOMPARE(s.st_uid, kNobody);
    QCOMPARE(s.st_gid, gid_t(kNobody));
    QCOMPARE(int(s.st_mode & 07777), 0640);
}

void TestFileWriter::writesThroughSymbolicLinks_data() {
    QTest::addColumn<QStringList>("links");   // each link points to the next name; the last is the file
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("relative link") << QStringList{"current.txt", "v1.txt"} << true;
    QTest::newRow("absolute link") << QStringList{"current.txt", "<dir>/v1.txt"} << true;
    QTest::newRow("link into a subfolder") << QStringList{"current.txt", "sub/v1.txt"} << true;
    QTest::newRow("chain of links") << QStringList{"current.txt", "middle.txt", "sub/v1.txt"} << true;
    QTest::newRow("link to a file not there yet") << QStringList{"current.txt", "sub/v1.txt"} << false;
}

void TestFileWriter::writesThroughSymbolicLinks() {
    QFETCH(QStringList, links);
    QFETCH(bool, fileExists);
    QVERIFY(QDir(m_Dir->path()).mkdir("sub"));
    for (QString& name : links) name.replace("<dir>", m_Dir->path());
    const QString file = QDir(m_Dir->path()).absoluteFilePath(links.last());
    const bool inSub = file.startsWith(Path("sub/"));
    if (fileExists) QVERIFY(WriteAll(file, Lines(300, "old ")));
    for (int i = 0; i + 1 < links.size(); ++i)
        QCOMPARE(::symlink(QFile::encodeName(links[i + 1]).constData(), QFile::encodeName(Path(links[i])).constData()), 0);
    const QStringList before = Entries(m_Dir->path());

    QVERIFY(WriteWholeFile(Path(links.first()), Lines(3, "new ")));
    for (int i = 0; i + 1 < links.size(); ++i) QCOMPARE(LinkText(Path(links[i])), links[i + 1]);
    QVERIFY(!QFileInfo(file).isSymLink());
    QCOMPARE(ReadAll(file), Lines(3, "new "));
    QCOMPARE(Entries(m_Dir->path()), before);
    QCOMPARE(Entries(Path("sub")), inSub ? QStringList{"v1.txt"} : QStringList{});
}

void TestFileWriter::fileSizeLimitLeavesTheOldFile() {
    const QString path = Path("big.txt");
    const QByteArray old = Lines(10, "old ");
    QVERIFY(WriteAll(path, old));
    // The signal as a program starts with it: by default SIGXFSZ ends the
    // process at the first write past the limit.
    const int result = RunForked([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (!LimitFileSize(1000)) return 2;
        QString why;
        if (WriteWholeFile(path, Lines(2000, "new "), &why)) return 3;
        return why.isEmpty() ? 4 : kAsExpected;
    });
    QCOMPARE(result, kAsExpected);   // 128 + 25: ended by SIGXFSZ; 3: claimed success
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(Entries(m_Dir->path()), QStringList{"big.txt"});
}

void TestFileWriter::fullDiskLeavesTheOldFile_data() {
    QTest::addColumn<bool>("inPlace");   // the folder refuses new files: the file itself is rewritten
    QTest::newRow("replaced") << false;
    QTest::newRow("rewritten in place") << true;
}

void TestFileWriter::fullDiskLeavesTheOldFile() {
    // A 64 KiB file system: the old file, a filler leaving 8 KiB, then a new
    // content of 32 KiB, which fills the disk half-way through its writing.
    QFETCH(bool, inPlace);
    QVERIFY(SetMode(m_Dir->path(), 0755) && QDir(m_Dir->path()).mkdir("disk"));
    const QString disk = Path("disk");
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here: ") + std::strerror(errno)));
    struct Unmount {
        QByteArray point;
        ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(disk)};

    const QString path = disk + "/a.txt";
    const QByteArray old = Lines(400, "old ");
    QVERIFY(WriteAll(path, old));
    const int filler = ::open(QFile::encodeName(disk + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(filler >= 0);
    const QByteArray block(4096, 'f');
    off_t filled = 0;
    for (ssize_t n; (n = ::write(filler, block.constData(), block.size())) > 0;) filled += n;
    QVERIFY(filled > 8192);
    QCOMPARE(::ftruncate(filler, filled - 8192), 0);
    ::close(filler);

    QVERIFY(!inPlace || (SetMode(path, 0666) && SetMode(disk, 0555)));
    QString why;
    const int result = RunForked([&] {
        if (inPlace && !GiveUpRoot()) return kCannotGiveUpRoot;
        return WriteWholeFile(path, QByteArray(32768, 'n'), &why) ? 3 : why.isEmpty() ? 4 : kAsExpected;
    });
    QCOMPARE(result, kAsExpected);   // 3: claimed success
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(Entries(disk), QStringList({"a.txt", "filler"}));
}

void TestFileWriter::folderRefusingNewFilesIsWrittenInPlace_data() {
    QTest::addColumn<int>("sizeLimit");   // 0: none
    QTest::newRow("content fits") << 0;
    QTest::newRow("content beyond the file-size limit") << 1000;
}

void TestFileWriter::folderRefusingNewFilesIsWrittenInPlace() {
    QFETCH(int, sizeLimit);
    // A file anyone may write, in a folder no one but root may add to.
    QVERIFY(SetMode(m_Dir->path(), 0755));
    QVERIFY(QDir(m_Dir->path()).mkdir("locked"));
    const QString folder = Path("locked");
    const QString path = folder + "/notes.txt";
    QVERIFY(WriteAll(path, Lines(300, "old ")));
    QVERIFY(SetMode(path, 0666));
    QVERIFY(SetMode(folder, 0555));
    WritableAgain unlock{folder};
    const ino_t inode = StatOf(path).st_ino;
    const QByteArray content = sizeLimit ? Lines(2000, "new ") : Lines(5, "new ");

    const int result = RunForked([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (!GiveUpRoot()) return kCannotGiveUpRoot;
        if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) return kStillMayWriteTheFolder;
        if (sizeLimit && !LimitFileSize(rlim_t(sizeLimit))) return 2;
        QString why;
        const bool written = WriteWholeFile(path, content, &why);
        if (sizeLimit) return written ? 3 : why.isEmpty() ? 4 : kAsExpected;
        return written ? kAsExpected : 5;
    });
    if (result == kCannotGiveUpRoot) QSKIP("cannot switch to user 65534 here");
    if (result == kStillMayWriteTheFolder) QSKIP("this user may write any folder");
    QCOMPARE(result, kAsExpected);   // 3: a failed write claimed success; 5: not saved
    QCOMPARE(Entries(folder), QStringList{"notes.txt"});
    QCOMPARE(ReadAll(path), sizeLimit ? Lines(300, "old ") : content);
    QCOMPARE(StatOf(path).st_ino, inode);
    QCOMPARE(int(ModeOf(path)), 0666);
}

void TestFileWriter::unwritableFileInARefusingFolderFailsCleanly() {
    QVERIFY(SetMode(m_Dir->path(), 0755));
    QVERIFY(QDir(m_Dir->path()).mkdir("locked"));
    const QString folder = Path("locked");
    const QString path = folder + "/notes.txt";
    const QByteArray old = Lines(300, "old ");
    QVERIFY(WriteAll(path, old));
    QVERIFY(SetMode(path, 0444));
    QVERIFY(SetMode(folder, 0555));
    WritableAgain unlock{folder};

    const int result = RunForked([&] {
        if (!GiveUpRoot()) return kCannotGiveUpRoot;
        if (::access(QFile::encodeName(path).constData(), W_OK) == 0) return kStillMayWriteTheFolder;
        QString why;
        if (WriteWholeFile(path, Lines(5, "new "), &why)) return 3;
        return why.isEmpty() ? 4 : kAsExpected;
    });
    if (result == kCannotGiveUpRoot) QSKIP("cannot switch to user 65534 here");
    if (result == kStillMayWriteTheFolder) QSKIP("this user may write any file");
    QCOMPARE(result, kAsExpected);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(int(ModeOf(path)), 0444);
    QCOMPARE(Entries(folder), QStringList{"notes.txt"});
}

void TestFileWriter::fileTheUserMayNotWriteIsNotReplaced_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("throughALink");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("read-only file") << 0444 << false << false;
    QTest::newRow("read-only file behind a link") << 0444 << true << false;
    QTest::newRow("writable file") << 0644 << false << true;
}

void TestFileWriter::fileTheUserMayNotWriteIsNotReplaced() {
    // In a folder the user may write, where the file could be replaced by a
    // rename: the file's own permission decides.
    QFETCH(int, mode);
    QFETCH(bool, throughALink);
    QFETCH(bool, replaced);
    QVERIFY(SetMode(m_Dir->path(), 0755));
    QVERIFY(QDir(m_Dir->path()).mkdir("lessons"));
    const QString folder = Path("lessons");
    const QString file = folder + "/urto.vintrop";
    const QString path = throughALink ? folder + "/link.vintrop" : file;
    const QByteArray old = Lines(30, "old ");
    QVERIFY(WriteAll(file, old));
    if (throughALink) QCOMPARE(::symlink("urto.vintrop", QFile::encodeName(path).constData()), 0);
    QVERIFY(GiveToTheChild(folder) && GiveToTheChild(file) && SetMode(file, mode_t(mode)));
    const QStringList before = Entries(folder);

    const int result = RunForked([&] {
        if (!GiveUpRoot()) return kCannotGiveUpRoot;
        QString why;
        const bool written = WriteWholeFile(path, Lines(5, "new "), &why);
        if (written != replaced) return 3;
        return written || !why.isEmpty() ? kAsExpected : 4;
    });
    QCOMPARE(result, kAsExpected);   // 3: replaced a read-only file, or refused a writable one
    QCOMPARE(ReadAll(file), replaced ? Lines(5, "new ") : old);
    QCOMPARE(int(ModeOf(file)), mode);
    QCOMPARE(Entries(folder), before);
}

void TestFileWriter::whatIsNotARegularFileIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a link to a FIFO") << "link";
}

void TestFileWriter::whatIsNotARegularFileIsRefused() {
    // As a device would be: followed, replaced by a regular file, it is gone.
    QFETCH(QString, name);
    QCOMPARE(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0644), 0);
    QCOMPARE(::symlink("fifo", QFile::encodeName(Path("link")).constData()), 0);
    QString why;
    QVERIFY(!WriteWholeFile(Path(name), Lines(5, "new "), &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(S_ISFIFO(StatOf(Path("fifo")).st_mode));
    QCOMPARE(Entries(m_Dir->path()), QStringList({"fifo", "link"}));
}

void TestFileWriter::cutShortMidWrite_data() {
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<int>("signal");   // 0: the write fails and the writer goes on
    QTest::newRow("new file") << false << 0;
    QTest::newRow("replacing a file others may read") << true << 0;
    QTest::newRow("SIGTERM") << true << SIGTERM;
    QTest::newRow("SIGINT") << true << SIGINT;
    QTest::newRow("SIGHUP") << false << SIGHUP;
}

void TestFileWriter::cutShortMidWrite() {
    QFETCH(bool, oldFile);
    QFETCH(int, signal);
    const QString path = Path("lesson.vintrop");
    if (oldFile) QVERIFY(WriteAll(path, Lines(10, "old ")) && SetMode(path, 0644));
    const QStringList before = Entries(m_Dir->path());
    const int result = RunForked([&] {
        ::umask(022);
        for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);   // the test library has its own
        g_SignalToRaise = signal;
        if (!StopInTheMiddleOfTheWrite(m_Dir->path(), 1000)) return 2;
        if (WriteWholeFile(path, Lines(2000, "new "))) return 3;
        if (g_TemporaryFiles != 1) return 4;
        return g_TemporaryModes == 0600 ? kAsExpected : 10 + int(g_TemporaryModes & 077);
    });
    // 4: no temporary file seen; 10 + n: others had the bits n (octal)
    QCOMPARE(result, signal ? 128 + signal : kAsExpected);
    if (oldFile) QCOMPARE(ReadAll(path), Lines(10, "old "));
    QCOMPARE(Entries(m_Dir->path()), before);
}

void TestFileWriter::signalToAnotherThreadAsTheTemporaryIsMade() {
    const int result = RunForked([&] {
        std::signal(SIGTERM, SIG_DFL);
        SetNewTemporaryHookForTest([] {
            std::thread([] {
                sigset_t none;   // a new thread starts with the saving thread's mask, which holds SIGTERM
                sigemptyset(&none);
                pthread_sigmask(SIG_SETMASK, &none, nullptr);
                ::raise(SIGTERM);
            }).join();
        });
        return WriteWholeFile(Path("a.txt"), "new\r\n") ? 3 : 4;
    });
    QCOMPARE(result, 128 + SIGTERM);
    QCOMPARE(Entries(m_Dir->path()), QStringList{});
}

void TestFileWriter::staleTemporariesAreRemoved_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::newRow("left by a killed save") << ".a.txt.vintrop.k3j2x" << "stale file";
    QTest::newRow("locked by a save under way") << ".a.txt.vintrop.k3j2x" << "locked file";
    QTest::newRow("a link to the file") << ".a.txt.vintrop.k3j2x" << "link";
    QTest::newRow("not a number as the writer writes it") << ".a.txt.vintrop.0K3J2X" << "file";
    QTest::newRow("another file's") << ".b.txt.vintrop.k3j2x" << "file";
    QTest::newRow("the user's own backup") << ".a.txt.bak" << "file";
}

void TestFileWriter::staleTemporariesAreRemoved() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QVERIFY(kind != "link" || (WriteAll(Path("a.txt"), "x") && ::symlink("a.txt", QFile::encodeName(Path(name))) == 0));
    const int holder = ::open(QFile::encodeName(Path(name)), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(kind != "locked file" || ::flock(holder, LOCK_EX) == 0);
    QVERIFY(WriteWholeFile(Path("a.txt"), "new\r\n"));
    ::close(holder);
    QCOMPARE(Entries(m_Dir->path()), kind == "stale file" ? QStringList{"a.txt"} : QStringList({name, "a.txt"}));
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "test_filewriter.moc"
