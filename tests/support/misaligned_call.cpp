#include "misaligned_call.h"

__attribute__((noinline)) uint32_t CallWithMisalignedStack(const void* function, const uint32_t* args, int count)
{
    // After the arguments are pushed, esp must be 4 modulo 16 (an aligned call would have 0).
    uint32_t pad = static_cast<uint32_t>(((-4 - 4 * count) % 16 + 16) % 16);
    uint32_t result;
    asm volatile(
        "mov %[count], %%ecx\n\t"
        "mov %[pad], %%edx\n\t"
        "mov %%esp, %%edi\n\t"
        "and $-16, %%esp\n\t"
        "sub %%edx, %%esp\n\t"
        "1:\n\t"
        "test %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "dec %%ecx\n\t"
        "pushl (%[args],%%ecx,4)\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "call *%[fn]\n\t"
        "mov %%edi, %%esp\n\t"
        : "=a"(result)
        : [fn] "r"(function), [args] "r"(args), [count] "m"(count), [pad] "m"(pad)
        : "ecx", "edx", "edi", "memory", "cc");
    return result;
}
