#include "d3dframe/d3dtextr.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "d3dframe/d3dtextr_entry.h"
#include "d3dframe/d3dutil.h"
#include "port.h"

namespace {

TextureEntry* g_textureList = nullptr;
char g_textureFolder[512] = "";
char g_mediaFolder[512] = "";

const size_t kNameSize = sizeof(TextureEntry::name);
const size_t kPathSize = 256;

FILE* OpenForReading(const char* path) {
  return std::fopen(Port_FilePath(path).c_str(), "rb");
}

// The media folder from the system registry, or empty when it is not set.
const char* MediaFolder() {
  g_mediaFolder[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    DWORD type;
    DWORD size = sizeof(g_mediaFolder);
    if (RegQueryValueExA(key, "DXSDK Samples Path", nullptr, &type,
                         reinterpret_cast<BYTE*>(g_mediaFolder), &size) == ERROR_SUCCESS) {
      g_mediaFolder[sizeof(g_mediaFolder) - 1] = '\0';
      size_t used = std::strlen(g_mediaFolder);
      const char* suffix = "\\D3DIM\\Media\\";
      if (used + std::strlen(suffix) < sizeof(g_mediaFolder))
        std::strcat(g_mediaFolder, suffix);
      else
        g_mediaFolder[0] = '\0';
    } else {
      g_mediaFolder[0] = '\0';
    }
    RegCloseKey(key);
  }
  return g_mediaFolder;
}

// Joins folder and name into the 256-byte path; false when they do not fit.
bool BuildPath(char* path, const char* folder, const char* name) {
  size_t folderLength = std::strlen(folder);
  size_t nameLength = std::strlen(name);
  if (folderLength + nameLength >= kPathSize) return false;
  std::memcpy(path, folder, folderLength);
  std::memcpy(path + folderLength, name, nameLength + 1);
  return true;
}

// ------------------------------------------------------------------ TGA reader

int ReadByte(FILE* file) {
  int c = std::getc(file);
  return c == EOF ? 0xFF : c;  // bytes past the end of the file count as 255
}

DWORD ReadPixel(FILE* file, DWORD depth) {
  DWORD b = ReadByte(file);
  DWORD g = ReadByte(file);
  DWORD r = ReadByte(file);
  DWORD a = depth == 32 ? static_cast<DWORD>(ReadByte(file)) : 0xFFu;
  return (r << 24) | (g << 16) | (b << 8) | a;
}

// ------------------------------------------------------------------ loading

HRESULT LoadTextureImage(TextureEntry* entry) {
  HBITMAP resource = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), entry->name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (resource) {
    entry->bitmap = resource;
    return S_OK;
  }

  // A folder and name that do not fit the path buffer are refused, not cut.
  char path[kPathSize];
  if (!BuildPath(path, g_textureFolder, entry->name)) return DDERR_NOTFOUND;
  FILE* file = OpenForReading(path);
  if (!file) {
    if (!BuildPath(path, MediaFolder(), entry->name)) return DDERR_NOTFOUND;
    file = OpenForReading(path);
    if (!file) return DDERR_NOTFOUND;
  }
  std::fclose(file);

  const char* extension = std::strrchr(entry->name, '.');
  if (!extension) return E_NOTIMPL;
  if (!lstrcmpiA(extension, ".bmp")) {
    entry->bitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, Port_FilePath(path).c_str(), IMAGE_BITMAP, 0, 0,
                                        LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    return entry->bitmap ? S_OK : DDERR_NOTFOUND;
  }
  if (!lstrcmpiA(extension, ".tga")) return D3DTextr_ReadTarga(path, entry);
  return E_NOTIMPL;
}

void DestroyEntry(TextureEntry* entry) {
  if (entry->surface) entry->surface->Release();
  entry->surface = nullptr;
  delete[] entry->rgba;
  entry->rgba = nullptr;
  if (entry->bitmap) DeleteObject(entry->bitmap);
  entry->bitmap = nullptr;
  if (g_textureList == entry) {
    g_textureList = entry->next;
  } else {
    for (TextureEntry* e = g_textureList; e; e = e->next) {
      if (e->next == entry) {
        e->next = entry->next;
        break;
      }
    }
  }
  delete entry;
}

