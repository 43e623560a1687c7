// What every picture a reader produced must be: a bitmap block of the size
// its header declares, with rows that can be read and drawn.
#pragma once

class CImage;

// Checks the bitmap that reading left in `image`, if any, and draws it as the
// frame display would. Aborts on anything amiss.
void CheckBitmap(CImage& image);
