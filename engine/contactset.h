#pragma once
// The positions (1..32767) of the bowls one bowl is touching.
//
// Usually a bowl touches none to a few others: they are kept as a short
// sorted list. In a pile every bowl may touch every other one, and n lists
// of n positions grow with the square of n (32,766 piled bowls: 2 GB); so a
// set whose list would take more room than one bit per position up to the
// highest it holds turns into such a bitset (4 KB per bowl at the most), and
// turns back into a list once it has shrunk well below that, so that a few
// contacts left over are not found by reading thousands of bits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vintrop {

class ContactSet {
public:
    // Positions that leave the list at once turn it into bits, whatever the
    // highest position: a set this small is cheap as a list.
    static constexpr std::size_t kListMost = 32;

    // Most bowls touch nothing: that answer is inline.
    bool Contains(int16_t p) const { return m_Count != 0 && Holds(p); }
    void Add(int16_t p);      // no change when already held
    void Remove(int16_t p);   // no change when not held
    void Clear();
    bool Empty() const { return m_Count == 0; }
    std::size_t Size() const { return m_Count; }
    bool UsesBits() const { return m_UsesBits; }
    // Every position held, ascending.
    std::vector<int16_t> Ascending() const;
    // Writes to `out` (emptied first), ascending and each once, the union of
    // the ascending positions [first, last) and those held above `after`;
    // returns false, writing nothing, when none is held above `after`.
    bool UnionAbove(int16_t after, const int16_t* first, const int16_t* last, std::vector<int16_t>& out) const {
        return m_Count != 0 && UnionAboveHeld(after, first, last, out);
    }
    // After the bowl at position `removed` left the collection: forget it
    // and move the positions above it down by one.
    void ShiftAfterRemoval(int16_t removed);

private:
    bool Holds(int16_t p) const;   // Contains for a set that is not empty
    bool UnionAboveHeld(int16_t after, const int16_t* first, const int16_t* last, std::vector<int16_t>& out) const;
    void ToBits();
    void ToList();

    std::vector<int16_t> m_List;   // ascending, while !m_UsesBits
    std::vector<uint64_t> m_Bits;  // bit p % 64 of word p / 64 for position p, while m_UsesBits
    std::size_t m_Count = 0;
    bool m_UsesBits = false;
};

} // namespace vintrop
