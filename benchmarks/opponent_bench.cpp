// Strength and speed of the computer opponent: at each strength, seeded
// single-player games played headless through a quiet round at 75 frames a
// second of game time, each frame the opponent's commands, an update and a
// per-draw step. Prints survival time and score per strength, and the wall
// time of each choice of a place at every strength.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/wave.h"
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "unattended.h"
#include "versus/opponent.h"

namespace {

// The thread's own processor time: a choice's cost without the time other
// processes of a busy machine take from it.
double ThreadMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

constexpr int kFramesPerSecond = 75;
constexpr float kFrameTime = 1.0f / kFramesPerSecond;
// A middle level: fast enough that slow hands lose shapes to the fall, slow
// enough that a good player lasts minutes.
constexpr int kLevel = 5;
// A game that never ends stops here.
constexpr int kCapSeconds = 3600;

struct Game {
    double seconds;
    int score;
    int rows;
    bool capped;
};

Game PlayGame(OpponentStrength strength, unsigned seed, std::vector<double>* decisionMicros) {
    RoundSettings settings;
    settings.seed = seed;
    settings.level = kLevel;
    settings.quiet = true;
    C_Round round(settings);
    C_Opponent opponent(strength);
    round.Command(COMMAND_START);
    int frame = 0;
    for (; frame < kCapSeconds * kFramesPerSecond && round.mode != MODE_GAMEOVER; ++frame) {
        const float gameTime = static_cast<float>(frame + 1) * kFrameTime;
        const int before = opponent.Decisions();
        const double start = ThreadMicros();
        opponent.Play(&round, gameTime, 0);
        const double end = ThreadMicros();
        if (opponent.Decisions() != before) {
            decisionMicros->push_back(end - start);
        }
        round.Update(gameTime);
        round.DrawStep();
    }
    return {frame * static_cast<double>(kFrameTime), round.board->score, round.board->rowsCleared,
            round.mode != MODE_GAMEOVER};
}

template <typename T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    const int& reports = RunUnattended();
    const unsigned games = argc > 1 ? static_cast<unsigned>(std::max(atoi(argv[1]), 1)) : 20;
    // A second argument plays that strength alone (0 easy, 1 medium, 2 hard).
    const int only = argc > 2 ? atoi(argv[2]) : -1;
    const char* names[] = {"easy", "medium", "hard"};
    const OpponentStrength strengths[] = {STRENGTH_EASY, STRENGTH_MEDIUM, STRENGTH_HARD};

    std::printf("%u games per strength at level %d, %d frames a second, capped at %d s\n", games,
                kLevel, kFramesPerSecond, kCapSeconds);
    std::printf("%-7s %12s %12s %10s %10s %9s %7s | %s\n", "", "mean time s", "median s",
                "mean score", "median", "mean rows", "capped", "choice CPU us: median p99 max (n)");
    double meanSeconds[3] = {};
    for (int s = 0; s < 3; ++s) {
        if (only >= 0 && s != only) {
            continue;
        }
        std::vector<double> seconds;
        std::vector<int> scores;
        std::vector<double> decisionMicros;
        double rows = 0;
        int capped = 0;
        for (unsigned seed = 1; seed <= games; ++seed) {
            const Game game = PlayGame(strengths[s], seed, &decisionMicros);
            seconds.push_back(game.seconds);
            scores.push_back(game.score);
            rows += game.rows;
            capped += game.capped ? 1 : 0;
        }
        double total = 0;
        double totalScore = 0;
        for (unsigned g = 0; g < games; ++g) {
            total += seconds[g];
            totalScore += scores[g];
        }
        meanSeconds[s] = total / games;
        std::printf("%-7s %12.1f %12.1f %10.0f %10d %9.1f %7d | %.0f %.0f %.0f (%zu)\n", names[s],
                    meanSeconds[s], Median(seconds), totalScore / games, Median(scores),
                    rows / games, capped, Median(decisionMicros), Percentile(decisionMicros, 0.99),
                    *std::max_element(decisionMicros.begin(), decisionMicros.end()),
                    decisionMicros.size());
    }
    std::printf("hard survives %.1f times as long as easy on average\n",
                meanSeconds[2] / meanSeconds[0]);
    if (reports > 0) {
        std::printf("(%d error reports answered No: sounds missing from ./wavs/?)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return 0;
}
