#pragma once

// A rectangle of the screen, in screen pixels, right and bottom edges outside:
// where a screen writes text over its picture, or takes a click.
struct TextBox {
    int left;
    int top;
    int right;
    int bottom;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int CentreX() const { return (left + right) / 2; }
    int CentreY() const { return (top + bottom) / 2; }
};
