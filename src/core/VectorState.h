#pragma once

#if defined(__AVX__)
#include <immintrin.h>
#endif

namespace voroquarn {

// Marks the upper halves of the vector registers unused (VZEROUPPER), where the
// processor has them. Library code may return with them in use: glibc's AVX-512 string
// functions (memcpy, memset and the like) leave them so, to save the instruction. Until
// they are cleared, some processors run the SSE instructions of plain floating-point
// code, such as the tracing's, several times slower. Costs one instruction.
inline void clearUpperVectorHalves()
{
#if defined(__AVX__)
    _mm256_zeroupper();
#elif defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // Code built without AVX keeps nothing in the upper halves, so the instruction
    // clobbers nothing the compiler knows of; it only needs a processor that has it.
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) {
        __asm__ volatile("vzeroupper");
    }
#endif
}

}  // namespace voroquarn
