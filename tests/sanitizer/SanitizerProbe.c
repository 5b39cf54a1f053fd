/* A program that does one thing the sanitizer build must catch, chosen by its argument, so the
 * tests can prove that the build really checks: "leak", "overflow", "undefined", "float-cast",
 * or "clean" for a run that must pass with the suppressions loaded. */
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Kept outside the compiler's view so no call is folded away. */
volatile int g_index = 16;
volatile int g_large = INT_MAX;
volatile float g_negative = -0.5f;

static int Leak(void)
{
    char* block = malloc(64);
    strcpy(block, "never freed");
    block = NULL;
    return 0;
}

static int Overflow(void)
{
    /* Through a volatile pointer, so only AddressSanitizer can know the block's size. */
    volatile char* volatile block = malloc(16);
    block[g_index] = 1;
    free((void*)block);
    return 0;
}

static int Undefined(void)
{
    const int sum = g_large + 1;
    return sum == 0;
}

/* A negative float converted to an unsigned byte value, as an opacity below 0 would be. */
static int FloatCast(void)
{
    const unsigned value = (unsigned)(g_negative * 255.0f);
    return value == 0;
}

int main(int argc, char** argv)
{
    const char* what = argc > 1 ? argv[1] : "clean";
    if (strcmp(what, "leak") == 0)
        return Leak();
    if (strcmp(what, "overflow") == 0)
        return Overflow();
    if (strcmp(what, "undefined") == 0)
        return Undefined();
    if (strcmp(what, "float-cast") == 0)
        return FloatCast();
    puts("clean run");
    return 0;
}
