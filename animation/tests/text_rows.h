#pragma once

// The overlay's two text rows of a client area `height` pixels high: the rate line takes rows
// 3..12, the credit line height-13..height-4. Their pixels depend on the fonts at hand, so frame
// comparisons leave them out.
inline bool InTextRows(int y, int height) {
    return (y >= 3 && y < 13) || (y >= height - 13 && y < height - 3);
}
