#include "contactset.h"

#include <algorithm>
#include <iterator>

namespace vintrop {

namespace {
constexpr std::size_t kWordBits = 64;
std::size_t WordOf(int16_t p) { return static_cast<std::size_t>(p) / kWordBits; }
uint64_t BitOf(int16_t p) { return uint64_t{1} << (static_cast<std::size_t>(p) % kWordBits); }
// Whether a list of `count` positions takes more room than bits up to the
// word `words` - 1 (two bytes a position, eight a word).
bool ListLarger(std::size_t count, std::size_t words) { return count > ContactSet::kListMost && count > 4 * words; }
} // namespace

bool ContactSet::Holds(int16_t p) const {
    if (!m_UsesBits) return std::binary_search(m_List.begin(), m_List.end(), p);
    const std::size_t w = WordOf(p);
    return p >= 0 && w < m_Bits.size() && (m_Bits[w] & BitOf(p)) != 0;
}

void ContactSet::Add(int16_t p) {
    if (m_UsesBits) {
        const std::size_t w = WordOf(p);
        if (w >= m_Bits.size()) m_Bits.resize(w + 1, 0);
        if (m_Bits[w] & BitOf(p)) return;
        m_Bits[w] |= BitOf(p);
        ++m_Count;
        return;
    }
    const auto it = std::lower_bound(m_List.begin(), m_List.end(), p);
    if (it != m_List.end() && *it == p) return;
    m_List.insert(it, p);
    ++m_Count;
    if (ListLarger(m_Count, WordOf(m_List.back()) + 1)) ToBits();
}

void ContactSet::Remove(int16_t p) {
    if (!m_UsesBits) {
        const auto it = std::lower_bound(m_List.begin(), m_List.end(), p);
        if (it == m_List.end() || *it != p) return;
        m_List.erase(it);
        --m_Count;
        return;
    }
    const std::size_t w = WordOf(p);
    if (p < 0 || w >= m_Bits.size() || !(m_Bits[w] & BitOf(p))) return;
    m_Bits[w] &= ~BitOf(p);
    --m_Count;
    // Back to a list when it would take an eighth of the bits' room: far
    // enough below the way in that a set does not go to and fro.
    if (m_Count * 2 <= m_Bits.size()) ToList();
}

void ContactSet::Clear() {
    // The room goes too: a pile's bitsets would otherwise stay after it.
    std::vector<int16_t>().swap(m_List);
    std::vector<uint64_t>().swap(m_Bits);
    m_Count = 0;
    m_UsesBits = false;
}

void ContactSet::ToBits() {
    m_Bits.assign(WordOf(m_List.back()) + 1, 0);
    for (int16_t p : m_List) m_Bits[WordOf(p)] |= BitOf(p);
    std::vector<int16_t>().swap(m_List);
    m_UsesBits = true;
}

void ContactSet::ToList() {
    std::vector<int16_t> list = Ascending();
    std::vector<uint64_t>().swap(m_Bits);
    m_List = std::move(list);
    m_UsesBits = false;
}

std::vector<int16_t> ContactSet::Ascending() const {
    if (!m_UsesBits) return m_List;
    std::vector<int16_t> out;
    out.reserve(m_Count);
    for (std::size_t w = 0; w < m_Bits.size(); ++w)
        for (uint64_t bits = m_Bits[w]; bits != 0; bits &= bits - 1)
            out.push_back(static_cast<int16_t>(w * kWordBits + static_cast<std::size_t>(__builtin_ctzll(bits))));
    return out;
}

bool ContactSet::UnionAboveHeld(int16_t after, const int16_t* first, const int16_t* last, std::vector<int16_t>& out) const {
    if (!m_UsesBits) {
        const auto later = std::upper_bound(m_List.begin(), m_List.end(), after);
        if (later == m_List.end()) return false;
        out.clear();
        std::set_union(first, last, later, m_List.end(), std::back_inserter(out));
        return true;
    }
    // The words from the one holding after + 1, that word's lower bits masked off.
    const int next = after + 1;
    std::size_t w = next < 0 ? 0 : static_cast<std::size_t>(next) / kWordBits;
    if (w >= m_Bits.size()) return false;
    uint64_t bits = next < 0 ? m_Bits[0] : m_Bits[w] & (~uint64_t{0} << (static_cast<std::size_t>(next) % kWordBits));
    bool any = false;
    for (;;) {
        for (; bits != 0; bits &= bits - 1) {
            const auto p = static_cast<int16_t>(w * kWordBits + static_cast<std::size_t>(__builtin_ctzll(bits)));
            if (!any) {
                out.clear();
                any = true;
            }
            for (; first != last && *first < p; ++first) out.push_back(*first);
            if (first != last && *first == p) ++first;
            out.push_back(p);
        }
        if (++w == m_Bits.size()) break;
        bits = m_Bits[w];
    }
    if (any) out.insert(out.end(), first, last);
    return any;
}

void ContactSet::ShiftAfterRemoval(int16_t removed) {
    // Rare (a bowl removed by hand): rebuilt from the list.
    std::vector<int16_t> list = Ascending();
    Clear();
    for (int16_t p : list)
        if (p != removed) Add(p > removed ? static_cast<int16_t>(p - 1) : p);
}

} // namespace vintrop
