/* Preloaded into the game by the end-to-end tests (e2e.py): its pauses and its
 * random source, which a test can neither wait for nor predict. */
#define _GNU_SOURCE
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

/* A pause writes "<pause S.NNNNNNNNN s>\n" where the game's next
 * line goes, or to standard error when standard output takes nothing; then it
 * returns at once, or is taken when INTERPOSE_PAUSE is set. */
int nanosleep(const struct timespec* request, struct timespec* left) {
  char marker[80];
  long long s = request->tv_sec, ns = request->tv_nsec;
  int size = snprintf(marker, sizeof marker, "<pause %lld.%09lld s>\n", s, ns);
  if (write(1, marker, (size_t)size) != size && write(2, marker, (size_t)size) != size)
    abort();
  int error = getenv("INTERPOSE_PAUSE") ? clock_nanosleep(CLOCK_MONOTONIC, 0, request, left) : 0;
  return error ? (errno = error, -1) : 0;
}

/* INTERPOSE_GETRANDOM scripts the answers, one a call: "fail", "zeros" or
 * "hex:" and the bytes (fewer is a short read), separated by commas; then the
 * real getrandom answers. A call not for 16 bytes with flags 0 is noted. */
static const char* script;

ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  if (script == NULL && (script = getenv("INTERPOSE_GETRANDOM")) == NULL)
    script = "";
  if (*script == '\0')
    return syscall(SYS_getrandom, buffer, length, flags);
  if (length != 16 || flags != 0)
    dprintf(2, "<getrandom %zu bytes, flags %u>\n", length, flags);
  const char* answer = script;
  script += strcspn(script, ",");
  script += *script == ',';
  if (strncmp(answer, "fail", 4) == 0)
    return errno = EIO, -1;
  size_t n = strncmp(answer, "zeros", 5) == 0 ? length : 0;
  memset(buffer, 0, length);
  if (n == 0 && strncmp(answer, "hex:", 4) != 0)
    abort();
  while (n < length && sscanf(answer + 4 + 2 * n, "%2hhx", (unsigned char*)buffer + n) == 1)
    ++n;
  return (ssize_t)n;
}
