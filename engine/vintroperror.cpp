#include "vintroperror.h"

namespace vintrop {

VintropError::VintropError(int number, std::string description, std::string source)
    : std::runtime_error(description),
      m_Number(number),
      m_Description(std::move(description)),
      m_Source(std::move(source)) {}

std::string VintropError::UserText() const {
    return "Errore " + std::to_string(m_Number) + ": " + m_Description + " " + m_Source;
}

namespace err {

namespace {
const char* DescriptionOf(int number) {
    switch (number) {
    case InvalidCall: return "Invalid procedure call or argument";
    case Overflow: return "Overflow";
    case OutOfMemory: return "Out of memory";
    case SubscriptRange: return "Subscript out of range";
    case TypeMismatch: return "Type mismatch";
    case FileNotFound: return "File not found";
    case DeviceIO: return "Device I/O error";
    case PastEndOfFile: return "Input past end of file";
    case PathFileAccess: return "Path/File access error";
    case ObjectNotSet: return "Object variable or With block variable not set";
    case InvalidProperty: return "Invalid property value";
    default: return "Application-defined or object-defined error";
    }
}
} // namespace

VintropError Make(int number) { return VintropError(number, DescriptionOf(number)); }

void Raise(int number) { throw Make(number); }

} // namespace err
} // namespace vintrop
