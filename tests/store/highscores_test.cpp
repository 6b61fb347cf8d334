#include "store/highscores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "store/playername.h"

namespace {

TEST(HighScores, EachGameEntersAtItsPlaceAndTheEleventhDropsOut) {
    // Against a plain model: every game so far, best first, the older first
    // on a tie, cut to ten.
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        C_HighScores table(nullptr);
        std::vector<std::pair<int, int>> model;  // score, order of arrival
        for (int game = 0; game < 40; ++game) {
            const int score = static_cast<int>(random() % 12) * 100;
            model.emplace_back(score, game);
            std::stable_sort(model.begin(), model.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            const auto at = std::find(model.begin(), model.end(), std::make_pair(score, game));
            const int expected = at - model.begin() < C_HighScores::kPlaces
                                     ? static_cast<int>(at - model.begin()) + 1
                                     : 0;
            if (model.size() > static_cast<size_t>(C_HighScores::kPlaces)) {
                model.pop_back();
            }
            ASSERT_EQ(table.PlaceFor(score), expected);
            ASSERT_EQ(table.Insert({std::to_string(game), score, 0, 0, 0, "2024-01-01", ""}),
                      expected);
            ASSERT_EQ(table.GetEntries().size(), model.size());
            for (size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(table.GetEntries()[i].name, std::to_string(model[i].second));
            }
        }
    }
}

TEST(HighScores, NamesAreSanitisedAndDatesFilledIn) {
    struct Case {
        const char* given;
        const char* kept;
    };
    const Case cases[] = {
        {"Ada", "Ada"},
        {"  spaced  out  ", "spaced  out"},
        {"tab\there\nnewline", "tabherenewline"},
        {"a very long name that goes on", "a very long name"},
        {"fifteen chars  x", "fifteen chars  x"},
        {"\xc3\xa9l\xc3\xa8ve \xe2\x82\xac", "\xc3\xa9l\xc3\xa8ve \xe2\x82\xac"},
        {"bad \xff\xc0\xaf utf8", "bad  utf8"},
        {"\x7f\xc2\x85", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SanitisePlayerName(c.given), c.kept) << c.given;
        EXPECT_EQ(SanitisePlayerName(c.kept), c.kept);
    }
    C_HighScores table(nullptr);
    ASSERT_EQ(table.Insert({"\t", 5, 0, 0, 0, "yesterday", ""}), 1);
    EXPECT_EQ(table.GetEntries()[0].name, C_HighScores::kNoName);
    EXPECT_EQ(table.GetEntries()[0].date, C_HighScores::Today());
}

}  // namespace