TextureEntry* NewEntry(const char* name, DWORD stage, DWORD flags) {
  TextureEntry* entry = new (std::nothrow) TextureEntry();
  if (!entry) return nullptr;
  std::memcpy(entry->name, name, std::strlen(name) + 1);
  entry->stage = stage;
  entry->flags = flags;
  entry->next = g_textureList;
  g_textureList = entry;
  return entry;
}

// Frees every entry when the program ends.
struct RegistryCleanup {
  ~RegistryCleanup() {
    while (g_textureList) DestroyEntry(g_textureList);
  }
} g_registryCleanup;

// ------------------------------------------------------------------ formats

struct TextureSearch {
  DWORD desiredBits;
  BOOL wantPalette;
  BOOL wantAlpha;
  BOOL found;
  DDPIXELFORMAT* format;
};

HRESULT CALLBACK TextureFormatSearch(DDPIXELFORMAT* format, void* context) {
  TextureSearch* search = static_cast<TextureSearch*>(context);
  if (!format || !search) return DDENUMRET_OK;
  if (format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) return DDENUMRET_OK;
  if (search->wantPalette) {
    if (!(format->dwFlags & DDPF_PALETTEINDEXED8)) return DDENUMRET_OK;
  } else {
    if (format->dwRGBBitCount < 16) return DDENUMRET_OK;
    if (format->dwFourCC) return DDENUMRET_OK;
    if (format->dwRGBAlphaBitMask == 0x0000F000) return DDENUMRET_OK;
    if ((format->dwFlags & DDPF_ALPHAPIXELS) && !search->wantAlpha) return DDENUMRET_OK;
    if (!(format->dwFlags & DDPF_ALPHAPIXELS) && search->wantAlpha) return DDENUMRET_OK;
    if (format->dwRGBBitCount != search->desiredBits) return DDENUMRET_OK;
  }
  std::memcpy(search->format, format, sizeof(DDPIXELFORMAT));
  search->found = TRUE;
  return DDENUMRET_CANCEL;
}

// The lowest set bit's position and the width from it to the highest set bit.
void MaskShifts(DWORD mask, DWORD* left, DWORD* right) {
  if (!mask) {
    *left = 0;
    *right = 8;
    return;
  }
  DWORD low = 0;
  while (!(mask & (1u << low))) ++low;
  DWORD high = 31;
  while (!(mask & (1u << high))) --high;
  DWORD width = high - low + 1;
  *left = low;
  *right = width >= 8 ? 0 : 8 - width;
}

HRESULT LockWhileBusy(LPDIRECTDRAWSURFACE7 surface, DDSURFACEDESC2* desc) {
  HRESULT hr;
  while ((hr = surface->Lock(nullptr, desc, 0, nullptr)) == DDERR_SURFACEBUSY) {
  }
  return hr;
}

HRESULT CreateTemporarySurface(LPDIRECTDRAWSURFACE7 texture, DWORD width, DWORD height,
                               LPDIRECTDRAWSURFACE7* temporary) {
  LPDIRECTDRAW7 directDraw = nullptr;
  texture->GetDDInterface(reinterpret_cast<LPVOID*>(&directDraw));
  if (!directDraw) return E_FAIL;
  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc);
  texture->GetSurfaceDesc(&desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  desc.ddsCaps.dwCaps2 = 0;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.lPitch = 0;
  desc.lpSurface = nullptr;
  HRESULT hr = directDraw->CreateSurface(&desc, temporary, nullptr);
  directDraw->Release();
  return hr;
}

