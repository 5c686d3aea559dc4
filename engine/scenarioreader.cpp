#include "scenarioreader.h"

#include <algorithm>
#include <istream>
#include <streambuf>

#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
// The text without the blanks (spaces and tabs) around it, as numbers are read.
std::string Trimmed(const std::string& text, std::size_t first, std::size_t last) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}
} // namespace

ScenarioReader::Read ScenarioReader::NextLine() {
    m_Text.clear();
    std::streambuf* in = m_In.rdbuf();
    if (!in || !m_In.good()) return Read::End;
    using Traits = std::streambuf::traits_type;
    bool any = false;
    for (;;) {
        const auto c = in->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) break;
        any = true;
        if (c == '\n') break;
        // Stop reading past the limit (one more byte may be the CR of a
        // CR LF): the rest cannot make the line a number.
        if (m_Text.size() > kMaxLineLength) return Read::TooLong;
        m_Text.push_back(Traits::to_char_type(c));
    }
    if (!any) return Read::End;
    // Accept CR LF as well as a bare LF (a file edited on Linux).
    if (!m_Text.empty() && m_Text.back() == '\r') m_Text.pop_back();
    return m_Text.size() > kMaxLineLength ? Read::TooLong : Read::Line;
}

bool ScenarioReader::Text() {
    ++m_Line;   // counted first: a failing read names this line
    const Read read = NextLine();
    if (read == Read::TooLong) err::Raise(err::TypeMismatch);
    if (read == Read::End) --m_Line;   // the end of the file is no line
    return read == Read::Line;
}

double ScenarioReader::Number() {
    if (!Text()) {
        ++m_Line;   // the line that is missing
        err::Raise(err::PastEndOfFile);
    }
    return ParseNumber(m_Text);
}

std::vector<ScenarioReader::Option> ScenarioReader::Options() {
    std::vector<Option> options;
    // Older files end with the last bowl, or with lines no reader looked
    // at: anything but the marker, however long, leaves the rest unread, as
    // it always was.
    const int marker = ++m_Line;
    if (NextLine() != Read::Line || Trimmed(m_Text, 0, m_Text.size()) != kOptionsMarker) {
        --m_Line;
        return options;
    }
    while (Text()) {
        if (m_Line - marker > kMaxOptionLines) err::Raise(err::TypeMismatch);
        const std::size_t equals = m_Text.find('=');
        if (equals == std::string::npos) {
            if (Trimmed(m_Text, 0, m_Text.size()).empty()) continue;
            err::Raise(err::TypeMismatch);
        }
        Option option{Trimmed(m_Text, 0, equals), Trimmed(m_Text, equals + 1, m_Text.size()), m_Line};
        const auto same = [&](const Option& o) { return o.key == option.key; };
        if (option.key.empty() || std::any_of(options.begin(), options.end(), same))
            err::Raise(err::TypeMismatch);
        options.push_back(std::move(option));
    }
    return options;
}

} // namespace vintrop
