/* The start-up baseline: a C program that writes the game's six introduction
 * lines the way the game does, one flushed line at a time, and exits.
 * bench/run.py takes the lines from the game's own output and hands them over
 * as SIX_LINES, a comma-separated list of string literals. */
#include <stdio.h>

static const char* const lines[] = {SIX_LINES};

int main(void) {
  for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
    fputs(lines[i], stdout);
    fputc('\n', stdout);
    fflush(stdout);
  }
  return 0;
}
