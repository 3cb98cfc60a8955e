#!/usr/bin/env python3
"""The Windows game as a player meets it, under Wine, with real pauses.

Usage: e2e.py CASE [--objdump PROGRAM] -- WINE-COMMAND... tavik.exe

WINE-COMMAND is the build's emulator (env settings and wine). Each case runs
the game and compares what it wrote, byte for byte where the game decides
every byte: standard output, standard error and the exit code. The taunt of a
lost round is drawn from the system's random source, so any of the three is
accepted in its place. Exit status 0 when the case holds, 1 with an account
of the difference otherwise.
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

# ---- What the persona says --------------------------------------------------

INTRODUCTION = [
    "[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    "[#] Let's play Rock, Paper, Scissors!",
    "[#] I should warn you ahead of time, though.",
    "[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    "[#] You won't end up beating me.",
    "[#] Still want to play? Alright, you've been warned!",
]
MOVE_REQUEST = "[#] Enter your choice (rock, paper, scissors): "
MOVE_PROMPT = "[>] "
INVALID_MOVE = "Invalid choice. Please choose rock, paper, or scissors."
CHOICE_MADE = "[#] I've made my choice! Now let's play!"
COUNTDOWN = ["[#] Ready?", "[#] ROCK", "[#] PAPER", "[#] SCISSORS", "[#] SHOOT!"]
TAUNTS = [
    "[#] I warned you!",
    "[#] What's so hard to understand? I. CAN. READ. MINDS.",
    "[#] Keep trying! I've got all day.",
]
PLAY_AGAIN = "[?] Do you want to play again? (yes/no)"
PLAY_AGAIN_PROMPT = "[yes/no] > "
COUNTER_MOVE = {"rock": "paper", "paper": "scissors", "scissors": "rock"}

# Pauses of one second: after each introduction line but the last, and in a
# round after the countdown, both moves, the verdict and the taunt.
INTRODUCTION_SECONDS = 5
ROUND_SECONDS = 9

# A raise site is padded to 25 columns.
END_OF_INPUT_REPORT = (
    "io(156)" + " " * 18 + "raiseEOF\n"
    "Error: unhandled exception: EOF reached [EOFError]\n"
)
WRITE_FAILURE_REPORT = (
    "io(153)" + " " * 18 + "raiseEIO\n"
    "Error: unhandled exception: cannot write string to file [IOError]\n"
)
INTERRUPT_REPORT = "SIGINT: Interrupted by Ctrl-C."


def lines(*texts):
    return "".join(text + "\n" for text in texts)


def introduction():
    return lines(*INTRODUCTION)


def move_request():
    return lines(MOVE_REQUEST) + MOVE_PROMPT


def lost_round(move, taunt):
    """From the accepted move to the play-again prompt."""
    return (
        lines(CHOICE_MADE, *COUNTDOWN)
        + lines("[#] I chose: " + COUNTER_MOVE[move], "[#] You chose: " + move)
        + lines("[#] I win!", taunt, PLAY_AGAIN)
        + PLAY_AGAIN_PROMPT
    )


def with_each_taunt(make):
    return [make(taunt).encode() for taunt in TAUNTS]


# ---- Running the game -------------------------------------------------------


class Mismatch(Exception):
    pass


def expect(what, actual, allowed):
    if actual not in allowed:
        shown = "\n  or ".join(repr(a) for a in allowed)
        raise Mismatch(f"{what}:\n  got      {actual!r}\n  expected {shown}")


def run(command, stdin, stdout=subprocess.PIPE, timeout=120):
    started = time.monotonic()
    done = subprocess.run(
        command, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE, timeout=timeout
    )
    return done, time.monotonic() - started


def piped(command, data, stdout=subprocess.PIPE):
    """Standard input from a pipe holding `data`, then closed."""
    read_end, write_end = os.pipe()
    os.write(write_end, data)  # far below the pipe's capacity
    os.close(write_end)
    try:
        return run(command, read_end, stdout)
    finally:
        os.close(read_end)


def expect_transcript(done, seconds, stdout, stderr, code, least_seconds):
    expect("standard output", done.stdout, stdout)
    expect("standard error", done.stderr, [stderr.encode()])
    expect("exit code", done.returncode, [code])
    if seconds < least_seconds:
        raise Mismatch(f"ended after {seconds:.1f} s, before its {least_seconds} s of pauses")


# ---- Cases ------------------------------------------------------------------


def end_of_input(command, _):
    """An empty file as standard input: the end of input at the first prompt."""
    with tempfile.TemporaryFile() as empty:
        done, seconds = run(command, empty)
    expect_transcript(done, seconds, [(introduction() + move_request()).encode()],
                      END_OF_INPUT_REPORT, 1, INTRODUCTION_SECONDS)


def lost_round_crlf(command, _):
    """CR LF lines from a pipe: a lost round, then "no"."""
    done, seconds = piped(command, b"Rock\r\nno\r\n")
    expected = with_each_taunt(
        lambda taunt: introduction() + move_request() + lost_round("rock", taunt))
    expect_transcript(done, seconds, expected, "", 0, INTRODUCTION_SECONDS + ROUND_SECONDS)


def kelvin_sign(command, _):
    """A line holding 0x1A is only an invalid move; ROC followed by the Kelvin
    sign (U+212A) is rock. The input ends at the play-again prompt."""
    done, seconds = piped(command, b"li\x1azard\r\nROC\xe2\x84\xaa\n")
    expected = with_each_taunt(
        lambda taunt: introduction() + move_request() + lines(INVALID_MOVE) + move_request()
        + lost_round("rock", taunt))
    expect_transcript(done, seconds, expected, END_OF_INPUT_REPORT, 1,
                      INTRODUCTION_SECONDS + ROUND_SECONDS)


def output_reader_gone(command, _):
    """Standard output is a pipe whose reader has gone: the lines are dropped
    silently and the first prompt that cannot be written ends the game."""
    read_end, write_end = os.pipe()
    os.close(read_end)
    try:
        done, seconds = piped(command, b"rock\nno\n", stdout=write_end)
    finally:
        os.close(write_end)
    expect_transcript(done, seconds, [None], WRITE_FAILURE_REPORT, 1, INTRODUCTION_SECONDS)


def missing_bcrypt(command, _):
    """Bcrypt.dll cannot be loaded. The line is written before the console
    set-up, while standard error still translates line feeds."""
    command = [
        item + ";bcrypt=d" if item.startswith("WINEDLLOVERRIDES=") else item for item in command
    ]
    if not any(item.startswith("WINEDLLOVERRIDES=") for item in command):
        raise Mismatch("the Wine command sets no WINEDLLOVERRIDES to add bcrypt=d to")
    done, seconds = piped(command, b"rock\nno\n")
    expect_transcript(done, seconds, [b""], "could not load: Bcrypt.dll\r\n", 1, 0)


def imports(command, objdump):
    """The game imports from KERNEL32.dll and msvcrt.dll only, and its stdio
    calls are msvcrt's own."""
    game = command[-1]
    table = subprocess.run([objdump, "-p", game], capture_output=True, text=True, check=True)
    # Each library's "DLL Name:" line is followed by its functions, one a
    # line (address, hint, name), up to a blank line.
    imported = {}
    dll = None
    for line in table.stdout.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)$", line)
        function = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)$", line)
        if named:
            dll = named.group(1)
            imported[dll] = set()
        elif dll and function:
            imported[dll].add(function.group(1))
        elif not line.strip():
            dll = None
    expect("imported libraries", sorted(imported), [["KERNEL32.dll", "msvcrt.dll"]])
    for function in ["fprintf", "fputc", "fgets", "fwrite", "fflush", "_setmode", "_isatty",
                     "_get_osfhandle", "_write", "signal"]:
        expect(f"{function} imported from msvcrt.dll", function in imported["msvcrt.dll"], [True])
    for function in ["LoadLibraryA", "GetProcAddress", "GetLastError"]:
        expect(f"{function} imported from KERNEL32.dll", function in imported["KERNEL32.dll"],
               [True])
    # Bound by name at start-up, never imported.
    for function in ["ReadConsoleW", "SetConsoleOutputCP", "SetConsoleCP", "FormatMessageW"]:
        expect(f"{function} imported", function in imported["KERNEL32.dll"], [False])
    symbols = subprocess.run([objdump, "-t", game], capture_output=True, text=True, check=True)
    expect("the game's own symbols listed", "_ZN5tavik" in symbols.stdout, [True])
    expect("MinGW's own printf linked in", "__mingw_vfprintf" in symbols.stdout, [False])


