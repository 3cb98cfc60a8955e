#!/usr/bin/env python3
"""The game as a player meets it: one table of whole transcripts. On Linux, `e2e.py linux GAME WON_ROUND INTERPOSER
plain|sanitized`: pauses marked where they are, seed bytes scripted. Under Wine, `e2e.py wine EMULATOR... TAVIK.EXE`:
the cases marked for Windows, with real pauses (no markers, but as many seconds) and any taunt in a taunt's place."""
import concurrent.futures, difflib, os, re, select, shlex, subprocess, sys, threading, time
from signal import SIGABRT, SIGFPE, SIGHUP, SIGILL, SIGINT, SIGSEGV, SIGTERM

def L(*texts): return b''.join(text + b'\n' for text in texts)
P = b'<pause 1.000000000 s>\n'
INTRO = P.join(L(line) for line in [b"[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    b"[#] Let's play Rock, Paper, Scissors!",
    b"[#] I should warn you ahead of time, though.",
    b"[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    b"[#] You won't end up beating me.", b"[#] Still want to play? Alright, you've been warned!"])
REQ = L(b'[#] Enter your choice (rock, paper, scissors): ') + b'[>] '
BAD = REQ + L(b'Invalid choice. Please choose rock, paper, or scissors.')
TAUNTS = [b'[#] I warned you!', b"[#] What's so hard to understand? I. CAN. READ. MINDS.",
          b"[#] Keep trying! I've got all day."]
BEATS = {b'rock': b'paper', b'paper': b'scissors', b'scissors': b'rock'}

def rounds(moves, taunts):
    """Lost rounds, each from its move request to the play-again prompt."""
    return b''.join(REQ + L(b"[#] I've made my choice! Now let's play!") + b''.join(L(line) + P for line in [
        b'[#] Ready?', b'[#] ROCK', b'[#] PAPER', b'[#] SCISSORS', b'[#] SHOOT!', b'[#] I chose: ' + BEATS[move],
        b'[#] You chose: ' + move, b'[#] I win!', TAUNTS[int(taunt)]]) + L(b'[?] Do you want to play again? (yes/no)')
        + b'[yes/no] > ' for move, taunt in zip(moves.split(), taunts))

WON = L(b'[#] You won!', b'[#] Wait, how did you do that??!! Cheater! CHEATER!!!!!!',
        b'[+] Fine, you win. I never read any minds.') + b'[+] Press enter to quit [>] '
EOF = b'io(156)' + b' ' * 18 + b'raiseEOF\nError: unhandled exception: EOF reached [EOFError]\n'
def EIO(message): return b'io(153)' + b' ' * 18 + b'raiseEIO\nError: unhandled exception: ' + message + b' [IOError]\n'
WRITE = EIO(b'cannot write string to file')
SIGNALS = {SIGINT: b'SIGINT: Interrupted by Ctrl-C.\n', SIGABRT: b'SIGABRT: Abnormal termination.\n',
           SIGSEGV: b'SIGSEGV: Illegal storage access. (Attempt to read from nil?)\n',
           SIGFPE: b'SIGFPE: Arithmetic error.\n', SIGILL: b'SIGILL: Illegal operation.\n'}
def seed(s0, s1): return 'hex:' + (s0 | s1 << 64).to_bytes(16, 'little').hex()  # the random state, as 16 bytes
DEFAULT, ONE = seed(0x69B4C98CB8530805, 0xD1DD3004688D67CA), seed(1, 0)  # their taunts: 2 0 2 2 2 ..., 1 2 0 0 2 ...
SEVEN_FAILURES = 'fail,zeros,hex:0102030405060708090A0B0C0D0E0F,fail,zeros,zeros,fail,'  # the third is short
MIB, REAL = 1 << 20, {'INTERPOSE_PAUSE': 'real'}  # real pauses (still marked), for a signal to come in
MEMCHECK = ['valgrind', '-q', '--error-exitcode=97', '--leak-check=full', '--errors-for-leak-kinds=definite,indirect']
def LIMIT(size): return f'ulimit -v {size >> 10}; exec "$@"'  # address space, too little for the sanitizers
INVALID = [b' rock', b'rock ', b'', b'rocks', b'rock\0', b'ro\0ck', b'rock\x1a', b'roc', b'ro\rck', b'rock\r\r',
           b'\xff', b'\xffrock', b'rock\xfe', b'\x80rock', b'\xef\xbb\xbfrock', b'\xc3', b'ROC\xe2\x84', b'r\xf0ck',
           b'ro\xc0\x80ck', b'rock\xc0\x8a', b'\xed\xa0\x80rock']

CASES = {}
def case(name, input, out, err=b'', code=0, **how): CASES[name] = dict(input=input, out=out, err=err, code=code, **how)
# input: in a file (size: with a hole up to it); rand: the getrandom script; sh: run by sh -c; gone: no reader of
# standard output; sig: (signal, sent once standard output holds this), the input on a pipe left open; env: the
# game's; vg: under memcheck; won: the won round; wine: also under Wine, or 'only'; dlls: for WINEDLLOVERRIDES;
# keys: typed at the prompts.
case('moves in any case', b'Rock\nyes\nROCK\r\nYES\r\nrOcK\nYes\nPaPeR\nyES\nSCISSORS\n\xc1\x99ES\nROC\xe2\x84\xaa\n'
     b'yes\nSC\xc4\xb0SSORS\nyes\n\xc1\x92OCK\nyes\nPAPE\xc1\x92\nyes\n\xe0\x81\xb2ock\nyes\n\xf0\x80\x81\xb3cissors\n'
     b'yes\n\xfc\x80\x80\x80\x81\xb2ock\nyes\nroc\xc1+\nno', INTRO + rounds(b'rock rock rock paper scissors rock '
     b'scissors rock paper rock scissors rock rock', '1200211201002'), rand=ONE, vg=True)
for state, taunts in [(DEFAULT, '202'), (seed(0, 1), '102'), (seed(2**64 - 1, 0), '220')]:  # the last draw is redrawn
    case(state, b'rock\nyes\npaper\nyes\nscissors\nno\n', INTRO + rounds(b'rock paper scissors', taunts), rand=state)
for answer in [b'no', b'y', b'yes ', b' yes', b'', b'yess', b'yes\0', b'rock', b'yes\xff']:
    case(f'answer {answer}', b'rock\n' + answer + b'\nrock\nyes\n', INTRO + rounds(b'rock', '2'))
case('invalid lines', L(*INVALID) + b'rock\nno\n', INTRO + BAD * len(INVALID) + rounds(b'rock', '2'))
case('CR LF', b'Rock\r\nno\r\n', INTRO + rounds(b'rock', '2'), wine=True)
case('Kelvin sign', b'li\x1azard\r\nROC\xe2\x84\xaa\n', INTRO + BAD + rounds(b'rock', '2'), EOF, 1, wine=True)
case('end after rock CR', b'rock\r', INTRO + BAD + REQ, EOF, 1)
case('end at the first prompt', b'', INTRO + REQ, EOF, 1, wine=True)
case('end at play again', b'rock', INTRO + rounds(b'rock', '2'), EOF, 1)
case('end at the next move', b'rock\nyes\n', INTRO + rounds(b'rock', '2') + REQ, EOF, 1)
case('seed at the 8th attempt', b'rock\nno\n', INTRO + rounds(b'rock', '1'), rand=SEVEN_FAILURES + ONE)
case('seed never', b'rock\nno\n', b'', b"Failed to initializes baseState in random module as sysrand.urandom "
     b"doesn't work.\n", 1, rand=SEVEN_FAILURES + 'zeros')
case('stdout full', b'rock\nno\n', b'', P * 5 + WRITE, 1, sh='exec "$@" >/dev/full')
case('stdout closed', b'rock\nno\n', b'', P * 5 + WRITE, 1, sh='exec "$@" >&-')
case('stdout reader gone', b'rock\nno\n', b'', P * 5 + WRITE, 1, gone=True, wine=True)
case('stdin closed', b'', INTRO + REQ, EIO(b'errno: 9 `Bad file descriptor`'), 1, sh='exec "$@" <&-')
case('stdin a directory', b'', INTRO + REQ, EIO(b'errno: 21 `Is a directory`'), 1, sh='exec "$@" </')
case('stdin /dev/null', b'', INTRO + REQ, EOF, 1, sh='exec "$@" </dev/null')
case('stdin NUL, not a console', b'', INTRO + REQ, EIO(b'error: 6 `Invalid handle.\r\n`'), 1,  # Wine's text
     sh='exec "$@" </dev/null', wine='only')
for sig, text in SIGNALS.items():
    case(f'{sig.name} at the move prompt', b'', INTRO + REQ, text, 1, sig=(sig, REQ))
case('SIGINT at play again', b'scissors\n', INTRO + rounds(b'scissors', '2'), SIGNALS[SIGINT], 1, sig=(SIGINT, b'] > '))
case('SIGINT in a pause', b'', INTRO.split(P)[0] + P, SIGNALS[SIGINT], 1, sig=(SIGINT, P), env=REAL)
for sig, at, where, env in (SIGTERM, REQ, 'at a prompt', {}), (SIGHUP, P, 'in a pause', REAL):
    case(f'{sig.name} {where}', b'', INTRO.split(at)[0] + at, b'', -sig, sig=(sig, at), env=env)
case('100 MiB line', b'ROCK', INTRO + BAD + REQ, EOF, 1, size=100 * MIB)
case('1 GiB line in 200 MiB', b'', INTRO + REQ, b'out of memory\n', 1, size=1 << 30, sh=LIMIT(200 * MIB))
case('2 MiB line in a 100 GiB file', b'x' * 2 * MIB + b'\nrock\nno\n', INTRO + BAD + rounds(b'rock', '2'),
     size=100 << 30, sh=LIMIT(300 * 10**6))
for line in [b'\n', b'x', b'\r\n', b'\nrock\nno\n']:
    case(f'won, then {line}', line, WON, won=True)
case('won, then the end', b'', WON, EOF, 1, won=True)
case('no Bcrypt.dll', b'rock\nno\n', b'', b'could not load: Bcrypt.dll\r\n', 1, wine='only', dlls='bcrypt=d')
case('console', b'', INTRO + rounds(b'paper', '0').replace(b'[>] ', b'[>] PaPeR\n') + b'yes\n' + REQ
     + SIGNALS[SIGINT], b'', 1, wine='only', keys=['PaPeR', 'yes', 'C-c'])

def play(c, command, env):
    """Runs the game as the case says; returns its standard output, standard error and exit code."""
    command, stdout = ['sh', '-c', c['sh'], 'sh', *command] if 'sh' in c else command, subprocess.PIPE
    held = 'sig' in c  # a pipe, left open for the signal
    stdin = subprocess.PIPE if held else open(f'e2e-{os.getpid()}-{threading.get_ident()}.input', 'w+b')
    if not held:  # a file in the build folder, removed once open, with a hole up to its size
        stdin.write(c['input']), stdin.truncate(c.get('size', len(c['input']))), stdin.seek(0), os.remove(stdin.name)
    if c.get('gone'): reader, stdout = os.pipe(); os.close(reader)
    game = subprocess.Popen(command, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE, env=env, bufsize=0)
    if c.get('gone'): os.close(stdout)
    if 'sig' in c: game.stdin.write(c['input'])
    signal, got, deadline = c.get('sig'), {game.stdout: b'', game.stderr: b''}, time.monotonic() + 120
    streams = [stream for stream in got if stream]
    while streams and time.monotonic() < deadline:  # until the game has ended and all it wrote is read
        ended, ready = game.poll() is not None, select.select(streams, [], [], 0.05)[0]
        for stream in ready:
            got[stream] += (chunk := os.read(stream.fileno(), 1 << 16))
            if not chunk: streams.remove(stream)
        if ended and not ready: break  # Wine's helpers may hold the pipes open longer
        if signal and signal[1] in got[game.stdout]: signal = game.send_signal(signal[0])
    game.kill()  # one that took too long ends with -9
    return got[game.stdout], got[game.stderr], game.wait()

def console(c, command):
    """Types the keys at the game's prompts on a console (a tmux pane, where Wine gives it one); returns the screen."""
    tmux = lambda *a: subprocess.run(['tmux', '-L', f'tavik-{os.getpid()}', *a], capture_output=True, text=True).stdout
    screen = lambda: tmux('capture-pane', '-p', '-S', '-').rstrip()
    def until(ready):  # a minute at most
        for _ in range(300):
            if done := ready(): return done
            time.sleep(0.2)
    tmux('-f', os.devnull, 'new-session', '-d', shlex.join(command) + '; echo "exit $?"; sleep 60')
    try:
        for n, key in enumerate(c['keys'], 1):  # once the nth prompt is shown
            if not until(lambda: len(re.findall(r'\[>\]|\[yes/no\] >', screen())) == n): break
            tmux('send-keys', *([key] if key.startswith('C-') else [key, 'Enter']))
        ended = until(lambda: re.search(r'\nexit (\d+)$', screen()))
        return screen()[:ended.start() if ended else None].encode(), b'', ended and int(ended[1])
    finally:
        tmux('kill-server')

def run(name, c, how):
    """The case's differences from what the game did, or ''."""
    wine, started = how[0] == 'wine', time.monotonic()
    if wine:
        command = [a + ';' + c['dlls'] if 'dlls' in c and a.startswith('WINEDLLOVERRIDES=') else a for a in how[1:]]
        got = console(c, command) if 'keys' in c else play(c, command, os.environ)
    else:
        env = dict(os.environ, LD_PRELOAD=how[3], INTERPOSE_GETRANDOM=c.get('rand', DEFAULT), **c.get('env', {}))
        got = play(c, (MEMCHECK if c.get('vg') and how[4] == 'plain' else []) + [how[2 if c.get('won') else 1]], env)
    def shown(text):  # under Wine without pause markers and with any taunt; on a console as the screen shows it
        if wine: text = re.sub(b'|'.join(map(re.escape, TAUNTS)), b'<any taunt>', text.replace(P, b''))
        return b'\n'.join(line.rstrip() for line in text.splitlines()).strip() if 'keys' in c else text
    lines = lambda text: [repr(line)[1:] + '\n' for line in shown(text).splitlines(True)]
    report = [''.join(difflib.unified_diff(lines(c[what]), lines(have), 'expected std' + what, 'actual std' + what))
              for what, have in zip(['out', 'err'], got) if shown(c[what]) != shown(have)]
    report += [f"exit code {got[2]}, expected {c['code']}\n"] * (got[2] != c['code'])
    took, least = time.monotonic() - started, (c['out'] + c['err']).count(P) * wine
    report += [f'ended after {took:.1f} s, before its {least} s of pauses\n'] * (took < least)
    return f'--- {name}: FAILED\n' + ''.join(report) if report else ''

def main(how):
    wine, check = how[0] == 'wine', lambda name: run(name, CASES[name], how)
    skipped = [n for n, c in CASES.items() if not wine and how[4] == 'sanitized' and 'ulimit' in c.get('sh', '')]
    names = [n for n, c in CASES.items() if (c.get('wine') if wine else c.get('wine') != 'only' and n not in skipped)]
    alone = [n for n in names if 'gone' in CASES[n]]  # no other child may hold a copy of the reader
    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        failures = [f for f in [*map(check, alone), *pool.map(check, [n for n in names if n not in alone])] if f]
    print(*failures, f'{len(names) - len(failures)} of {len(names)} cases as expected', sep='\n')
    if skipped: print('left out under the sanitizers, which need more address space:', ', '.join(skipped))
    return 1 if failures else 0

if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
