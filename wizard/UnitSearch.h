#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>

#endif

namespace orb {

// Sixteen units, for the masks of the units of several sets among them (bits from the lowest,
// UnitSet::maskIn).
class UnitBlock
{
public:
    static constexpr int kSize = 16;
    explicit UnitBlock(const char16_t* units)
#if defined(__SSE2__)
        // Packed to bytes: a unit above 255 saturates to 0 or 255, neither of them in a set.
        : m_bytes(_mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(units)),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8))))
#else
        : m_units(units)
#endif
    {
    }

    template<char16_t... Units>
    std::uint32_t mask() const
    {
#if defined(__SSE2__)
        const __m128i found = (_mm_setzero_si128() | ... | _mm_cmpeq_epi8(m_bytes, _mm_set1_epi8(char(Units))));
        return std::uint32_t(_mm_movemask_epi8(found));
#else
        std::uint32_t mask = 0;
        for (int i = 0; i < kSize; ++i)
            mask |= std::uint32_t(((m_units[i] == Units) || ...)) << i;
        return mask;
#endif
    }

private:
#if defined(__SSE2__)
    __m128i m_bytes;
#else
    const char16_t* m_units;
#endif
};

// A few ASCII units looked for in a run of UTF-16, a block of units at a time where the
// processor can (SSE2, which every x86-64 has). The scans spend most of their time passing
// plain code and literals' bodies in search of the few characters that mean something there.
template<char16_t... Units>
struct UnitSet
{
    static constexpr bool holds(char16_t unit) { return ((unit == Units) || ...); }

    // The first unit from unit to end that the set holds, or end.
    static const char16_t* firstIn(const char16_t* unit, const char16_t* end)
    {
#if defined(__SSE2__)
        for (; end - unit >= 8; unit += 8) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit));
            if (const int mask = _mm_movemask_epi8(matches(block)))
                return unit + std::countr_zero(unsigned(mask)) / 2;
        }
#endif
        while (unit != end && !holds(*unit))
            ++unit;
        return unit;
    }

    // The units of the set among a block's, as bits from the lowest.
    static std::uint32_t maskIn(const UnitBlock& block) { return block.mask<Units...>(); }

    // The same among the first count units from unit.
    static std::uint32_t partMask(const char16_t* unit, int count)
    {
        std::uint32_t mask = 0;
        for (int i = 0; i < count; ++i)
            mask |= std::uint32_t(holds(unit[i])) << i;
        return mask;
    }

private:
#if defined(__SSE2__)
    static __m128i matches(__m128i block)
    {
        return (_mm_setzero_si128() | ... | _mm_cmpeq_epi16(block, _mm_set1_epi16(short(Units))));
    }
#endif
};

} // namespace orb