class Console:
    """The game in a terminal of its own (a tmux pane), where Wine gives it a
    Windows console."""

    def __init__(self, command):
        if not shutil.which("tmux"):
            raise Mismatch("tmux is not installed")
        self.socket = f"tavik-{os.getpid()}"
        self.tmux(
            "-f", os.devnull, "start-server", ";",
            "set-option", "-g", "remain-on-exit", "on", ";",
            "set-option", "-g", "default-shell", "/bin/sh", ";",
            "new-session", "-d", "-s", "game", "-x", "100", "-y", "50",
            "exec " + shlex.join(command))

    def tmux(self, *arguments):
        return subprocess.run(["tmux", "-L", self.socket, *arguments], check=True,
                              capture_output=True, text=True).stdout

    def screen(self):
        """The pane's lines, those scrolled out of sight included, without
        trailing blanks, and without blank lines before and after them."""
        captured = self.tmux("capture-pane", "-p", "-S", "-", "-t", "game")
        shown = [line.rstrip() for line in captured.split("\n")]
        shown = [line for line in shown if not line.startswith("Pane is dead")]
        while shown and not shown[-1]:
            shown.pop()
        while shown and not shown[0]:
            shown.pop(0)
        return shown

    def wait_for(self, prompt, times=1, seconds=60):
        """Until the screen's last line is `prompt`, the `times`th line that
        begins with it."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            shown = self.screen()
            begun = [line for line in shown if line.startswith(prompt)]
            if shown and shown[-1] == prompt and len(begun) == times:
                return
            time.sleep(0.2)
        raise Mismatch(f"waited for {prompt!r}; the screen shows:\n" + "\n".join(self.screen()))

    def type(self, *keys):
        self.tmux("send-keys", "-t", "game", *keys)

    def exit_status(self, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            dead, status, signal = self.tmux(
                "display-message", "-p", "-t", "game",
                "#{pane_dead}:#{pane_dead_status}:#{pane_dead_signal}").strip().split(":")
            # The pane may be dead before its process's end is known.
            if dead == "1" and signal:
                raise Mismatch(f"the game was ended by signal {signal}")
            if dead == "1" and status:
                return int(status)
            time.sleep(0.2)
        raise Mismatch("the game did not end; the screen shows:\n" + "\n".join(self.screen()))

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)


def console(command, _):
    """A console round: "PaPeR" typed at the prompt is paper, "yes" asks for
    the next move, and Ctrl+C at that prompt ends the game with its text."""
    terminal = Console(command)
    try:
        prompt = MOVE_PROMPT.rstrip()
        terminal.wait_for(prompt)
        terminal.type("PaPeR", "Enter")
        terminal.wait_for(PLAY_AGAIN_PROMPT.rstrip())
        terminal.type("yes", "Enter")
        terminal.wait_for(prompt, times=2)
        terminal.type("C-c")
        status = terminal.exit_status()
        shown = terminal.screen()
    finally:
        terminal.close()
    expected = [
        (introduction() + lines(MOVE_REQUEST, MOVE_PROMPT + "PaPeR")
         + lost_round("paper", taunt) + lines("yes", MOVE_REQUEST)
         + MOVE_PROMPT + INTERRUPT_REPORT).split("\n")
        for taunt in TAUNTS
    ]
    expect("the screen", shown, [[line.rstrip() for line in screen] for screen in expected])
    expect("exit code", status, [1])


CASES = {case.__name__: case for case in [
    end_of_input, lost_round_crlf, kelvin_sign, output_reader_gone, missing_bcrypt, imports,
    console,
]}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("case", choices=CASES)
    parser.add_argument("--objdump")
    parser.add_argument("command", nargs="+", help="the Wine command and the game")
    arguments = parser.parse_args()
    try:
        CASES[arguments.case](arguments.command, arguments.objdump)
    except (Mismatch, subprocess.TimeoutExpired) as failure:
        print(f"{arguments.case}: {failure}", file=sys.stderr)
        return 1
    print(f"{arguments.case}: as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
