#pragma once

#include <list>
#include <memory>

#include "model/gamestate.h"

class C_Ball;
class C_Mp3;
class C_Sprite;
class C_Wall;

// Bouncing balls with music: each frame Up is held drops a new ball, each
// frame Down is held takes the oldest away, and the tune starts with the
// first ball of a visit. F1 goes to demo A, Escape to the menu.
class C_DemoB : public C_GameState {
public:
    C_DemoB();
    // Every ball goes with the demo, and the tune stops.
    ~C_DemoB() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    const std::list<std::unique_ptr<C_Ball>>& GetBalls() const { return ballList; }
    C_Mp3* GetMusic() const { return music.get(); }
    C_Wall* GetFloor() const { return floor.get(); }

private:
    std::list<std::unique_ptr<C_Ball>> ballList;
    std::unique_ptr<C_Wall> floor;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Mp3> music;
    int musicPending = 1;
};
