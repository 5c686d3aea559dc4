#pragma once
// Reads a scenario file line by line, counting lines so that a failure can
// say where it happened.
#include <cstddef>
#include <iosfwd>
#include <string>

namespace vintrop {

class ScenarioReader {
public:
    // The longest line read, in bytes without its line end. The longest
    // number anyone writes is a double in full: an exact decimal expansion
    // has at most 767 significant digits, and with leading zeros, sign and
    // exponent stays under 1,100 characters. 4,096 leaves room for blanks
    // around it while a file with no line end (a binary, /dev/zero) costs no
    // more memory than this.
    static constexpr std::size_t kMaxLineLength = 4096;

    explicit ScenarioReader(std::istream& in) : m_In(in) {}
    // The next line as a number; throws PastEndOfFile, TypeMismatch (also
    // for a line longer than kMaxLineLength), Overflow, or DeviceIO when the
    // file cannot be read.
    double Number();
    int LinesRead() const { return m_Line; }

private:
    // The next line without its line end; false at the end of the file.
    bool NextLine();

    std::istream& m_In;
    std::string m_Text;
    int m_Line = 0;
};

} // namespace vintrop
