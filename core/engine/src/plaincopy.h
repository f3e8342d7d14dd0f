// Copies text up to the next byte of a small set, the hot loop of the memo
// printer: sixteen bytes at a time where the processor allows.
#pragma once

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zanto {

class PlainCopy
{
public:
    // Marks the bytes that stop a copy.
    void setStops(const std::array<bool, 256> &stops)
    {
        m_stops = stops;
        m_stopCount = 0;
        unsigned char values[VectorStops] = {};
        for (int b = 0; b < 256; ++b) {
            if (stops[static_cast<std::size_t>(b)] && m_stopCount++ < VectorStops)
                values[m_stopCount - 1] = static_cast<unsigned char>(b);
        }
#if defined(__SSE2__)
        // Unused slots repeat the first stop, so every slot can be compared.
        for (int k = 0; k < VectorStops; ++k)
            m_vectors[k]
                = _mm_set1_epi8(static_cast<char>(k < m_stopCount ? values[k] : values[0]));
#endif
    }

    bool stops(unsigned char byte) const
    {
        return m_stops[byte];
    }

    // Copies bytes from p to to until a stop byte or end; returns where it
    // stopped.
    const unsigned char *copy(const unsigned char *p, const unsigned char *end, char *to) const
    {
        if (m_stopCount == 0) {
            std::memcpy(to, p, static_cast<std::size_t>(end - p));
            return end;
        }
#if defined(__SSE2__)
        if (m_stopCount <= VectorStops) {
            while (end - p >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                __m128i hits = _mm_cmpeq_epi8(bytes, m_vectors[0]);
                for (int k = 1; k < VectorStops; ++k)
                    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, m_vectors[k]));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(to), bytes);
                if (const int mask = _mm_movemask_epi8(hits))
                    return p + __builtin_ctz(static_cast<unsigned>(mask));
                p += 16;
                to += 16;
            }
        }
#endif
        while (p < end && !m_stops[*p])
            *to++ = static_cast<char>(*p++);
        return p;
    }

private:
    static constexpr int VectorStops = 8;

    std::array<bool, 256> m_stops {};
    int m_stopCount = 0;
#if defined(__SSE2__)
    __m128i m_vectors[VectorStops];
#endif
};

} // namespace Zanto
