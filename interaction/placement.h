#pragma once

// GLUT passive-motion callback: carries the current piece to the point of the
// plane z = 0 under the cursor (x, y in window pixels), then asks for a redisplay.
void onPassiveMotion(int x, int y);
