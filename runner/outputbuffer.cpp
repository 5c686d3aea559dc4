#include "outputbuffer.h"

#include <cerrno>
#include <charconv>
#include <unistd.h>

#include "numeric.h"

namespace vintrop {

OutputBuffer& OutputBuffer::Int(int64_t v) {
    char buf[24];
    m_Data.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    return *this;
}

OutputBuffer& OutputBuffer::Float(double v) {
    char buf[32];
    m_Data.append(buf, FormatG9(buf, v));
    return *this;
}

void OutputBuffer::EndLine() {
    m_Data.push_back('\n');
    if (m_Data.size() >= kBlock) Flush();
}

bool OutputBuffer::Flush() {
    std::size_t done = 0;
    while (!Failed() && done < m_Data.size()) {
        const ssize_t n = ::write(m_Fd, m_Data.data() + done, m_Data.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            m_Error = errno;
        else if (n == 0)
            m_Error = EIO;
    }
    // After a failure nothing more is written: the output is already incomplete.
    m_Data.clear();
    return !Failed();
}

} // namespace vintrop
