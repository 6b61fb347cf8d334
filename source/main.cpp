#include "shell/game.h"

int main() {
    return GameMain();
}
