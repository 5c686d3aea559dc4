#pragma once
// Standard output for the runner: lines are built in one buffer, numbers
// formatted straight into it, and written in large blocks. A write that
// fails is remembered, so the runner can stop and say so.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace vintrop {

class OutputBuffer {
public:
    explicit OutputBuffer(int fd) : m_Fd(fd), m_Data(new char[kCapacity]) {}

    OutputBuffer& Text(std::string_view text) {
        if (m_Used + text.size() > kCapacity) Flush();
        if (text.size() > kCapacity) {
            WriteAll(text.data(), text.size());
        } else {
            std::memcpy(m_Data.get() + m_Used, text.data(), text.size());
            m_Used += text.size();
        }
        return *this;
    }
    OutputBuffer& Char(char c) {
        if (m_Used == kCapacity) Flush();
        m_Data[m_Used++] = c;
        return *this;
    }
    OutputBuffer& Int(int64_t v);
    OutputBuffer& Float(double v);   // as FormatG9
    // Ends a line; writes the buffer once a block has gathered.
    void EndLine() {
        Char('\n');
        if (m_Used >= kBlock) Flush();
    }
    // Writes everything gathered; false once any write has failed.
    bool Flush();
    bool Failed() const { return m_Error != 0; }
    int Error() const { return m_Error; }   // the errno of the failed write

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    static constexpr std::size_t kCapacity = 2 * kBlock;   // a block and the longest piece after it

    static constexpr std::size_t kNumber = 32;   // the longest number written

    void WriteAll(const char* data, std::size_t size);

    int m_Fd;
    int m_Error = 0;
    std::unique_ptr<char[]> m_Data;
    std::size_t m_Used = 0;
};

} // namespace vintrop
