// The registry's record of one texture and the image readers that fill it.
// Used by the registry itself and by its tests.
#pragma once

#include "d3d7.h"

struct TextureEntry {
  TextureEntry* next;
  char name[80];
  DWORD width;
  DWORD height;
  DWORD stage;
  DWORD bitsPerPixel;
  DWORD flags;
  BOOL hasAlpha;
  LPDIRECTDRAWSURFACE7 surface;
  HBITMAP bitmap;
  DWORD* rgba;  // 0xRRGGBBAA, top row first
};

// The registered entry of that name (case-insensitive), or null.
TextureEntry* D3DTextr_FindEntry(const char* name);

// Reads a TGA file (types 2 and 10) into the entry's RGBA data, size and depth.
HRESULT D3DTextr_ReadTarga(const char* path, TextureEntry* entry);

// Images larger than this on either side are refused.
const DWORD kMaxImageSide = 16384;
// Images of more pixels than the largest texture a device takes (2048 x 2048)
// are refused: a few header bytes could otherwise ask for gigabytes, and the
// image, its conversion surface and the texture must fit in memory together.
const DWORD kMaxImagePixels = 2048u * 2048u;