HRESULT CopyBitmapToSurface(TextureEntry* entry) {
  LPDIRECTDRAWSURFACE7 texture = entry->surface;
  BITMAP bm;
  GetObjectA(entry->bitmap, sizeof(BITMAP), &bm);

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc);
  texture->GetSurfaceDesc(&desc);
  LPDIRECTDRAWSURFACE7 temporary = nullptr;
  HRESULT hr = CreateTemporarySurface(texture, bm.bmWidth, bm.bmHeight, &temporary);
  if (FAILED(hr)) return hr;

  HDC bitmapDC = CreateCompatibleDC(nullptr);
  if (!bitmapDC) {
    temporary->Release();
    return E_FAIL;
  }
  SelectObject(bitmapDC, entry->bitmap);

  // Palettised textures take the bitmap's colour table, the key as alpha.
  if (desc.ddpfPixelFormat.dwRGBBitCount == 8) {
    RGBQUAD colours[256];
    PALETTEENTRY entries[256];
    std::memset(entries, 0, sizeof(entries));
    UINT count = GetDIBColorTable(bitmapDC, 0, 256, colours);
    for (UINT i = 0; i < count && i < 256; ++i) {
      entries[i].peRed = colours[i].rgbRed;
      entries[i].peGreen = colours[i].rgbGreen;
      entries[i].peBlue = colours[i].rgbBlue;
      entries[i].peFlags = 0;
      bool black = !colours[i].rgbRed && !colours[i].rgbGreen && !colours[i].rgbBlue;
      bool white =
          colours[i].rgbRed == 255 && colours[i].rgbGreen == 255 && colours[i].rgbBlue == 255;
      if ((entry->flags & D3DTEXTR_BLACKKEY) && !black) entries[i].peFlags = 0xFF;
      if ((entry->flags & D3DTEXTR_WHITEKEY) && !white) entries[i].peFlags = 0xFF;
    }
    DWORD paletteCaps = DDPCAPS_8BIT | DDPCAPS_ALLOW256;
    if (entry->flags & (D3DTEXTR_WHITEKEY | D3DTEXTR_BLACKKEY)) paletteCaps |= DDPCAPS_ALPHA;
    LPDIRECTDRAW7 directDraw = nullptr;
    texture->GetDDInterface(reinterpret_cast<LPVOID*>(&directDraw));
    if (directDraw) {
      LPDIRECTDRAWPALETTE palette = nullptr;
      if (SUCCEEDED(directDraw->CreatePalette(paletteCaps, entries, &palette, nullptr))) {
        temporary->SetPalette(palette);
        texture->SetPalette(palette);
        palette->Release();
      }
      directDraw->Release();
    }
  }

  HDC surfaceDC;
  if (SUCCEEDED(temporary->GetDC(&surfaceDC))) {
    BitBlt(surfaceDC, 0, 0, bm.bmWidth, bm.bmHeight, bitmapDC, 0, 0, SRCCOPY);
    temporary->ReleaseDC(surfaceDC);
  }
  DeleteDC(bitmapDC);

  texture->Blt(nullptr, temporary, nullptr, DDBLT_WAIT, nullptr);
  temporary->Release();

  // Key colour to alpha: keyed texels transparent, all others opaque.
  if (desc.ddpfPixelFormat.dwRGBAlphaBitMask &&
      (entry->flags & (D3DTEXTR_WHITEKEY | D3DTEXTR_BLACKKEY))) {
    D3DKit_InitSurfaceDesc(desc);
    LockWhileBusy(texture, &desc);
    DWORD alphaMask = desc.ddpfPixelFormat.dwRGBAlphaBitMask;
    DWORD rgbMask = desc.ddpfPixelFormat.dwRBitMask | desc.ddpfPixelFormat.dwGBitMask |
                    desc.ddpfPixelFormat.dwBBitMask;
    DWORD keyValue = (entry->flags & D3DTEXTR_WHITEKEY) ? rgbMask : 0;
    BYTE* bits = static_cast<BYTE*>(desc.lpSurface);
    for (DWORD y = 0; bits && y < desc.dwHeight; ++y) {
      BYTE* row = bits + static_cast<ptrdiff_t>(y) * desc.lPitch;
      if (desc.ddpfPixelFormat.dwRGBBitCount == 16) {
        WORD* texel = reinterpret_cast<WORD*>(row);
        for (DWORD x = 0; x < desc.dwWidth; ++x)
          if ((texel[x] & rgbMask) != keyValue) texel[x] = static_cast<WORD>(texel[x] | alphaMask);
      } else if (desc.ddpfPixelFormat.dwRGBBitCount == 32) {
        DWORD* texel = reinterpret_cast<DWORD*>(row);
        for (DWORD x = 0; x < desc.dwWidth; ++x)
          if ((texel[x] & rgbMask) != keyValue) texel[x] |= alphaMask;
      }
    }
    texture->Unlock(nullptr);
  }
  return S_OK;
}

