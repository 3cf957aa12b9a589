// Bitmap 130, the state images of the program-images list (stateimages.py writes it).
#pragma once

extern const unsigned char g_StateImagesBitmap[360];
