/* Runs a program and times it from outside, for bench/run.py.
 *
 *   launch [-n RUNS] [-m] [-E NAME=VALUE]... INPUT -- PROGRAM [ARGUMENT]...
 *
 * Each run forks, sets the NAME=VALUE pairs in the child's environment, puts
 * INPUT on its standard input, a pipe on its standard output and /dev/null on
 * its standard error, and execs PROGRAM. The parent drains the pipe and waits.
 * Under -m standard output goes to /dev/null as well: the traced program stops
 * at its exit before it closes the pipe, so the pipe would never end.
 * One line per run on standard output:
 *
 *   FIRST_BYTE_NS EXIT_NS STATUS MAXRSS_KIB HWM_KIB OUTPUT_BYTES MINOR_FAULTS
 *
 * FIRST_BYTE_NS and EXIT_NS count from just before fork to the first byte on
 * the pipe and to the return of wait4 (FIRST_BYTE_NS and OUTPUT_BYTES are -1
 * when nothing came through the pipe, as under -m).
 * STATUS is the wait status. MAXRSS_KIB is the child's ru_maxrss, which also
 * holds what the child had resident before exec, a copy of this launcher.
 * HWM_KIB is the program's own peak resident set (VmHWM), read at its exit
 * under ptrace when -m is given (0 without -m); -m is for memory runs only,
 * not for timing runs. MINOR_FAULTS is the child's ru_minflt: pages it touched
 * for the first time, each a trap into the kernel. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long nowNs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static void die(const char* what) {
  perror(what);
  exit(2);
}

/* The "VmHWM:" figure of /proc/PID/status in KiB, -1 when it cannot be read. */
static long readHwm(pid_t pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* status = fopen(path, "r");
  if (status == NULL) return -1;
  char line[256];
  long hwm = -1;
  while (fgets(line, sizeof line, status) != NULL) {
    if (strncmp(line, "VmHWM:", 6) == 0) {
      hwm = strtol(line + 6, NULL, 10);
      break;
    }
  }
  fclose(status);
  return hwm;
}

static void runOnce(const char* input, char** command, char** settings, int settingCount,
                    int traced) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) die("pipe");
  const long long start = nowNs();
  const pid_t pid = fork();
  if (pid < 0) die("fork");
  if (pid == 0) {
    for (int i = 0; i < settingCount; ++i) putenv(settings[i]);
    const int in = open(input, O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    if (in < 0 || null < 0) _exit(126);
    dup2(in, 0);
    dup2(traced ? null : pipeFds[1], 1);
    dup2(null, 2);
    if (traced) {
      /* Stops at the exec with SIGTRAP; the parent then asks for the exit stop. */
      if (ptrace(PTRACE_TRACEME, 0, NULL, NULL) != 0) _exit(125);
    }
    execv(command[0], command);
    _exit(127);
  }
  close(pipeFds[1]);

  long hwm = 0;
  if (traced) {
    int status;
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) die("waitpid (exec stop)");
    if (ptrace(PTRACE_SETOPTIONS, pid, NULL, (void*)(long)PTRACE_O_TRACEEXIT) != 0) {
      die("ptrace");
    }
    if (ptrace(PTRACE_CONT, pid, NULL, NULL) != 0) die("ptrace");
  }

  long long firstByte = -1;
  long long outputBytes = traced ? -1 : 0;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (firstByte < 0) firstByte = nowNs() - start;
    outputBytes += got;
  }
  close(pipeFds[0]);

  int status;
  struct rusage usage;
  for (;;) {
    const pid_t waited = wait4(pid, &status, 0, &usage);
    if (waited < 0 && errno == EINTR) continue;
    if (waited != pid) die("wait4");
    if (traced && WIFSTOPPED(status)) {
      /* The exit stop: the program's memory is still there to be read. Other
       * stops pass their signal on. */
      int passOn = 0;
      if ((status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
        hwm = readHwm(pid);
      } else {
        passOn = WSTOPSIG(status);
      }
      if (ptrace(PTRACE_CONT, pid, NULL, (void*)(long)passOn) != 0) die("ptrace");
      continue;
    }
    break;
  }
  const long long exitNs = nowNs() - start;
  printf("%lld %lld %d %ld %ld %lld %ld\n", firstByte, exitNs, status, usage.ru_maxrss, hwm,
         outputBytes, usage.ru_minflt);
  fflush(stdout);
}

int main(int argc, char** argv) {
  int runs = 1;
  int traced = 0;
  char** settings = calloc((size_t)argc, sizeof *settings);
  int settingCount = 0;
  int i = 1;
  for (; i < argc; ++i) {
    if (strcmp(argv[i], "-n") == 0 && i + 1 < argc) {
      runs = atoi(argv[++i]);
    } else if (strcmp(argv[i], "-m") == 0) {
      traced = 1;
    } else if (strcmp(argv[i], "-E") == 0 && i + 1 < argc) {
      settings[settingCount++] = argv[++i];
    } else {
      break;
    }
  }
  if (i + 2 >= argc || strcmp(argv[i + 1], "--") != 0) {
    fprintf(stderr, "usage: launch [-n RUNS] [-m] [-E NAME=VALUE]... INPUT -- PROGRAM [ARG]...\n");
    return 2;
  }
  const char* input = argv[i];
  char** command = argv + i + 2;
  for (int run = 0; run < runs; ++run) runOnce(input, command, settings, settingCount, traced);
  return 0;
}
