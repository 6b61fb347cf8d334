#include "model/gamestate.h"

#include <gtest/gtest.h>

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
