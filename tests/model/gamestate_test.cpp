#include "model/gamestate.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

class Box : public C_GameObject {
public:
    Box(const char* boxName, float x, float y, int w, int h) {
        name = boxName;
        SetPosition(x, y);
        width = w;
        height = h;
    }
    void OnCollide(C_GameObject* other) override { hits.push_back(other->GetName()); }
    std::vector<std::string> hits;
};

class Screen : public C_GameState {
public:
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}

    std::vector<std::string> Order() const {
        std::vector<std::string> names;
        for (const C_GameObject* obj : GetObjects()) {
            names.push_back(obj->GetName());
        }
        return names;
    }
};

using Names = std::vector<std::string>;

TEST(GameObject, DefaultsAndScaledSize) {
    Box box("b", 0, 0, 25, 25);
    EXPECT_EQ(box.GetName(), "b");
    EXPECT_EQ(box.GetColour(), 0xFFFFFFFFu);
    EXPECT_EQ(box.GetType(), OBJECT_NONE);
    EXPECT_EQ(box.Update(), E_FAIL);
    EXPECT_EQ(box.Render(), E_FAIL);
    box.SetScale(0.5f, 0.5f);
    EXPECT_EQ(box.GetScaledWidth(), 12);
    EXPECT_EQ(box.GetCentre().x, 6.0f);
    box.SetScale(-0.5f, 1.0f);  // truncation is toward zero
    EXPECT_EQ(box.GetScaledWidth(), -12);
}

TEST(GameObject, CollideIsInclusiveOnEverySide) {
    Box a("a", 10, 10, 10, 10);
    const struct {
        float x, y;
        bool collides;
    } cases[] = {
        {20, 10, true}, {21, 10, false},  // right edge
        {0, 10, true},  {-1, 10, false},  // left edge
        {10, 20, true}, {10, 21, false},  // bottom edge
        {10, 0, true},  {10, -1, false},  // top edge
        {20, 20, true}, {15, 15, true},   // corner, inside
    };
    for (const auto& c : cases) {
        Box b("b", c.x, c.y, 10, 10);
        EXPECT_EQ(a.Collide(b), c.collides) << c.x << ", " << c.y;
        EXPECT_EQ(b.Collide(a), c.collides) << c.x << ", " << c.y;
    }
}

TEST(GameState, AddKeepsXOrderWithNewcomersFirstAmongEquals) {
    Screen screen;
    Box a("a", 5, 0, 1, 1), b("b", 1, 0, 1, 1), c("c", 5, 0, 1, 1), d("d", 9, 0, 1, 1);
    for (Box* box : {&a, &b, &c, &d}) {
        EXPECT_EQ(screen.AddObject(box), 0);
    }
    EXPECT_EQ(screen.Order(), (Names{"b", "c", "a", "d"}));
}

TEST(GameState, RemoveReportsStrangers) {
    Screen screen;
    Box a("a", 0, 0, 1, 1), b("b", 1, 0, 1, 1), stranger("s", 0, 0, 1, 1);
    screen.AddObject(&a);
    screen.AddObject(&b);
    EXPECT_EQ(screen.RemoveObject(&stranger), E_FAIL);
    EXPECT_EQ(screen.Order(), (Names{"a", "b"}));
    EXPECT_EQ(screen.RemoveObject(&a), 0);
    EXPECT_EQ(screen.Order(), (Names{"b"}));
    EXPECT_EQ(screen.RemoveObject(&a), E_FAIL);
}

TEST(GameState, SweepReportsEachOverlapOnceBothWaysFirstObjectFirst) {
    Screen screen;
    Box a("a", 0, 0, 10, 10), b("b", 5, 5, 10, 10), far("far", 100, 0, 10, 10);
    screen.AddObject(&a);
    screen.AddObject(&b);
    screen.AddObject(&far);
    screen.CheckCollisions();
    EXPECT_EQ(a.hits, (Names{"b"}));
    EXPECT_EQ(b.hits, (Names{"a"}));
    EXPECT_TRUE(far.hits.empty());
}

TEST(GameState, SweepStopsStrictlyWhereCollideIsInclusive) {
    Screen screen;
    // Sharing the x edge: Collide says yes, the sweep never asks.
    Box a("a", 0, 0, 10, 10), b("b", 10, 0, 10, 10);
    ASSERT_TRUE(a.Collide(b));
    screen.AddObject(&a);
    screen.AddObject(&b);
    screen.CheckCollisions();
    EXPECT_TRUE(a.hits.empty());
    EXPECT_TRUE(b.hits.empty());

    // Sharing only a y edge is reported.
    Screen other;
    Box c("c", 0, 0, 10, 10), d("d", 5, 10, 10, 10);
    other.AddObject(&c);
    other.AddObject(&d);
    other.CheckCollisions();
    EXPECT_EQ(c.hits, (Names{"d"}));
    EXPECT_EQ(d.hits, (Names{"c"}));
}

