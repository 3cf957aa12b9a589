// Bitmap 281, the images of the symbol selection tree (selectimages.py writes it).
#pragma once

extern const unsigned char g_SelectImagesBitmap[1128];