HRESULT CopyRGBADataToSurface(TextureEntry* entry) {
  LPDIRECTDRAWSURFACE7 texture = entry->surface;
  LPDIRECTDRAWSURFACE7 temporary = nullptr;
  HRESULT hr = CreateTemporarySurface(texture, entry->width, entry->height, &temporary);
  if (FAILED(hr)) return hr;

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc);
  LockWhileBusy(temporary, &desc);
  const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
  DWORD masks[4] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, pf.dwRGBAlphaBitMask};
  DWORD left[4], right[4];
  for (int i = 0; i < 4; ++i) MaskShifts(masks[i], &left[i], &right[i]);

  BYTE* bits = static_cast<BYTE*>(desc.lpSurface);
  DWORD width = desc.dwWidth < entry->width ? desc.dwWidth : entry->width;
  DWORD height = desc.dwHeight < entry->height ? desc.dwHeight : entry->height;
  for (DWORD y = 0; bits && y < height; ++y) {
    BYTE* row = bits + static_cast<ptrdiff_t>(y) * desc.lPitch;
    for (DWORD x = 0; x < width; ++x) {
      DWORD pixel = entry->rgba[y * entry->width + x];
      DWORD channels[4] = {pixel >> 24, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF};
      DWORD texel = 0;
      for (int i = 0; i < 4; ++i) texel += ((channels[i] >> right[i]) << left[i]) & masks[i];
      if (pf.dwRGBBitCount == 32) {
        reinterpret_cast<DWORD*>(row)[x] = texel;
      } else if (pf.dwRGBBitCount == 24) {
        // Texels of the format's own width, low byte first.
        row[x * 3] = static_cast<BYTE>(texel);
        row[x * 3 + 1] = static_cast<BYTE>(texel >> 8);
        row[x * 3 + 2] = static_cast<BYTE>(texel >> 16);
      } else {
        reinterpret_cast<WORD*>(row)[x] = static_cast<WORD>(texel);
      }
    }
  }
  temporary->Unlock(nullptr);
  texture->Blt(nullptr, temporary, nullptr, DDBLT_WAIT, nullptr);
  temporary->Release();
  return S_OK;
}

HRESULT RestoreEntry(TextureEntry* entry, LPDIRECT3DDEVICE7 device) {
  if (entry->surface) entry->surface->Release();
  entry->surface = nullptr;
  if (!device) return DDERR_INVALIDPARAMS;

  D3DDEVICEDESC7 caps;
  if (FAILED(device->GetCaps(&caps))) return E_FAIL;

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(
      desc, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE,
      DDSCAPS_TEXTURE);
  desc.dwTextureStage = entry->stage;
  desc.dwWidth = entry->width;
  desc.dwHeight = entry->height;

  if (caps.deviceGUID == IID_IDirect3DHALDevice || caps.deviceGUID == IID_IDirect3DTnLHalDevice)
    desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
  else
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;

  DWORD textureCaps = caps.dpcTriCaps.dwTextureCaps;
  if (textureCaps & D3DPTEXTURECAPS_POW2) {
    DWORD w, h;
    for (w = 1; w < desc.dwWidth; w <<= 1) {
    }
    for (h = 1; h < desc.dwHeight; h <<= 1) {
    }
    desc.dwWidth = w;
    desc.dwHeight = h;
  }
  DWORD maxWidth = caps.dwMaxTextureWidth ? caps.dwMaxTextureWidth : 256;
  DWORD maxHeight = caps.dwMaxTextureHeight ? caps.dwMaxTextureHeight : 256;
  if (desc.dwWidth > maxWidth) desc.dwWidth = maxWidth;
  if (desc.dwHeight > maxHeight) desc.dwHeight = maxHeight;
  if (textureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
    if (desc.dwWidth > desc.dwHeight)
      desc.dwHeight = desc.dwWidth;
    else
      desc.dwWidth = desc.dwHeight;
  }

  TextureSearch search;
  search.desiredBits = entry->bitsPerPixel;
  search.wantPalette = entry->bitsPerPixel <= 8;
  search.wantAlpha = entry->hasAlpha;
  search.found = FALSE;
  search.format = &desc.ddpfPixelFormat;
  if (entry->flags & D3DTEXTR_16BITSPERPIXEL)
    search.desiredBits = 16;
  else if (entry->flags & D3DTEXTR_32BITSPERPIXEL)
    search.desiredBits = 32;
  if ((entry->flags & (D3DTEXTR_WHITEKEY | D3DTEXTR_BLACKKEY)) && search.wantPalette) {
    search.wantAlpha = TRUE;
    search.wantPalette = (textureCaps & D3DPTEXTURECAPS_ALPHAPALETTE) ? TRUE : FALSE;
  }
  device->EnumTextureFormats(TextureFormatSearch, &search);
  if (!search.found) {
    search.wantPalette = FALSE;
    search.desiredBits = 16;
    device->EnumTextureFormats(TextureFormatSearch, &search);
    if (!search.found) return E_FAIL;
  }

  LPDIRECTDRAWSURFACE7 target = nullptr;
  LPDIRECTDRAW7 directDraw = nullptr;
  if (FAILED(device->GetRenderTarget(&target)) || !target) return E_FAIL;
  target->GetDDInterface(reinterpret_cast<LPVOID*>(&directDraw));
  target->Release();
  if (!directDraw) return E_FAIL;
  HRESULT hr = directDraw->CreateSurface(&desc, &entry->surface, nullptr);
  directDraw->Release();
  if (FAILED(hr)) {
    entry->surface = nullptr;
    return hr;
  }

  if (entry->bitmap)
    hr = CopyBitmapToSurface(entry);
  else if (entry->rgba)
    hr = CopyRGBADataToSurface(entry);
  else
    hr = S_OK;
  return hr;
}

}  // namespace

