#pragma once

#include <string>
#include <vector>

#include "store/storefile.h"

// One finished puzzle game in the table.
struct HighScore {
    std::string name;
    int score = 0;
    int startingLevel = 0;
    int rows = 0;
    int piecesPiped = 0;
    // YYYY-MM-DD, the player's local date.
    std::string date;
    // The file name of the game's replay on the player's shelf; empty for
    // none (a game entered before replays were kept).
    std::string replay;
};

// The ten best puzzle games, best first, kept in the data folder's
// scores.txt. Of two equal scores the older stays above. Each place's replay
// is named beside it ("replay.3"); a file without those names none.
class C_HighScores : public C_StoreFile {
public:
    explicit C_HighScores(LineSink sink);

    // The place, 1 to kPlaces, a game with `score` would take; 0 for none.
    int PlaceFor(int score) const;
    // Enters the game with its name sanitised (kNoName if nothing is left)
    // and returns its place, or 0 when it does not make the table; the game
    // it pushes past the last place drops out.
    int Insert(HighScore game);
    const std::vector<HighScore>& GetEntries() const { return entries; }

    // Today's date in the form the table keeps.
    static std::string Today();

    static constexpr int kPlaces = 10;
    static constexpr const char* kNoName = "Player";
    static constexpr const char* kFileName = "scores.txt";
    static constexpr const char* kKind = "tubrix-scores";
    static constexpr int kVersion = 1;

protected:
    void Reset() override;
    void Take(const C_RecordFile& file) override;
    void Give(C_RecordFile& file) const override;
    bool Knows(const std::string& key) const override;

private:
    std::vector<HighScore> entries;
};
