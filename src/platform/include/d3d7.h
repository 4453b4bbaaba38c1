// The Direct3D 7 immediate-mode subset the game calls: types, constants and
// the IDirect3D7 / IDirect3DDevice7 interfaces with the platform's names.
#pragma once

#include "ddraw7.h"

#ifdef _WIN32
#include <d3d.h>
#else

typedef float D3DVALUE;
typedef DWORD D3DCOLOR;

typedef struct _D3DVECTOR {
  union {
    D3DVALUE x;
    D3DVALUE dvX;
  };
  union {
    D3DVALUE y;
    D3DVALUE dvY;
  };
  union {
    D3DVALUE z;
    D3DVALUE dvZ;
  };
} D3DVECTOR, *LPD3DVECTOR;

typedef struct _D3DCOLORVALUE {
  union {
    D3DVALUE r;
    D3DVALUE dvR;
  };
  union {
    D3DVALUE g;
    D3DVALUE dvG;
  };
  union {
    D3DVALUE b;
    D3DVALUE dvB;
  };
  union {
    D3DVALUE a;
    D3DVALUE dvA;
  };
} D3DCOLORVALUE;

typedef struct _D3DMATRIX {
  D3DVALUE _11, _12, _13, _14;
  D3DVALUE _21, _22, _23, _24;
  D3DVALUE _31, _32, _33, _34;
  D3DVALUE _41, _42, _43, _44;
} D3DMATRIX, *LPD3DMATRIX;

typedef struct _D3DVERTEX {
  union {
    D3DVALUE x;
    D3DVALUE dvX;
  };
  union {
    D3DVALUE y;
    D3DVALUE dvY;
  };
  union {
    D3DVALUE z;
    D3DVALUE dvZ;
  };
  union {
    D3DVALUE nx;
    D3DVALUE dvNX;
  };
  union {
    D3DVALUE ny;
    D3DVALUE dvNY;
  };
  union {
    D3DVALUE nz;
    D3DVALUE dvNZ;
  };
  union {
    D3DVALUE tu;
    D3DVALUE dvTU;
  };
  union {
    D3DVALUE tv;
    D3DVALUE dvTV;
  };
} D3DVERTEX, *LPD3DVERTEX;

typedef struct _D3DTLVERTEX {
  union {
    D3DVALUE sx;
    D3DVALUE dvSX;
  };
  union {
    D3DVALUE sy;
    D3DVALUE dvSY;
  };
  union {
    D3DVALUE sz;
    D3DVALUE dvSZ;
  };
  union {
    D3DVALUE rhw;
    D3DVALUE dvRHW;
  };
  union {
    D3DCOLOR color;
    D3DCOLOR dcColor;
  };
  union {
    D3DCOLOR specular;
    D3DCOLOR dcSpecular;
  };
  union {
    D3DVALUE tu;
    D3DVALUE dvTU;
  };
  union {
    D3DVALUE tv;
    D3DVALUE dvTV;
  };
} D3DTLVERTEX, *LPD3DTLVERTEX;

typedef struct _D3DRECT {
  union {
    LONG x1;
    LONG lX1;
  };
  union {
    LONG y1;
    LONG lY1;
  };
  union {
    LONG x2;
    LONG lX2;
  };
  union {
    LONG y2;
    LONG lY2;
  };
} D3DRECT, *LPD3DRECT;

typedef struct _D3DVIEWPORT7 {
  DWORD dwX;
  DWORD dwY;
  DWORD dwWidth;
  DWORD dwHeight;
  D3DVALUE dvMinZ;
  D3DVALUE dvMaxZ;
} D3DVIEWPORT7, *LPD3DVIEWPORT7;

typedef struct _D3DMATERIAL7 {
  union {
    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE dcvDiffuse;
  };
  union {
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE dcvAmbient;
  };
  union {
    D3DCOLORVALUE specular;
    D3DCOLORVALUE dcvSpecular;
  };
  union {
    D3DCOLORVALUE emissive;
    D3DCOLORVALUE dcvEmissive;
  };
  union {
    D3DVALUE power;
    D3DVALUE dvPower;
  };
} D3DMATERIAL7, *LPD3DMATERIAL7;

typedef enum _D3DLIGHTTYPE {
  D3DLIGHT_POINT = 1,
  D3DLIGHT_SPOT = 2,
  D3DLIGHT_DIRECTIONAL = 3,
} D3DLIGHTTYPE;

