#include "scenarioreader.h"

#include <istream>

#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

double ScenarioReader::Number() {
    std::string line;
    ++m_Line;
    if (!std::getline(m_In, line)) err::Raise(err::PastEndOfFile);
    // Accept CR LF as well as a bare LF (a file edited on Linux).
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return ParseNumber(line);
}

} // namespace vintrop