TextureEntry* D3DTextr_FindEntry(const char* name) {
  if (!name) return nullptr;
  for (TextureEntry* entry = g_textureList; entry; entry = entry->next)
    if (!lstrcmpiA(entry->name, name)) return entry;
  return nullptr;
}

HRESULT D3DTextr_ReadTarga(const char* path, TextureEntry* entry) {
  FILE* file = OpenForReading(path);
  if (!file) return E_FAIL;

  BYTE header[18];
  for (int i = 0; i < 18; ++i) header[i] = static_cast<BYTE>(ReadByte(file));
  DWORD idLength = header[0];
  DWORD colourMapType = header[1];
  DWORD imageType = header[2];
  DWORD width = header[12] | (header[13] << 8);
  DWORD height = header[14] | (header[15] << 8);
  DWORD depth = header[16];
  DWORD descriptor = header[17];

  // Empty and absurdly large images are refused before anything is allocated.
  if (colourMapType != 0 || (imageType != 2 && imageType != 10) || width == 0 || height == 0 ||
      width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
    std::fclose(file);
    return E_FAIL;
  }
  if (idLength) std::fseek(file, idLength, SEEK_CUR);

  DWORD* rgba = new (std::nothrow) DWORD[static_cast<size_t>(width) * height];
  if (!rgba) {
    std::fclose(file);
    return E_FAIL;
  }
  delete[] entry->rgba;
  entry->rgba = rgba;
  entry->width = width;
  entry->height = height;
  entry->bitsPerPixel = depth;

  // Pixels arrive in file order; a run-length packet that runs past the end
  // of a row continues on the next row, and nothing past the image is kept.
  const size_t total = static_cast<size_t>(width) * height;
  const bool topDown = (descriptor & 0x20) != 0;
  auto store = [&](size_t index, DWORD pixel) {
    size_t fileRow = index / width;
    size_t column = index % width;
    size_t row = topDown ? fileRow : height - 1 - fileRow;
    rgba[row * width + column] = pixel;
  };
  size_t written = 0;
  // Once the file has ended every further byte reads as 255, so the rest of
  // the image is opaque white whatever the packets would have said; it is
  // filled at once rather than read byte by byte.
  auto fillPastEnd = [&]() {
    if (!std::feof(file)) return false;
    while (written < total) {
      size_t fileRow = written / width;
      size_t row = topDown ? fileRow : height - 1 - fileRow;
      std::fill(rgba + row * width + written % width, rgba + (row + 1) * width, 0xFFFFFFFFu);
      written = (fileRow + 1) * width;
    }
    return true;
  };
  if (imageType == 2) {
    for (; written < total && !fillPastEnd(); ++written) store(written, ReadPixel(file, depth));
  } else {
    while (written < total && !fillPastEnd()) {
      int packet = ReadByte(file);
      size_t count = (packet & 0x7F) + 1;
      if (packet & 0x80) {
        DWORD pixel = ReadPixel(file, depth);
        for (size_t i = 0; i < count && written < total; ++i) store(written++, pixel);
      } else {
        for (size_t i = 0; i < count && written < total; ++i)
          store(written++, ReadPixel(file, depth));
      }
    }
  }
  std::fclose(file);

  for (size_t i = 0; i < total; ++i) {
    if ((rgba[i] & 0xFF) < 0xFF) {
      entry->hasAlpha = TRUE;
      break;
    }
  }
  return S_OK;
}

