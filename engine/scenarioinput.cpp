#include "scenarioinput.h"

#include <cerrno>
#include <fcntl.h>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

#include "vintroperror.h"

namespace vintrop {

namespace {

// A read-only stream buffer over a file descriptor it owns. Unlike a
// filebuf it does not turn a failing read into an end of file: the error
// travels up as DeviceIO, so the reader can name the real cause.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : m_Fd(fd) {}
    ~DescriptorBuffer() override { ::close(m_Fd); }
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        ssize_t n;
        do {
            n = ::read(m_Fd, m_Data, sizeof m_Data);
        } while (n < 0 && errno == EINTR);
        if (n < 0) err::Raise(err::DeviceIO);
        if (n == 0) return traits_type::eof();
        setg(m_Data, m_Data, m_Data + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    int m_Fd;
    char m_Data[16 * 1024];
};

class DescriptorStream : public std::istream {
public:
    explicit DescriptorStream(int fd) : std::istream(nullptr), m_Buffer(fd) { rdbuf(&m_Buffer); }

private:
    DescriptorBuffer m_Buffer;
};

} // namespace

std::unique_ptr<std::istream> OpenScenarioFile(const std::string& path) {
    if (path.empty()) err::Raise(err::PathFileAccess);
    // Non-blocking, so that opening a FIFO with no writer returns at once;
    // the check below then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) err::Raise(errno == ENOENT || errno == ENOTDIR ? err::FileNotFound : err::PathFileAccess);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        err::Raise(err::PathFileAccess);
    }
    // A regular file never blocks, but reads are ordinary ones from here on.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<DescriptorStream>(fd);
}

} // namespace vintrop