TEST(GameState, SweepSwapsOvertakingObjectsBackIntoOrder) {
    Screen screen;
    Box a("a", 0, 0, 5, 5), b("b", 10, 0, 5, 5), c("c", 20, 0, 5, 5);
    screen.AddObject(&a);
    screen.AddObject(&b);
    screen.AddObject(&c);
    screen.CheckCollisions();
    EXPECT_EQ(screen.Order(), (Names{"a", "b", "c"}));  // still objects keep order

    // a jumps past b, overlapping it: one swap per visited pair puts it right.
    a.SetPosition(12, 0);
    screen.CheckCollisions();
    EXPECT_EQ(screen.Order(), (Names{"b", "a", "c"}));
    EXPECT_EQ(a.hits, (Names{"b"}));

    // c jumps to the far left: swapped with b when b visits it, after which
    // a visits b and the two trade places too.
    c.SetPosition(-50, 0);
    screen.CheckCollisions();
    EXPECT_EQ(screen.Order(), (Names{"c", "b", "a"}));
}

}  // namespace

namespace {

// A box that moves when it is hit (so the sweep must follow the moves) and
// logs every call, for comparing the sweep with a plain walk of the list.
class Bumper : public C_GameObject {
public:
    Bumper(int idIn, float x, float y, int w, int h, std::vector<std::pair<int, int>>* logIn)
        : id(idIn), log(logIn) {
        name = std::to_string(id);
        SetPosition(x, y);
        width = w;
        height = h;
    }
    void OnCollide(C_GameObject* other) override {
        const int otherId = static_cast<Bumper*>(other)->id;
        log->push_back({id, otherId});
        const float push = static_cast<float>((id * 7 + otherId * 3) % 11) - 5.0f;
        SetPosition(position.x + push, position.y - push / 2.0f);
        if (otherId % 5 == 0) {
            width += 1;
        }
    }
    int id;
    std::vector<std::pair<int, int>>* log;
};

// The sweep as a direct walk of the list.
void ListWalkSweep(std::list<C_GameObject*>* list) {
    for (auto outer = list->begin(); outer != list->end(); ++outer) {
        for (auto inner = std::next(outer); inner != list->end(); ++inner) {
            C_GameObject* i = *outer;
            C_GameObject* j = *inner;
            if (i->GetPosition().x + static_cast<float>(i->GetScaledWidth()) <=
                j->GetPosition().x) {
                break;
            }
            if (i->Collide(*j)) {
                i->OnCollide(j);
                j->OnCollide(i);
            }
            if (i->GetPosition().x > j->GetPosition().x) {
                std::swap(*outer, *inner);
            }
        }
    }
}

class BumperScreen : public Screen {
public:
    std::list<C_GameObject*>& List() { return objectList; }
};

TEST(GameState, TheSweepReportsAndReordersExactlyAsAWalkOfTheList) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        const int count = 5 + static_cast<int>(random() % 60);
        std::vector<std::pair<int, int>> fastLog;
        std::vector<std::pair<int, int>> slowLog;
        std::vector<std::unique_ptr<Bumper>> fast;
        std::vector<std::unique_ptr<Bumper>> slow;
        BumperScreen screen;
        std::list<C_GameObject*> reference;
        for (int id = 0; id < count; ++id) {
            // Whole and half pixels on a small field: many touching edges.
            const float x = static_cast<float>(random() % 200) / 2.0f;
            const float y = static_cast<float>(random() % 100) / 2.0f;
            const int w = 1 + static_cast<int>(random() % 30);
            const int h = 1 + static_cast<int>(random() % 30);
            fast.push_back(std::make_unique<Bumper>(id, x, y, w, h, &fastLog));
            slow.push_back(std::make_unique<Bumper>(id, x, y, w, h, &slowLog));
            screen.AddObject(fast.back().get());
        }
        for (C_GameObject* obj : screen.GetObjects()) {
            reference.push_back(slow[static_cast<size_t>(std::stoi(obj->GetName()))].get());
        }
        for (int round = 0; round < 4; ++round) {
            screen.CheckCollisions();
            ListWalkSweep(&reference);
            ASSERT_EQ(fastLog, slowLog) << seed << " round " << round;
            std::vector<std::string> referenceOrder;
            for (const C_GameObject* obj : reference) {
                referenceOrder.push_back(obj->GetName());
            }
            ASSERT_EQ(screen.Order(), referenceOrder) << seed;
            // Everyone drifts, so the next sweep starts out of order.
            for (int id = 0; id < count; ++id) {
                const float dx = static_cast<float>(random() % 21) - 10.0f;
                for (Bumper* b :
                     {fast[static_cast<size_t>(id)].get(), slow[static_cast<size_t>(id)].get()}) {
                    b->SetPosition(b->GetPosition().x + dx, b->GetPosition().y);
                }
            }
        }
        EXPECT_FALSE(fastLog.empty());
    }
}

}  // namespace
