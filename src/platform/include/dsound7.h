// The DirectSound subset the sound service calls: a device object, secondary
// buffers filled through Lock/Unlock, duplicates that share a buffer's data,
// and Play/GetStatus. On Windows this is the real platform (link -ldsound);
// elsewhere our stand-in mixes the buffers over SDL2 audio.
#pragma once

#include "win32.h"

#ifdef _WIN32
#include <mmsystem.h>

#include <dsound.h>
#else

// ---------------------------------------------------------------- wave format
#define WAVE_FORMAT_PCM 1

typedef struct tWAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;

// ---------------------------------------------------------------- results
#define DS_OK ((HRESULT)0)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_GENERIC E_FAIL
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)

// ---------------------------------------------------------------- flags
#define DSSCL_NORMAL 1
#define DSSCL_PRIORITY 2

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_GLOBALFOCUS 0x00008000

#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0xFFFFFFF

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_ENTIREBUFFER 0x00000002

// ---------------------------------------------------------------- interfaces
typedef struct _DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

typedef const GUID* LPCGUID;

struct IDirectSound;
struct IDirectSoundBuffer;
typedef IDirectSound* LPDIRECTSOUND;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;
typedef IDirectSoundBuffer** LPLPDIRECTSOUNDBUFFER;

// A secondary buffer: its own play cursor and status over data that it may
// share with duplicates.
struct IDirectSoundBuffer : IUnknown {
  virtual HRESULT GetStatus(LPDWORD status) = 0;
  virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
                       LPDWORD bytes2, DWORD flags) = 0;
  virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD position) = 0;
  virtual HRESULT Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) = 0;
};

struct IDirectSound : IUnknown {
  virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPLPDIRECTSOUNDBUFFER buffer,
                                    IUnknown* outer) = 0;
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                       LPLPDIRECTSOUNDBUFFER duplicate) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};

HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer);

#endif  // _WIN32
