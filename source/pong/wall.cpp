#include "pong/wall.h"

namespace {

constexpr int kWallWidth = 800;
constexpr int kWallHeight = 10;

}  // namespace

C_Wall::C_Wall(float x, float y) {
    name = "wall";
    width = kWallWidth;
    height = kWallHeight;
    typeId = OBJECT_WALL;
    SetPosition(x, y);
}
