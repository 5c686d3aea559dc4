#pragma once
// Reads a scenario file line by line, counting lines so that a failure can
// say where it happened.
#include <iosfwd>
#include <string>

namespace vintrop {

class ScenarioReader {
public:
    explicit ScenarioReader(std::istream& in) : m_In(in) {}
    // The next line as a number; throws PastEndOfFile, TypeMismatch or Overflow.
    double Number();
    int LinesRead() const { return m_Line; }

private:
    std::istream& m_In;
    int m_Line = 0;
};

} // namespace vintrop
