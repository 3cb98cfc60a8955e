/* Preloaded into the game by the end-to-end tests: its pauses and its random
 * source, which a test can neither wait for nor predict. */
#define _GNU_SOURCE
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

/* A pause writes "<pause S.NNNNNNNNN s>\n" where the game's next line goes, or
 * to standard error when standard output takes nothing; then it returns at
 * once, or after the time asked when INTERPOSE_PAUSE is set. */
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's are reserved
int nanosleep(const struct timespec* request, struct timespec* left) {
  if (dprintf(1, "<pause %ld.%09ld s>\n", request->tv_sec, request->tv_nsec) < 0 &&
      dprintf(2, "<pause %ld.%09ld s>\n", request->tv_sec, request->tv_nsec) < 0)
    abort();
  return getenv("INTERPOSE_PAUSE") ? (int)syscall(SYS_nanosleep, request, left) : 0;
}

/* INTERPOSE_GETRANDOM scripts the answers, one a call, separated by commas:
 * "fail", or bytes in hexadecimal (fewer than asked make a short read). Then
 * the system answers. */
ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  static const char* script;
  if (script == NULL)
    script = getenv("INTERPOSE_GETRANDOM");
  if (script == NULL || *script == '\0')
    return syscall(SYS_getrandom, buffer, length, flags);
  const char* answer = script;
  script += strcspn(script, ",");
  script += strspn(script, ",");
  if (strncmp(answer, "fail", 4) == 0) {
    memset(buffer, 0x5A, length);  // bytes left behind, not to be taken
    errno = EIO;
    return -1;
  }
  unsigned char* bytes = buffer;
  size_t filled = 0;
  while (filled < length && sscanf(answer + 2 * filled, "%2hhx", bytes + filled) == 1)
    ++filled;
  return (ssize_t)filled;
}
