#include "store/highscores.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <sstream>

#include "store/playername.h"

namespace {

// "place.1" to "place.10"; the value is "score level rows pieces date name",
// the name last because it may hold spaces.
constexpr const char* kPlacePrefix = "place.";
constexpr const char* kReplayPrefix = "replay.";
constexpr std::size_t kMaxReplayNameBytes = 64;
constexpr int kNumbers = 4;
constexpr std::size_t kDateLength = 10;

std::string PlaceKey(int place) {
    return kPlacePrefix + std::to_string(place);
}

std::string ReplayKey(int place) {
    return kReplayPrefix + std::to_string(place);
}

// A plain file name in one folder: no way out of it, nothing hidden.
bool IsReplayName(const std::string& text) {
    return !text.empty() && text.size() <= kMaxReplayNameBytes && text[0] != '.' &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
           });
}

// A plain non-negative decimal that fits an int.
bool ParseCount(const std::string& text, int& out) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0') ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const long long value = std::stoll(text);
    out = static_cast<int>(value);
    return value <= INT_MAX;
}

bool IsDate(const std::string& text) {
    if (text.size() != kDateLength || text[4] != '-' || text[7] != '-') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool ParseGame(const std::string& value, HighScore& game) {
    std::istringstream in(value);
    std::string numbers[kNumbers];
    std::string date;
    for (std::string& number : numbers) {
        in >> number;
    }
    in >> date;
    int* const fields[kNumbers] = {&game.score, &game.startingLevel, &game.rows, &game.piecesPiped};
    for (int i = 0; i < kNumbers; ++i) {
        if (!ParseCount(numbers[i], *fields[i])) {
            return false;
        }
    }
    if (!IsDate(date) || in.get() != ' ') {
        return false;
    }
    std::string rest;
    std::getline(in, rest);
    game.date = date;
    game.name = SanitisePlayerName(rest);
    return !game.name.empty();
}

std::string WriteGame(const HighScore& game) {
    return std::to_string(game.score) + " " + std::to_string(game.startingLevel) + " " +
           std::to_string(game.rows) + " " + std::to_string(game.piecesPiped) + " " + game.date +
           " " + game.name;
}

}  // namespace

C_HighScores::C_HighScores(LineSink sink)
    : C_StoreFile(platform::UserFolder::Data, kFileName, kKind, kVersion, std::move(sink)) {}

int C_HighScores::PlaceFor(int score) const {
    // Below every entry scoring as much: the older stays above.
    const auto above =
        std::count_if(entries.begin(), entries.end(),
                      [score](const HighScore& entry) { return entry.score >= score; });
    return above < kPlaces ? static_cast<int>(above) + 1 : 0;
}

int C_HighScores::Insert(HighScore game) {
    const int place = PlaceFor(game.score);
    if (place == 0) {
        return 0;
    }
    game.name = SanitisePlayerName(game.name);
    if (game.name.empty()) {
        game.name = kNoName;
    }
    if (!IsDate(game.date)) {
        game.date = Today();
    }
    entries.insert(entries.begin() + (place - 1), std::move(game));
    if (entries.size() > static_cast<std::size_t>(kPlaces)) {
        entries.pop_back();
    }
    return place;
}

std::string C_HighScores::Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[kDateLength + 1] = {};
    if (localtime_r(&now, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d", &local) != kDateLength) {
        return "2000-01-01";
    }
    return text;
}

void C_HighScores::Reset() {
    entries.clear();
}

void C_HighScores::Take(const C_RecordFile& file) {
    for (int place = 1; place <= kPlaces; ++place) {
        const C_RecordFile::Entry* entry = file.Find(PlaceKey(place));
        HighScore game;
        if (entry == nullptr) {
            continue;
        }
        if (!ParseGame(entry->value, game)) {
            Skip(*entry, "\"" + entry->key + "\" is not \"score level rows pieces date name\"");
            continue;
        }
        if (const C_RecordFile::Entry* replay = file.Find(ReplayKey(place))) {
            if (IsReplayName(replay->value)) {
                game.replay = replay->value;
            } else {
                Skip(*replay, "\"" + replay->key + "\" is not the name of a replay");
            }
        }
        entries.push_back(std::move(game));
    }
    // A table edited out of order is put back in order; equal scores keep
    // their places, the older above.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const HighScore& a, const HighScore& b) { return a.score > b.score; });
}

void C_HighScores::Give(C_RecordFile& file) const {
    for (int place = 1; place <= kPlaces; ++place) {
        const auto index = static_cast<std::size_t>(place - 1);
        if (index < entries.size()) {
            file.Set(PlaceKey(place), WriteGame(entries[index]));
        } else {
            file.Remove(PlaceKey(place));
        }
        if (index < entries.size() && IsReplayName(entries[index].replay)) {
            file.Set(ReplayKey(place), entries[index].replay);
        } else {
            file.Remove(ReplayKey(place));
        }
    }
}

bool C_HighScores::Knows(const std::string& key) const {
    for (int place = 1; place <= kPlaces; ++place) {
        if (key == PlaceKey(place) || key == ReplayKey(place)) {
            return true;
        }
    }
    return false;
}
