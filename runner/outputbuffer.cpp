#include "outputbuffer.h"

#include <cerrno>
#include <charconv>
#include <unistd.h>

#include "numeric.h"

namespace vintrop {

OutputBuffer& OutputBuffer::Int(int64_t v) {
    if (m_Used + kNumber > kCapacity) Flush();
    char* start = m_Data.get() + m_Used;
    m_Used += static_cast<std::size_t>(std::to_chars(start, start + kNumber, v).ptr - start);
    return *this;
}

OutputBuffer& OutputBuffer::Float(double v) {
    if (m_Used + kNumber > kCapacity) Flush();
    char* start = m_Data.get() + m_Used;
    m_Used += static_cast<std::size_t>(FormatG9(start, v) - start);
    return *this;
}

bool OutputBuffer::Flush() {
    WriteAll(m_Data.get(), m_Used);
    m_Used = 0;
    return !Failed();
}

void OutputBuffer::WriteAll(const char* data, std::size_t size) {
    // After a failure nothing more is written: the output is already incomplete.
    std::size_t done = 0;
    while (!Failed() && done < size) {
        const ssize_t n = ::write(m_Fd, data + done, size - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0)
            m_Error = EIO;
        else if (errno != EINTR)
            m_Error = errno;
    }
}

} // namespace vintrop
