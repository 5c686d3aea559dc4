#pragma once
// Reads a scenario file line by line, counting lines so that a failure can
// say where it happened.
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

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
    // The most lines the options section may hold after its marker, blank
    // ones included: a file of endless lines is refused, not read to its end.
    static constexpr int kMaxOptionLines = 64;
    // The line that opens the options section.
    static constexpr const char* kOptionsMarker = "[options]";

    // One key=value line of the options section; key and value without the
    // blanks around them.
    struct Option {
        std::string key, value;
        int line = 0;
    };

    explicit ScenarioReader(std::istream& in) : m_In(in) {}
    // The next line as a number; throws PastEndOfFile, TypeMismatch (also
    // for a line longer than kMaxLineLength), Overflow, or DeviceIO when the
    // file cannot be read.
    double Number();
    // The options section after the last bowl: the marker line "[options]",
    // then key=value lines; blank lines are skipped. Empty when the next
    // line is not the marker (however long it is) or the file ends, and
    // nothing after that line is read. Throws TypeMismatch at the line for a
    // line without "=" or with an empty key, a key given twice, a line
    // longer than kMaxLineLength or past kMaxOptionLines; DeviceIO as Number.
    std::vector<Option> Options();
    int LinesRead() const { return m_Line; }

private:
    enum class Read { End, Line, TooLong };
    // The next line without CR LF or LF, uncounted; a line past
    // kMaxLineLength is read no further than the limit.
    Read NextLine();
    // The next line, counted; false at the end of the file. Throws
    // TypeMismatch for a line past kMaxLineLength.
    bool Text();

    std::istream& m_In;
    std::string m_Text;
    int m_Line = 0;
};

} // namespace vintrop
