// What the game writes, as the end-to-end tests expect it: the persona's texts,
// the reports that end the process, and the pieces a transcript is built of.
//
// Pauses and the system random source come from the preloaded interposer
// (interpose.c): a pause leaves "<pause 1000 ms>" in the transcript and
// returns at once, and each test scripts the 16 seed bytes, so that the taunts
// are known in advance.
#pragma once

#include <string>

#include "harness.h"

namespace e2e {

// ---- What the persona says --------------------------------------------------

inline const char* const introductionLines[] = {
    "[#] Hi! I'm Tavik, the Telepathic Computer Program.",
    "[#] Let's play Rock, Paper, Scissors!",
    "[#] I should warn you ahead of time, though.",
    "[#] As I previously mentioned, I'm telepathic. So I can read your mind.",
    "[#] You won't end up beating me.",
    "[#] Still want to play? Alright, you've been warned!",
};
inline const char* const countdownLines[] = {
    "[#] Ready?", "[#] ROCK", "[#] PAPER", "[#] SCISSORS", "[#] SHOOT!",
};
inline const char* const taunts[] = {
    "[#] I warned you!",
    "[#] What's so hard to understand? I. CAN. READ. MINDS.",
    "[#] Keep trying! I've got all day.",
};
inline const std::string moveRequestLine = "[#] Enter your choice (rock, paper, scissors): ";
inline const std::string movePrompt = "[>] ";
inline const std::string invalidMoveLine =
    "Invalid choice. Please choose rock, paper, or scissors.";
inline const std::string choiceMadeLine = "[#] I've made my choice! Now let's play!";
inline const std::string computerMovePrefix = "[#] I chose: ";
inline const std::string playerMovePrefix = "[#] You chose: ";
inline const std::string gloatLine = "[#] I win!";
inline const std::string playAgainLine = "[?] Do you want to play again? (yes/no)";
inline const std::string playAgainPrompt = "[yes/no] > ";
// "??" and "!" apart, so that no compiler reads a trigraph.
inline const std::string defeatLines =
    "[#] You won!\n[#] Wait, how did you do that??" "!! Cheater! CHEATER!!!!!!";
inline const std::string revealPrefix = "[+] ";
inline const std::string concealedMessage = "Fine, you win. I never read any minds.";
inline const std::string finalPrompt = "[+] Press enter to quit [>] ";

// ---- What ends the process abnormally ----------------------------------------

// A raise site is padded to 25 columns: "io(153)" or "io(156)" and 18 blanks.
inline const std::string endOfInputReport = "io(156)" + std::string(18, ' ') +
                                            "raiseEOF\n"
                                            "Error: unhandled exception: EOF reached [EOFError]\n";
// An input or output failure with its message.
std::string ioErrorReport(const std::string& message);
inline const std::string writeFailureReport = ioErrorReport("cannot write string to file");
inline const std::string interruptReport = "SIGINT: Interrupted by Ctrl-C.\n";
inline const std::string seedingFailureReport =
    "Failed to initializes baseState in random module as sysrand.urandom doesn't work.\n";
inline const std::string outOfMemoryReport = "out of memory\n";

// ---- Seeds, as 16 bytes from the system random source --------------------------

// The generator's default state (s0 0x69B4C98CB8530805, s1 0xD1DD3004688D67CA),
// little-endian: its taunts are at indices 2, 0, 2.
inline const std::string defaultStateSeed = "050853B88CC9B469CA678D680430DDD1";
// s0 = 1, s1 = 0: a state with one zero word is a valid seed.
inline const std::string seedOne = "01000000000000000000000000000000";

// ---- Transcript pieces ------------------------------------------------------

inline const std::string pauseMarker = "<pause 1000 ms>\n";

inline std::string line(const std::string& text) { return text + "\n"; }

// `count` pause markers, as they show on standard error with INTERPOSE_MARKERS=stderr.
std::string pauses(int count);

// `pause` is what a pause leaves in the transcript: the marker, or nothing
// when the pauses are real.
std::string introduction(const std::string& pause = pauseMarker);
// The pauses of the introduction.
inline constexpr int introductionPauses = 5;

// The move request and its prompt; the player's line is read after it.
std::string moveRequest();

// After a line that is not a move: the message and a new request, no pause.
std::string invalidMove();

// A round from the computer's choice to the play-again prompt.
std::string lostRound(const std::string& player, const std::string& computer, int taunt);
// The pauses of a lost round: five in the countdown, four after the reveal.
inline constexpr int lostRoundPauses = 9;

std::string wonRound();

// ---- Running ----------------------------------------------------------------

// The program with the interposer preloaded and the random source scripted.
Launch interposed(const char* program, const std::string& input, const std::string& randomScript);

// The game with the given input and 16 seed bytes (hexadecimal).
Launch game(const std::string& input, const std::string& seed = defaultStateSeed);

// Standard output, standard error and exit code are exactly these (and the
// child was not killed for taking too long).
void expectTranscript(const Outcome& outcome, const std::string& output,
                      const std::string& errors, int exitCode);

}  // namespace e2e
