/* The start-up baseline: writes the game's six introduction lines as the game
 * does, one flushed line at a time with a one-second pause before each but the
 * first. bench/run takes the lines from the game's output into lines.h. */
#include <stdio.h>
#include <time.h>

static const char* const lines[] = {
#include "lines.h"
};

int main(void) {
  const struct timespec second = {1, 0};
  for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
    if (i > 0)
      nanosleep(&second, NULL);
    fputs(lines[i], stdout);
    fputc('\n', stdout);
    fflush(stdout);
  }
  return 0;
}
