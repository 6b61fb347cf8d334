#include "model/gamestate.h"

#include <iterator>
#include <utility>

HRESULT C_GameState::AddObject(C_GameObject* obj) {
    cursor = objectList.begin();
    while (cursor != objectList.end() && (*cursor)->GetPosition().x < obj->GetPosition().x) {
        ++cursor;
    }
    objectList.insert(cursor, obj);
    return 0;
}

HRESULT C_GameState::RemoveObject(C_GameObject* obj) {
    for (cursor = objectList.begin(); cursor != objectList.end(); ++cursor) {
        if (*cursor == obj) {
            cursor = objectList.erase(cursor);
            return 0;
        }
    }
    return E_FAIL;
}

void C_GameState::CheckCollisions() {
    for (cursor = objectList.begin(); cursor != objectList.end(); ++cursor) {
        for (auto other = std::next(cursor); other != objectList.end(); ++other) {
            C_GameObject* i = *cursor;
            C_GameObject* j = *other;
            // Strict where Collide is inclusive: a pair touching only on this
            // x edge is not reported.
            if (i->GetPosition().x + static_cast<float>(i->GetScaledWidth()) <=
                j->GetPosition().x) {
                break;
            }
            if (i->Collide(*j)) {
                i->OnCollide(j);
                j->OnCollide(i);
            }
            if (i->GetPosition().x > j->GetPosition().x) {
                std::swap(*cursor, *other);
            }
        }
    }
}
