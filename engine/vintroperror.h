#pragma once
// The one error type of the program: a number, a description and a source,
// shown by the windows as "Errore <number>: <description> <source>".
#include <stdexcept>
#include <string>

namespace vintrop {

inline constexpr const char* kAppTitle = "Vintrop";

class VintropError : public std::runtime_error {
public:
    VintropError(int number, std::string description, std::string source = kAppTitle);

    int Number() const { return m_Number; }
    const std::string& Description() const { return m_Description; }
    const std::string& Source() const { return m_Source; }

    // The text a message box shows: "Errore 53: File not found Vintrop".
    std::string UserText() const;

    // Line of a scenario file that failed to read (0 when not a read error).
    int Line() const { return m_Line; }
    void SetLine(int line) { m_Line = line; }

private:
    int m_Number;
    std::string m_Description;
    std::string m_Source;
    int m_Line = 0;
};

namespace err {
enum : int {
    InvalidCall = 5,       // "Invalid procedure call or argument"
    Overflow = 6,          // "Overflow"
    OutOfMemory = 7,       // "Out of memory"
    SubscriptRange = 9,    // "Subscript out of range"
    TypeMismatch = 13,     // "Type mismatch"
    FileNotFound = 53,     // "File not found"
    DeviceIO = 57,         // "Device I/O error"
    PastEndOfFile = 62,    // "Input past end of file"
    PathFileAccess = 75,   // "Path/File access error"
    ObjectNotSet = 91,     // "Object variable or With block variable not set"
    InvalidProperty = 380, // "Invalid property value"
};

VintropError Make(int number);
[[noreturn]] void Raise(int number);
} // namespace err

} // namespace vintrop
