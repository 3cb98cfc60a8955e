"""What the end-to-end table plays: the game's command, and on Linux what goes with it."""


def pytest_addoption(parser):
    parser.addoption("--game", nargs="+", required=True, help="the command that starts the game")
    parser.addoption("--won-round", help="the game's start-up followed by the won round")
    parser.addoption("--interposer", help="the library preloaded for the pauses and random source")
    parser.addoption("--sanitized", action="store_true", help="the game has the sanitizers in it")
    parser.addoption("--windows", action="store_true", help="the game is tavik.exe under Wine")
    parser.addoption(
        "--emulator", nargs="+", default=[], help="qemu-user, for programs of another architecture"
    )