HRESULT D3DTextr_SetTextureFolder(const char* folder) {
  if (!folder) folder = "";
  std::snprintf(g_textureFolder, sizeof(g_textureFolder), "%s", folder);
  return S_OK;
}

HRESULT D3DTextr_CreateTextureFromFile(const char* name, DWORD stage, DWORD flags) {
  if (!name) return DDERR_INVALIDPARAMS;
  if (D3DTextr_FindEntry(name)) return S_OK;
  // A name must fit the entry's 80-character field.
  if (std::strlen(name) >= kNameSize) return DDERR_INVALIDPARAMS;

  TextureEntry* entry = NewEntry(name, stage, flags);
  if (!entry) return E_OUTOFMEMORY;
  if (FAILED(LoadTextureImage(entry))) {
    DestroyEntry(entry);
    return E_FAIL;
  }
  if (entry->bitmap) {
    BITMAP bm;
    GetObjectA(entry->bitmap, sizeof(BITMAP), &bm);
    entry->width = bm.bmWidth;
    entry->height = bm.bmHeight;
    entry->bitsPerPixel = bm.bmBitsPixel;
  }
  return S_OK;
}

HRESULT D3DTextr_CreateBlankTexture(const char* name, DWORD width, DWORD height, DWORD stage,
                                    DWORD flags) {
  if (!name) return DDERR_INVALIDPARAMS;
  if (D3DTextr_FindEntry(name)) return E_FAIL;
  if (std::strlen(name) >= kNameSize) return DDERR_INVALIDPARAMS;
  TextureEntry* entry = NewEntry(name, stage, flags);
  if (!entry) return E_OUTOFMEMORY;
  entry->width = width;
  entry->height = height;
  entry->bitsPerPixel = (flags & D3DTEXTR_32BITSPERPIXEL) ? 32 : 16;
  if (flags & D3DTEXTR_ALPHA) entry->hasAlpha = TRUE;
  return S_OK;
}

HRESULT D3DTextr_RestoreTexture(const char* name, LPDIRECT3DDEVICE7 device) {
  TextureEntry* entry = D3DTextr_FindEntry(name);
  if (!entry) return DDERR_NOTFOUND;
  return RestoreEntry(entry, device);
}

HRESULT D3DTextr_RestoreAll(LPDIRECT3DDEVICE7 device) {
  for (TextureEntry* entry = g_textureList; entry; entry = entry->next)
    D3DTextr_RestoreTexture(entry->name, device);
  return S_OK;
}

HRESULT D3DTextr_InvalidateTexture(const char* name) {
  TextureEntry* entry = D3DTextr_FindEntry(name);
  if (!entry) return DDERR_NOTFOUND;
  if (entry->surface) entry->surface->Release();
  entry->surface = nullptr;
  return S_OK;
}

HRESULT D3DTextr_InvalidateAll() {
  for (TextureEntry* entry = g_textureList; entry; entry = entry->next) {
    if (entry->surface) entry->surface->Release();
    entry->surface = nullptr;
  }
  return S_OK;
}

HRESULT D3DTextr_DestroyTexture(const char* name) {
  TextureEntry* entry = D3DTextr_FindEntry(name);
  if (entry) DestroyEntry(entry);
  return S_OK;
}

LPDIRECTDRAWSURFACE7 D3DTextr_GetSurface(const char* name) {
  TextureEntry* entry = D3DTextr_FindEntry(name);
  return entry ? entry->surface : nullptr;
}
