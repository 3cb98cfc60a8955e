"""The game as a player meets it, one case a row. On Linux with interpose.c (pauses marked, random
scripted); under Wine (--windows) the cases marked for it, with real pauses and any taunt."""
import contextlib
import dataclasses
import os
import re
import shlex
import subprocess
import tempfile
import time
from signal import SIGABRT, SIGFPE, SIGILL, SIGINT, SIGSEGV, SIGTERM

import pytest

PAUSE = b"<pause 1.000000000 s>\n"  # the interposer's marker of a one-second pause
DEADLINE = 10  # seconds a case may take besides its real pauses


def paused(*lines):
    return b"".join(line + b"\n" + PAUSE for line in lines)


INTRO = paused(
    b"[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    b"[#] Let's play Rock, Paper, Scissors!",
    b"[#] I should warn you ahead of time, though.",
    b"[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    b"[#] You won't end up beating me.",
)
INTRO += b"[#] Still want to play? Alright, you've been warned!\n"
MOVE_REQUEST = b"[#] Enter your choice (rock, paper, scissors): \n[>] "
REFUSED = MOVE_REQUEST + b"Invalid choice. Please choose rock, paper, or scissors.\n"
COUNTDOWN = [b"[#] Ready?", b"[#] ROCK", b"[#] PAPER", b"[#] SCISSORS", b"[#] SHOOT!"]
COUNTER_MOVE = {b"rock": b"paper", b"paper": b"scissors", b"scissors": b"rock"}
TAUNTS = [
    b"[#] I warned you!",
    b"[#] What's so hard to understand? I. CAN. READ. MINDS.",
    b"[#] Keep trying! I've got all day.",
]
PLAY_AGAIN = b"[?] Do you want to play again? (yes/no)\n[yes/no] > "
WON = b"[#] You won!\n[#] Wait, how did you do that??!! Cheater! CHEATER!!!!!!\n"
WON += b"[+] Fine, you win. I never read any minds.\n[+] Press enter to quit [>] "


def lost_round(move, taunt):
    """From the move request to the play-again prompt."""
    reveal = [b"[#] I chose: " + COUNTER_MOVE[move], b"[#] You chose: " + move]
    chosen = MOVE_REQUEST + b"[#] I've made my choice! Now let's play!\n"
    return chosen + paused(*COUNTDOWN, *reveal, b"[#] I win!", TAUNTS[taunt]) + PLAY_AGAIN


def io_error(message):
    return b"io(153)".ljust(25) + b"raiseEIO\nError: unhandled exception: %s [IOError]\n" % message


EOF = b"io(156)".ljust(25) + b"raiseEOF\nError: unhandled exception: EOF reached [EOFError]\n"
NO_STDOUT = PAUSE * 5 + io_error(b"cannot write string to file")  # the pauses' markers on stderr
READ_NUL = io_error(b"error: 6 `Invalid handle.\r\n`")  # Wine's text
NO_BCRYPT = b"could not load: Bcrypt.dll\r\n"
NEVER_SEEDED = b"Failed to initializes baseState in random module as sysrand.urandom"
NEVER_SEEDED += b" doesn't work.\n"
SIGNAL_TEXTS = {
    SIGINT: b"SIGINT: Interrupted by Ctrl-C.\n",
    SIGSEGV: b"SIGSEGV: Illegal storage access. (Attempt to read from nil?)\n",
    SIGABRT: b"SIGABRT: Abnormal termination.\n",
    SIGFPE: b"SIGFPE: Arithmetic error.\n",
    SIGILL: b"SIGILL: Illegal operation.\n",
}


def seed(s0, s1):
    """The interposer's answer to a random request: the generator state s0, s1 as 16 bytes."""
    return (s0 | s1 << 64).to_bytes(16, "little").hex()


DEFAULT_SEED = seed(0x69B4C98CB8530805, 0xD1DD3004688D67CA)  # taunts 2, 0, 2
ZEROS = seed(0, 0)
# Seven requests that fail: with an error, with zeros, with too few bytes...
SEVEN_FAILURES = f"fail,{ZEROS},0102030405060708090a0b0c0d0e0f,fail,{ZEROS},{ZEROS},fail,"
SEEDED_8TH = SEVEN_FAILURES + seed(1, 0)  # taunts 1, 2, 0


@dataclasses.dataclass
class Case:
    name: str
    input: bytes  # in a file
    out: bytes
    err: bytes = b""
    code: int = 0
    random: str = DEFAULT_SEED  # the random source's answers, one a request, comma-separated
    streams: str = ""  # redirections by the shell that starts the game
    input_size: int = 0  # the input file's size, a hole after the input
    address_space: int = 0  # the game's limit, in bytes
    reader_gone: bool = False  # standard output a pipe whose reader has closed it
    signal: int = 0  # sent once the game has written all of out; standard input an open pipe
    real_pauses: bool = False
    won_round: bool = False  # the start-up, then straight to the won round
    windows: str = ""  # "also" under Wine, or "only"
    dll_overrides: str = ""  # added to Wine's
    console_keys: tuple = ()  # tmux's names of the keys typed at each prompt of a console


ROCK_NO = b"rock\nno\n"
ROCK_LOST = lost_round(b"rock", 2)
ASKED = INTRO + MOVE_REQUEST
ONE_REFUSED = INTRO + REFUSED + ROCK_LOST
THREE_MOVES = b"rock\nyes\npaper\nyes\nscissors\nno\n"
GREETING = INTRO.split(PAUSE)[0] + PAUSE
CTRL_C = SIGNAL_TEXTS[SIGINT]
TYPED = ("PaPeR Enter", "yes Enter", "C-c")  # at the prompts, which echo them
SHOWN = (INTRO + lost_round(b"paper", 0)).replace(b"[>] ", b"[>] PaPeR\n") + b"yes\n"
SHOWN += MOVE_REQUEST + CTRL_C


def three_rounds(taunts):
    return INTRO + b"".join(map(lost_round, [b"rock", b"paper", b"scissors"], taunts))


CASES = [
    Case("CR LF", b"Rock\r\nno\r\n", INTRO + ROCK_LOST, windows="also"),
    # 0x1A is a byte like any other; U+212A KELVIN SIGN lower-cases to k.
    Case("Kelvin sign", b"li\x1azard\r\nROC\xe2\x84\xaa\n", ONE_REFUSED, EOF, 1, windows="also"),
    Case("a blank after the move", b"rock \n" + ROCK_NO, ONE_REFUSED),
    Case("a NUL after the move", b"rock\0\n" + ROCK_NO, ONE_REFUSED),  # the line's own NUL
    Case("play again? YES", b"rock\nYES\n" + ROCK_NO, INTRO + ROCK_LOST + lost_round(b"rock", 0)),
    Case("play again? yes and a blank", b"rock\nyes \n" + ROCK_NO, INTRO + ROCK_LOST),
    Case("taunts from the default state", THREE_MOVES, three_rounds([2, 0, 2])),
    Case("taunts from s1 = 1", THREE_MOVES, three_rounds([1, 0, 2]), random=seed(0, 1)),
    # The first draw, 2**64 - 1, is drawn again.
    Case("taunts from s0 = ~0", THREE_MOVES, three_rounds([2, 2, 0]), random=seed(2**64 - 1, 0)),
    Case("end at the first prompt", b"", ASKED, EOF, 1, windows="also"),
    Case("seeded at the 8th request", ROCK_NO, INTRO + lost_round(b"rock", 1), random=SEEDED_8TH),
    Case("never seeded", ROCK_NO, b"", NEVER_SEEDED, 1, random=SEVEN_FAILURES + ZEROS),
    Case("stdout without a reader", ROCK_NO, b"", NO_STDOUT, 1, reader_gone=True, windows="also"),
    Case("stdin a folder", b"", ASKED, io_error(b"errno: 21 `Is a directory`"), 1, streams="</"),
    Case("stdin the NUL device", b"", ASKED, READ_NUL, 1, streams="</dev/null", windows="only"),
    *[
        Case(f"{number.name} at the move prompt", b"", ASKED, text, 1, signal=number)
        for number, text in SIGNAL_TEXTS.items()
    ],
    Case("SIGINT in a pause", b"", GREETING, CTRL_C, 1, signal=SIGINT, real_pauses=True),
    Case("SIGTERM, not handled", b"", ASKED, b"", -SIGTERM, signal=SIGTERM),
    # Read in linear time, well within the deadline.
    Case("100 MiB line", b"ROCK", INTRO + REFUSED + MOVE_REQUEST, EOF, 1, input_size=100 * 2**20),
    # A 1 GiB line in 256 MiB of address space: out of memory.
    Case("1 GiB", b"", ASKED, b"out of memory\n", 1, input_size=2**30, address_space=2**28),
    Case("won, then a line", b"\nrock\nno\n", WON, won_round=True),
    Case("won, then the end", b"", WON, EOF, 1, won_round=True),
    Case("no Bcrypt.dll", ROCK_NO, b"", NO_BCRYPT, 1, windows="only", dll_overrides="bcrypt=d"),
    Case("console", b"", SHOWN, b"", 1, windows="only", console_keys=TYPED),
]
ANY_TAUNT = re.compile(b"|".join(map(re.escape, TAUNTS)))
PROMPT = re.compile(rb"\[>\]|\[yes/no\] >")  # as a screen shows them, without the blank


def pytest_generate_tests(metafunc):
    windows = metafunc.config.getoption("windows")
    cases = [case for case in CASES if (case.windows if windows else case.windows != "only")]
    metafunc.parametrize("case", cases, ids=[case.name for case in cases])


def test_transcript(case, pytestconfig):
    option = pytestconfig.getoption
    if option("windows"):
        check_under_wine(case, option("game"))
        return
    if case.address_space and option("sanitized"):
        pytest.skip("the sanitizers need more address space")
    if case.address_space and option("emulator"):
        pytest.skip("qemu-user maps itself within the limit, and at times cannot")
    env = dict(os.environ, INTERPOSE_GETRANDOM=case.random)
    if case.real_pauses:
        env["INTERPOSE_PAUSE"] = "real"
    # Into the game alone: not into its shell (64-bit beside a 32-bit game), nor into qemu-user.
    preload = "LD_PRELOAD=" + option("interposer")
    if option("emulator"):
        preload = "QEMU_SET_ENV=" + preload  # for the emulated loader
    game = [option("won_round")] if case.won_round else option("game")
    command = ["env", preload, *option("emulator"), *game]
    out, err, code = play(case, command, env, DEADLINE)
    assert out == case.out
    assert err == case.err
    assert code == case.code


def check_under_wine(case, game):
    overrides = "WINEDLLOVERRIDES="
    command = [arg + ";" + case.dll_overrides if arg.startswith(overrides) else arg for arg in game]
    started = time.monotonic()
    seconds = (case.out + case.err).count(PAUSE)  # of real pauses
    if case.console_keys:
        out, err, code = play_on_console(case, command, DEADLINE + seconds)
    else:
        out, err, code = play(case, command, os.environ, DEADLINE + seconds)
    assert as_shown(out, case) == as_shown(case.out, case)
    assert as_shown(err, case) == as_shown(case.err, case)
    assert code == case.code
    assert time.monotonic() - started >= seconds


def as_shown(text, case):
    """Without pause markers, with any taunt; on a console, without trailing blanks."""
    text = ANY_TAUNT.sub(b"<any taunt>", text.replace(PAUSE, b""))
    if case.console_keys:
        text = b"\n".join(line.rstrip() for line in text.splitlines()).strip()
    return text


def wait_until(ready, seconds):
    deadline = time.monotonic() + seconds
    while not ready() and time.monotonic() < deadline:
        time.sleep(0.02)
    return ready()


def play(case, command, env, seconds):
    """The game's stdout, stderr and exit code, its streams set up as the case says."""
    if case.streams or case.address_space:
        limit = f"ulimit -v {case.address_space >> 10}; " if case.address_space else ""
        command = ["sh", "-c", f'{limit}exec "$@" {case.streams}', "sh", *command]
    with contextlib.ExitStack() as files:
        stdin, out, err = (files.enter_context(tempfile.TemporaryFile()) for _ in range(3))
        stdin.write(case.input)
        stdin.truncate(max(case.input_size, len(case.input)))
        stdin.seek(0)
        stdout = out.fileno()
        if case.reader_gone:
            reader, stdout = os.pipe()
            os.close(reader)
            files.callback(os.close, stdout)
        stdin = subprocess.PIPE if case.signal else stdin
        game = subprocess.Popen(command, stdin=stdin, stdout=stdout, stderr=err, env=env)
        if case.signal:
            wait_until(lambda: os.fstat(out.fileno()).st_size >= len(case.out), DEADLINE)
            game.send_signal(case.signal)
        try:
            game.wait(seconds)
        finally:
            game.kill()
        out.seek(0)
        err.seek(0)
        return out.read(), err.read(), game.returncode


def play_on_console(case, command, seconds):
    """Types the keys at the game's prompts on a console in a tmux pane; returns the screen."""
    tmux = ["tmux", "-L", f"tavik-{os.getpid()}"]
    shell = shlex.join(command) + '; echo "exit $?"; sleep 60'
    subprocess.run([*tmux, "-f", os.devnull, "new-session", "-d", shell], check=True)

    def screen():
        return subprocess.run([*tmux, "capture-pane", "-p", "-S", "-"], capture_output=True).stdout

    try:
        for prompts, keys in enumerate(case.console_keys, 1):
            wait_until(lambda: len(PROMPT.findall(screen())) == prompts, seconds)
            subprocess.run([*tmux, "send-keys", *keys.split()])
        ended = wait_until(lambda: re.search(rb"\nexit (\d+)\n*$", screen()), DEADLINE)
        assert ended, "the game has not ended"
        return screen()[: ended.start()], b"", int(ended[1])
    finally:
        subprocess.run([*tmux, "kill-server"])
