#pragma once

// The overlay's text rows (rate line 3..12, credit line height-13..height-4): their pixels
// depend on the fonts at hand, so frame comparisons leave them out.
inline bool InTextRows(int y, int height) {
    return (y >= 3 && y < 13) || (y >= height - 13 && y < height - 3);
}
