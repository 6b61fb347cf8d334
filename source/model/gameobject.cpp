#include "model/gameobject.h"

int C_GameObject::GetScaledWidth() const {
    return static_cast<int>(static_cast<float>(width) * scale.x);
}

int C_GameObject::GetScaledHeight() const {
    return static_cast<int>(static_cast<float>(height) * scale.y);
}

Vector2 C_GameObject::GetCentre() const {
    return {static_cast<float>(GetScaledWidth() / 2), static_cast<float>(GetScaledHeight() / 2)};
}

bool C_GameObject::Collide(const C_GameObject& other) const {
    const float ax = position.x;
    const float ay = position.y;
    const float aw = static_cast<float>(GetScaledWidth());
    const float ah = static_cast<float>(GetScaledHeight());
    const float bx = other.position.x;
    const float by = other.position.y;
    const float bw = static_cast<float>(other.GetScaledWidth());
    const float bh = static_cast<float>(other.GetScaledHeight());
    if (bx + bw < ax) {
        return false;
    }
    if (ax + aw < bx) {
        return false;
    }
    if (by + bh < ay) {
        return false;
    }
    if (ay + ah < by) {
        return false;
    }
    return true;
}
