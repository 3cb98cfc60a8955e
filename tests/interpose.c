/* Preloaded into the game by the end-to-end tests (LD_PRELOAD). It stands in
 * for the two things a test cannot wait for or predict: the pauses and the
 * system random source.
 *
 * Pauses (nanosleep, clock_nanosleep) return at once and leave the marker
 * "<pause N ms>\n" in the transcript instead. The game flushes standard output
 * after every line and prompt, so the marker lands where the pause was.
 *   INTERPOSE_PAUSE=real      sleep for real (and leave no marker)
 *   INTERPOSE_MARKERS=stderr  write the markers to standard error instead
 *
 * getrandom answers follow the script in INTERPOSE_GETRANDOM, one answer per
 * call, separated by commas:
 *   fail         return -1 with errno EIO
 *   zeros        fill the buffer with zero bytes
 *   hex:0102...  deliver these bytes (fewer than asked for is a short read)
 * Once the script is used up, or without it, the real getrandom answers.
 * A scripted call that does not ask for 16 bytes with flags 0 is reported on
 * standard error, so that it shows in the transcript. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static void writeAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    ssize_t written = write(fd, text, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return; /* e.g. standard output on /dev/full */
    text += written;
    length -= (size_t)written;
  }
}

static void writeText(int fd, const char* text) { writeAll(fd, text, strlen(text)); }

/* Stores the C library's own `name` in the function pointer at `function`
 * (dlsym gives an object pointer, which ISO C does not convert). */
static void findNext(const char* name, void* function, size_t size) {
  void* address = dlsym(RTLD_NEXT, name);
  if (address == NULL) {
    writeText(2, "<interpose: no next symbol>\n");
    _exit(98);
  }
  memcpy(function, &address, size);
}

static int realPauses(void) {
  const char* mode = getenv("INTERPOSE_PAUSE");
  return mode != NULL && strcmp(mode, "real") == 0;
}

static int markerFd(void) {
  const char* where = getenv("INTERPOSE_MARKERS");
  return where != NULL && strcmp(where, "stderr") == 0 ? 2 : 1;
}

/* Whole milliseconds print as "<pause 1000 ms>", anything finer keeps its
 * nanoseconds so that it cannot pass for a whole number. */
static void markPause(const struct timespec* length) {
  char marker[96];
  int size;
  if (length == NULL) {
    size = snprintf(marker, sizeof marker, "<pause null>\n");
  } else if (length->tv_nsec % 1000000 == 0) {
    size = snprintf(marker, sizeof marker, "<pause %lld ms>\n",
                    (long long)length->tv_sec * 1000 + length->tv_nsec / 1000000);
  } else {
    size = snprintf(marker, sizeof marker, "<pause %lld s %ld ns>\n", (long long)length->tv_sec,
                    length->tv_nsec);
  }
  if (size > 0) writeAll(markerFd(), marker, (size_t)size);
}

int nanosleep(const struct timespec* request, struct timespec* remaining) {
  if (realPauses()) {
    int (*real)(const struct timespec*, struct timespec*);
    findNext("nanosleep", &real, sizeof real);
    return real(request, remaining);
  }
  markPause(request);
  if (remaining != NULL) {
    remaining->tv_sec = 0;
    remaining->tv_nsec = 0;
  }
  return 0;
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* request,
                    struct timespec* remaining) {
  if (realPauses()) {
    int (*real)(clockid_t, int, const struct timespec*, struct timespec*);
    findNext("clock_nanosleep", &real, sizeof real);
    return real(clock, flags, request, remaining);
  }
  if ((flags & TIMER_ABSTIME) != 0 && request != NULL) {
    /* Mark the time that is left until the deadline. */
    struct timespec now;
    struct timespec left;
    clock_gettime(clock, &now);
    left.tv_sec = request->tv_sec - now.tv_sec;
    left.tv_nsec = request->tv_nsec - now.tv_nsec;
    if (left.tv_nsec < 0) {
      left.tv_nsec += 1000000000L;
      left.tv_sec -= 1;
    }
    markPause(&left);
  } else {
    markPause(request);
  }
  if (remaining != NULL) {
    remaining->tv_sec = 0;
    remaining->tv_nsec = 0;
  }
  return 0;
}

/* Position of the next answer in INTERPOSE_GETRANDOM. */
static size_t scriptPosition = 0;

static int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/* A script the interposer cannot follow ends the process with exit code 99,
 * which no test expects. */
static void badScript(const char* answer, size_t length) {
  writeText(2, "<interpose: bad getrandom answer '");
  writeAll(2, answer, length);
  writeText(2, "'>\n");
  _exit(99);
}

ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  const char* script = getenv("INTERPOSE_GETRANDOM");
  if (script == NULL || script[scriptPosition] == '\0') {
    ssize_t (*real)(void*, size_t, unsigned int);
    findNext("getrandom", &real, sizeof real);
    return real(buffer, length, flags);
  }

  const char* answer = script + scriptPosition;
  size_t answerLength = strcspn(answer, ",");
  scriptPosition += answerLength;
  if (script[scriptPosition] == ',') scriptPosition += 1;

  if (length != 16 || flags != 0) {
    char note[96];
    int size = snprintf(note, sizeof note, "<getrandom asked for %zu bytes, flags %u>\n", length,
                        flags);
    if (size > 0) writeAll(2, note, (size_t)size);
  }

  if (answerLength == 4 && strncmp(answer, "fail", 4) == 0) {
    errno = EIO;
    return -1;
  }
  if (answerLength == 5 && strncmp(answer, "zeros", 5) == 0) {
    memset(buffer, 0, length);
    return (ssize_t)length;
  }
  if (answerLength >= 4 && strncmp(answer, "hex:", 4) == 0 && answerLength % 2 == 0) {
    unsigned char* bytes = buffer;
    size_t delivered = 0;
    for (size_t i = 4; i < answerLength && delivered < length; i += 2) {
      int high = hexDigit(answer[i]);
      int low = hexDigit(answer[i + 1]);
      if (high < 0 || low < 0) badScript(answer, answerLength);
      bytes[delivered++] = (unsigned char)(high * 16 + low);
    }
    return (ssize_t)delivered;
  }
  badScript(answer, answerLength);
  return -1;
}
