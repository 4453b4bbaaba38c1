// The texture registry: every texture is known by its file name. Registering
// loads the image (".bmp" or ".tga") into memory once; the device surface is
// made from it whenever a device exists and thrown away when it goes.
#pragma once

#include "d3d7.h"

#define D3DTEXTR_WHITEKEY 0x00000001
#define D3DTEXTR_BLACKKEY 0x00000002
#define D3DTEXTR_32BITSPERPIXEL 0x00000004
#define D3DTEXTR_16BITSPERPIXEL 0x00000008
#define D3DTEXTR_ALPHA 0x00000010

HRESULT D3DTextr_SetTextureFolder(const char* folder);
HRESULT D3DTextr_CreateTextureFromFile(const char* name, DWORD stage = 0, DWORD flags = 0);
HRESULT D3DTextr_CreateBlankTexture(const char* name, DWORD width, DWORD height, DWORD stage = 0,
                                    DWORD flags = 0);
HRESULT D3DTextr_RestoreTexture(const char* name, LPDIRECT3DDEVICE7 device);
HRESULT D3DTextr_RestoreAll(LPDIRECT3DDEVICE7 device);
HRESULT D3DTextr_InvalidateTexture(const char* name);
HRESULT D3DTextr_InvalidateAll();
HRESULT D3DTextr_DestroyTexture(const char* name);
LPDIRECTDRAWSURFACE7 D3DTextr_GetSurface(const char* name);
