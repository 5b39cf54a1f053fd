/* Proof that the memcheck report catches faults of ours: run under memcheck with one fault (or
 * none), the report must fail on the fault and pass the clean run. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char* volatile g_kept;

static int Leak(void)
{
    char* block = malloc(64);
    memset(block, 1, 64);
    /* The only pointer to the block is overwritten: definitely lost. */
    g_kept = block;
    g_kept = NULL;
    return 0;
}

static int Overflow(void)
{
    volatile char* block = malloc(16);
    block[0] = 1;
    const int past = block[16]; /* one byte past the block */
    free((void*)block);
    return past == 1234;
}

static int Clean(void)
{
    char* block = malloc(16);
    memset(block, 0, 16);
    free(block);
    return 0;
}

int main(int argc, char** argv)
{
    const char* fault = argc > 1 ? argv[1] : "clean";
    if (strcmp(fault, "leak") == 0)
        return Leak();
    if (strcmp(fault, "overflow") == 0)
        return Overflow();
    return Clean();
}
