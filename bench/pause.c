/* Preloaded by bench/run into the game and its C baseline: a pause (nanosleep,
 * clock_nanosleep) returns at once. Built with -DSTOP, the first pause ends the
 * process instead (exit code 0), so that a run lasts until the first line is
 * out; with -DPEAK, the process writes its peak resident set, the line
 * "VmHWM: N kB" of /proc/self/status, to standard error as it exits; with
 * -DNOHUGE, the process gets no transparent huge pages, as on a system where
 * they are off, without changing the system's setting.
 * hyperfine -N passes its own environment on, so it is preloaded too: it keeps
 * its real pauses. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static int measured(void) { return strcmp(program_invocation_short_name, "hyperfine") != 0; }

int nanosleep(const struct timespec* length, struct timespec* left) {
#ifdef STOP
  if (measured())
    _exit(0);
#endif
  return measured() ? 0 : (int)syscall(SYS_nanosleep, length, left);
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* t, struct timespec* left) {
  if (measured())
    return nanosleep(t, left);
  return syscall(SYS_clock_nanosleep, clock, flags, t, left) == 0 ? 0 : errno;
}

#ifdef NOHUGE
/* Before main, so before the game allocates anything. */
__attribute__((constructor)) static void no_huge_pages(void) {
  (void)prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
}
#endif

#ifdef PEAK
__attribute__((destructor)) static void peak(void) {
  char status[4096] = "";
  const int fd = open("/proc/self/status", O_RDONLY);
  if (fd < 0 || read(fd, status, sizeof status - 1) < 0)
    return;
  const char* line = strstr(status, "VmHWM:");
  if (line != NULL && write(2, line, strcspn(line, "\n") + 1) < 0)
    return;
}
#endif
