#pragma once

#include <cstdint>
#include <string>

#include "core/hresult.h"
#include "model/vector2.h"

// What kind of object a C_GameObject is; OnCollide reads it to decide how to react.
enum ObjectType {
    OBJECT_NONE = 0,
    OBJECT_BALL = 1,
    OBJECT_WALL = 2,
    OBJECT_PONGBALL = 3,
    OBJECT_PADDLE = 4,
    OBJECT_TETROMINO = 5,
    OBJECT_PIECE = 6,
    OBJECT_GAMEBOARD = 7,
};

// Anything with a position and a size that may be drawn, updated and collided.
class C_GameObject {
public:
    C_GameObject() = default;
    virtual ~C_GameObject() = default;
    C_GameObject(const C_GameObject&) = delete;
    C_GameObject& operator=(const C_GameObject&) = delete;

    // Reserved; nothing overrides it.
    virtual HRESULT Reserved() { return E_FAIL; }
    virtual HRESULT Update() { return E_FAIL; }
    virtual HRESULT Render() { return E_FAIL; }
    virtual void OnCollide(C_GameObject* other) { (void)other; }

    void SetPosition(float x, float y) { position = {x, y}; }
    Vector2 GetPosition() const { return position; }
    void SetScale(float x, float y) { scale = {x, y}; }
    Vector2 GetScale() const { return scale; }
    void SetRotationCentre(float x, float y) { rotationCentre = {x, y}; }
    Vector2 GetRotationCentre() const { return rotationCentre; }
    void SetVelocity(float x, float y) { velocity = {x, y}; }
    Vector2 GetVelocity() const { return velocity; }
    void SetRotation(float radians) { rotation = radians; }
    float GetRotation() const { return rotation; }
    void SetColour(uint32_t argb) { colour = argb; }
    uint32_t GetColour() const { return colour; }
    int GetType() const { return typeId; }
    std::string GetName() const { return name; }

    // Width and height times the scale, truncated toward zero.
    int GetScaledWidth() const;
    int GetScaledHeight() const;
    // Half the scaled size, halved as integers: the middle to rotate about.
    Vector2 GetCentre() const;

    // Box overlap, inclusive on all four sides: touching boxes collide.
    bool Collide(const C_GameObject& other) const;

protected:
    std::string name = "default";
    Vector2 rotationCentre;
    Vector2 position;
    Vector2 scale{1.0f, 1.0f};
    Vector2 velocity;
    float rotation = 0.0f;
    uint32_t colour = 0xFFFFFFFF;
    int width = 0;
    int height = 0;
    int typeId = OBJECT_NONE;
};
