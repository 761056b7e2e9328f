#pragma once

#include "platform/types.h"

// The program's pixel art, decoded once on first use and kept for the life
// of the program, so windows may hold pointers to it.
namespace kelvory::assets {

const Bitmap& angler(int frame);      // 0..6, 50 x 48, key black
const Bitmap& floatFrame(int frame);  // 0..5, key black
const Bitmap& fish(int species);      // catalogue order, 36 x 36, key RGB(255,0,180)
const Bitmap& emptyHook();            // 36 x 36, key RGB(255,0,255)
const Bitmap& balloonCap(int cap);    // 0..3, key red
const Bitmap& powerBar();
const Bitmap& historySprite(int species);  // catalogue order
const Bitmap& icon();
const Bitmap& certificate();

// Decodes an XPM picture with one character per pixel and "c #RRGGBB"
// colours. Throws std::invalid_argument on anything else.
Bitmap DecodeXpm(const char* const* xpm);

}  // namespace kelvory::assets