typedef struct _D3DLIGHT7 {
  D3DLIGHTTYPE dltType;
  D3DCOLORVALUE dcvDiffuse;
  D3DCOLORVALUE dcvSpecular;
  D3DCOLORVALUE dcvAmbient;
  D3DVECTOR dvPosition;
  D3DVECTOR dvDirection;
  D3DVALUE dvRange;
  D3DVALUE dvFalloff;
  D3DVALUE dvAttenuation0;
  D3DVALUE dvAttenuation1;
  D3DVALUE dvAttenuation2;
  D3DVALUE dvTheta;
  D3DVALUE dvPhi;
} D3DLIGHT7, *LPD3DLIGHT7;

typedef struct _D3DPrimCaps {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
} D3DPRIMCAPS;

typedef struct _D3DDeviceDesc7 {
  DWORD dwDevCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;
  DWORD dwDeviceZBufferBitDepth;
  DWORD dwMinTextureWidth, dwMinTextureHeight;
  DWORD dwMaxTextureWidth, dwMaxTextureHeight;
  DWORD dwMaxTextureRepeat;
  DWORD dwMaxTextureAspectRatio;
  DWORD dwMaxAnisotropy;
  D3DVALUE dvGuardBandLeft;
  D3DVALUE dvGuardBandTop;
  D3DVALUE dvGuardBandRight;
  D3DVALUE dvGuardBandBottom;
  D3DVALUE dvExtentsAdjust;
  DWORD dwStencilCaps;
  DWORD dwFVFCaps;
  DWORD dwTextureOpCaps;
  WORD wMaxTextureBlendStages;
  WORD wMaxSimultaneousTextures;
  DWORD dwMaxActiveLights;
  D3DVALUE dvMaxVertexW;
  GUID deviceGUID;
  WORD wMaxUserClipPlanes;
  WORD wMaxVertexBlendMatrices;
  DWORD dwVertexProcessingCaps;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwReserved4;
} D3DDEVICEDESC7, *LPD3DDEVICEDESC7;

#define D3DDEVCAPS_HWTRANSFORMANDLIGHT 0x00010000
#define D3DDEVCAPS_HWRASTERIZATION 0x00080000
#define D3DPRASTERCAPS_DITHER 0x00000001
#define D3DPRASTERCAPS_ZTEST 0x00000010
#define D3DPRASTERCAPS_ZBUFFERLESSHSR 0x00008000
#define D3DPBLENDCAPS_ZERO 0x00000001
#define D3DPBLENDCAPS_ONE 0x00000002
#define D3DPBLENDCAPS_SRCALPHA 0x00000010
#define D3DPBLENDCAPS_INVSRCALPHA 0x00000020
#define D3DPBLENDCAPS_BOTHSRCALPHA 0x00001000
#define D3DPTEXTURECAPS_PERSPECTIVE 0x00000001
#define D3DPTEXTURECAPS_POW2 0x00000002
#define D3DPTEXTURECAPS_ALPHA 0x00000004
#define D3DPTEXTURECAPS_SQUAREONLY 0x00000020
#define D3DPTEXTURECAPS_ALPHAPALETTE 0x00000080
#define D3DPCMPCAPS_LESSEQUAL 0x00000008
#define D3DPSHADECAPS_COLORGOURAUDRGB 0x00000008
#define D3DPTFILTERCAPS_NEAREST 0x00000001
#define D3DPTFILTERCAPS_LINEAR 0x00000002
#define D3DPTADDRESSCAPS_WRAP 0x00000001

typedef enum _D3DRENDERSTATETYPE {
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_CLIPPING = 136,
  D3DRENDERSTATE_LIGHTING = 137,
  D3DRENDERSTATE_AMBIENT = 139,
  D3DRENDERSTATE_COLORVERTEX = 141,
  D3DRENDERSTATE_NORMALIZENORMALS = 143,
  D3DRENDERSTATE_DIFFUSEMATERIALSOURCE = 145,
  D3DRENDERSTATE_SPECULARMATERIALSOURCE = 146,
  D3DRENDERSTATE_AMBIENTMATERIALSOURCE = 147,
  D3DRENDERSTATE_EMISSIVEMATERIALSOURCE = 148,
} D3DRENDERSTATETYPE;

typedef enum _D3DTEXTURESTAGESTATETYPE {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_ADDRESS = 12,
  D3DTSS_ADDRESSU = 13,
  D3DTSS_ADDRESSV = 14,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
} D3DTEXTURESTAGESTATETYPE;

