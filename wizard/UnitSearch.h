#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

    // The units of the set among the kBlock units from unit, as bits from the lowest.
    static constexpr int kBlock = 16;
    static std::uint32_t blockMask(const char16_t* unit)
    {
#if defined(__SSE2__)
        // Packed to bytes: a unit above 255 saturates to 0 or 255, neither of them in the set.
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit + 8));
        const __m128i bytes = _mm_packus_epi16(low, high);
        const __m128i found = (_mm_setzero_si128() | ... | _mm_cmpeq_epi8(bytes, _mm_set1_epi8(char(Units))));
        return std::uint32_t(_mm_movemask_epi8(found));
#else
        return partMask(unit, kBlock);
#endif
    }

    // The same for the first count (< kBlock) units from unit.
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
