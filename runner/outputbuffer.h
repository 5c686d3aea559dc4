#pragma once
// Standard output for the runner: lines are built in one buffer, numbers
// formatted straight into it, and written in large blocks. A write that
// fails is remembered, so the runner can stop and say so.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vintrop {

class OutputBuffer {
public:
    explicit OutputBuffer(int fd) : m_Fd(fd) { m_Data.reserve(kBlock + kLine); }

    OutputBuffer& Text(std::string_view text) {
        m_Data.append(text);
        return *this;
    }
    OutputBuffer& Char(char c) {
        m_Data.push_back(c);
        return *this;
    }
    OutputBuffer& Int(int64_t v);
    OutputBuffer& Float(double v);   // as FormatG9
    // Ends a line; writes the buffer once a block has gathered.
    void EndLine();
    // Writes everything gathered; false once any write has failed.
    bool Flush();
    bool Failed() const { return m_Error != 0; }
    int Error() const { return m_Error; }   // the errno of the failed write

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    static constexpr std::size_t kLine = 512;

    int m_Fd;
    int m_Error = 0;
    std::string m_Data;
};

} // namespace vintrop
