#include "scenarioreader.h"

#include <istream>
#include <streambuf>

#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

bool ScenarioReader::NextLine() {
    m_Text.clear();
    std::streambuf* in = m_In.rdbuf();
    if (!in || !m_In.good()) return false;
    using Traits = std::streambuf::traits_type;
    bool any = false;
    for (;;) {
        const auto c = in->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) return any;
        any = true;
        if (c == '\n') break;
        // Stop reading past the limit (one more byte may be the CR of a
        // CR LF): the rest cannot make the line a number.
        if (m_Text.size() > kMaxLineLength) err::Raise(err::TypeMismatch);
        m_Text.push_back(Traits::to_char_type(c));
    }
    return true;
}

double ScenarioReader::Number() {
    ++m_Line;
    if (!NextLine()) err::Raise(err::PastEndOfFile);
    // Accept CR LF as well as a bare LF (a file edited on Linux).
    if (!m_Text.empty() && m_Text.back() == '\r') m_Text.pop_back();
    if (m_Text.size() > kMaxLineLength) err::Raise(err::TypeMismatch);
    return ParseNumber(m_Text);
}

} // namespace vintrop