typedef enum _D3DTEXTUREOP {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
} D3DTEXTUREOP;

#define D3DTA_DIFFUSE 0x00000000
#define D3DTA_CURRENT 0x00000001
#define D3DTA_TEXTURE 0x00000002

typedef enum _D3DTEXTUREMAGFILTER { D3DTFG_POINT = 1, D3DTFG_LINEAR = 2 } D3DTEXTUREMAGFILTER;
typedef enum _D3DTEXTUREMINFILTER { D3DTFN_POINT = 1, D3DTFN_LINEAR = 2 } D3DTEXTUREMINFILTER;
typedef enum _D3DTEXTUREMIPFILTER { D3DTFP_NONE = 1 } D3DTEXTUREMIPFILTER;
typedef enum _D3DTEXTUREADDRESS { D3DTADDRESS_WRAP = 1 } D3DTEXTUREADDRESS;

typedef enum _D3DBLEND {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
} D3DBLEND;

typedef enum _D3DCULL { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 } D3DCULL;
typedef enum _D3DCMPFUNC {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8
} D3DCMPFUNC;
typedef enum _D3DSHADEMODE { D3DSHADE_GOURAUD = 2 } D3DSHADEMODE;
typedef enum _D3DFILLMODE { D3DFILL_SOLID = 3 } D3DFILLMODE;
typedef enum _D3DMATERIALCOLORSOURCE {
  D3DMCS_MATERIAL = 0,
  D3DMCS_COLOR1 = 1
} D3DMATERIALCOLORSOURCE;

typedef enum _D3DPRIMITIVETYPE {
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
} D3DPRIMITIVETYPE;

typedef enum _D3DTRANSFORMSTATETYPE {
  D3DTRANSFORMSTATE_WORLD = 1,
  D3DTRANSFORMSTATE_VIEW = 2,
  D3DTRANSFORMSTATE_PROJECTION = 3,
} D3DTRANSFORMSTATETYPE;

#define D3DCLEAR_TARGET 0x00000001
#define D3DCLEAR_ZBUFFER 0x00000002

#define D3DFVF_XYZ 0x002
#define D3DFVF_XYZRHW 0x004
#define D3DFVF_NORMAL 0x010
#define D3DFVF_DIFFUSE 0x040
#define D3DFVF_SPECULAR 0x080
#define D3DFVF_TEX1 0x100
#define D3DFVF_VERTEX (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1)
#define D3DFVF_TLVERTEX (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1)

#define D3DERR_INVALIDCALL E_INVALIDARG
#define D3DERR_SCENE_NOT_IN_SCENE MAKE_DDHRESULT(761)
#define D3DERR_SCENE_IN_SCENE MAKE_DDHRESULT(760)
#define D3DERR_SCENE_END_FAILED MAKE_DDHRESULT(762)

extern const GUID IID_IDirect3D7;
extern const GUID IID_IDirect3DRGBDevice;
extern const GUID IID_IDirect3DHALDevice;
extern const GUID IID_IDirect3DRefDevice;
extern const GUID IID_IDirect3DTnLHalDevice;

typedef HRESULT(CALLBACK* LPD3DENUMDEVICESCALLBACK7)(char* description, char* name,
                                                     D3DDEVICEDESC7* desc, void* context);
typedef HRESULT(CALLBACK* LPD3DENUMPIXELFORMATSCALLBACK)(DDPIXELFORMAT* format, void* context);

struct IDirect3DDevice7;
typedef IDirect3DDevice7* LPDIRECT3DDEVICE7;

struct IDirect3D7 : IUnknown {
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) = 0;
  virtual HRESULT CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface7* surface,
                               IDirect3DDevice7** device) = 0;
  virtual HRESULT EnumZBufferFormats(REFCLSID deviceGuid, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                     void* context) = 0;
};
typedef IDirect3D7* LPDIRECT3D7;

struct IDirect3DDevice7 : IUnknown {
  virtual HRESULT GetCaps(D3DDEVICEDESC7* desc) = 0;
  virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) = 0;
  virtual HRESULT GetRenderTarget(IDirectDrawSurface7** surface) = 0;
  virtual HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                        DWORD stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(D3DVIEWPORT7* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT7* viewport) = 0;
  virtual HRESULT SetMaterial(D3DMATERIAL7* material) = 0;
  virtual HRESULT SetLight(DWORD index, D3DLIGHT7* light) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, LPDWORD value) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices,
                                DWORD vertexCount, DWORD flags) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
};

#endif  // _WIN32
