// DirectSound over the mixer: the device object, secondary buffers that keep
// their bytes in the buffer's own wave format, and duplicates that share
// those bytes with their own cursor and status.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dsound/mixer.h"
#include "dsound7.h"
#include "testing.h"

namespace platform {

namespace {

std::atomic<bool> g_headlessSound{false};

using sound::Mixer;
using sound::Request;
using sound::Sample;

// What every object made by one DirectSound object shares. Samples are kept
// until the device is closed: the callback may read one until then.
struct DeviceCore {
  std::vector<std::unique_ptr<Sample>> samples;
  std::unique_ptr<Mixer> mixer;  // declared last: closed before the samples go
  bool slotUsed[sound::kMaxSlots] = {};

  int TakeSlot() {
    for (int i = 0; i < sound::kMaxSlots; ++i)
      if (!slotUsed[i]) {
        slotUsed[i] = true;
        return i;
      }
    return -1;
  }
};

// A buffer's bytes, shared by the buffer and its duplicates.
struct BufferData {
  WAVEFORMATEX format{};
  std::vector<uint8_t> bytes;
  const Sample* sample = nullptr;
};

const Sample* Convert(DeviceCore& core, const BufferData& data) {
  auto sample = std::make_unique<Sample>();
  const WAVEFORMATEX& f = data.format;
  sample->channels = f.nChannels;
  sample->rate = f.nSamplesPerSec;
  sample->frames = data.bytes.size() / f.nBlockAlign;
  size_t count = sample->frames * f.nChannels;
  sample->data.resize(count);
  const uint8_t* bytes = data.bytes.data();
  for (size_t i = 0; i < count; ++i) {
    if (f.wBitsPerSample == 8) {
      sample->data[i] = (static_cast<int>(bytes[i]) - 128) / 128.0f;
    } else {
      int16_t value = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      sample->data[i] = value / 32768.0f;
    }
  }
  core.samples.push_back(std::move(sample));
  return core.samples.back().get();
}

bool SupportedFormat(const WAVEFORMATEX* f) {
  return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
         (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
         f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8 && f->nSamplesPerSec >= 100 &&
         f->nSamplesPerSec <= 200000;
}

class SoundBuffer : public IDirectSoundBuffer {
 public:
  SoundBuffer(std::shared_ptr<DeviceCore> core, std::shared_ptr<BufferData> data, int slot)
      : m_core(std::move(core)), m_data(std::move(data)), m_slot(slot) {}

  HRESULT QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) {
      Request stop;
      stop.type = Request::Stop;
      stop.slot = static_cast<uint16_t>(m_slot);
      m_core->mixer->Post(stop);
      m_core->slotUsed[m_slot] = false;
      delete this;
    }
    return left;
  }

  HRESULT GetStatus(LPDWORD status) override {
    if (!status) return DSERR_INVALIDPARAM;
    *status = Playing() ? DSBSTATUS_PLAYING | (m_loop ? DSBSTATUS_LOOPING : 0) : 0;
    return DS_OK;
  }

  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
               LPDWORD bytes2, DWORD flags) override {
    const DWORD size = static_cast<DWORD>(m_data->bytes.size());
    if (flags & DSBLOCK_ENTIREBUFFER) {
      offset = 0;
      bytes = size;
    }
    if (!audio1 || !bytes1 || offset >= size || bytes == 0 || bytes > size)
      return DSERR_INVALIDPARAM;
    DWORD first = std::min(bytes, size - offset);
    *audio1 = m_data->bytes.data() + offset;
    *bytes1 = first;
    // A region past the end continues at the start, as in a ring.
    if (audio2) *audio2 = bytes > first ? m_data->bytes.data() : nullptr;
    if (bytes2) *bytes2 = bytes - first;
    if (bytes > first && !audio2) return DSERR_INVALIDPARAM;
    return DS_OK;
  }

  HRESULT Unlock(LPVOID audio1, DWORD, LPVOID, DWORD) override {
    if (!audio1) return DSERR_INVALIDPARAM;
    // The written bytes become a new sample; a voice still playing the old
    // one goes on with it.
    m_data->sample = Convert(*m_core, *m_data);
    return DS_OK;
  }

  HRESULT Play(DWORD reserved1, DWORD, DWORD flags) override {
    if (reserved1 != 0) return DSERR_INVALIDPARAM;
    Request play;
    play.type = Request::Play;
    play.slot = static_cast<uint16_t>(m_slot);
    play.loop = (flags & DSBPLAY_LOOPING) != 0;
    play.frame = m_startFrame;
    play.sample = m_data->sample;
    play.seq = m_core->mixer->PlaySeq(m_slot).load(std::memory_order_relaxed) + 1;
    // The audio thread has not taken the requests for a while (its device
    // is held): rather than wait, the request fails.
    if (!m_core->mixer->Post(play)) return DSERR_GENERIC;
    m_core->mixer->PlaySeq(m_slot).store(play.seq, std::memory_order_release);
    m_loop = play.loop;
    m_startFrame = -1;
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD position) override {
    if (position >= m_data->bytes.size()) return DSERR_INVALIDPARAM;
    m_startFrame = position / m_data->format.nBlockAlign;
    if (Playing()) {
      Request move;
      move.type = Request::SetPosition;
      move.slot = static_cast<uint16_t>(m_slot);
      move.frame = m_startFrame;
      if (m_core->mixer->Post(move)) m_startFrame = -1;
    }
    return DS_OK;
  }

  std::shared_ptr<BufferData> Data() const { return m_data; }

 private:
  bool Playing() const {
    Mixer& mixer = *m_core->mixer;
    return mixer.PlaySeq(m_slot).load(std::memory_order_acquire) !=
           mixer.DoneSeq(m_slot).load(std::memory_order_acquire);
  }

  std::shared_ptr<DeviceCore> m_core;
  std::shared_ptr<BufferData> m_data;
  int m_slot;
  ULONG m_refs = 1;
  bool m_loop = false;
  int64_t m_startFrame = -1;
};

class DirectSound : public IDirectSound {
 public:
  explicit DirectSound(std::shared_ptr<DeviceCore> core) : m_core(std::move(core)) {}

  HRESULT QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;  // the device closes with its last buffer
    return left;
  }

  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPLPDIRECTSOUNDBUFFER buffer,
                            IUnknown* outer) override {
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    // Only secondary buffers: nothing here writes the device directly.
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) return DSERR_INVALIDCALL;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX)
      return DSERR_INVALIDPARAM;
    if (!SupportedFormat(desc->lpwfxFormat)) return DSERR_BADFORMAT;
    int slot = m_core->TakeSlot();
    if (slot < 0) return DSERR_OUTOFMEMORY;
    auto data = std::make_shared<BufferData>();
    data->format = *desc->lpwfxFormat;
    data->format.cbSize = 0;
    // A new buffer holds silence (unsigned 8-bit silence is 0x80).
    data->bytes.assign(desc->dwBufferBytes, data->format.wBitsPerSample == 8 ? 0x80 : 0);
    data->sample = Convert(*m_core, *data);
    *buffer = new SoundBuffer(m_core, std::move(data), slot);
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                               LPLPDIRECTSOUNDBUFFER duplicate) override {
    if (!duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    SoundBuffer* source = dynamic_cast<SoundBuffer*>(original);
    if (!source) return DSERR_INVALIDPARAM;
    int slot = m_core->TakeSlot();
    if (slot < 0) return DSERR_OUTOFMEMORY;
    *duplicate = new SoundBuffer(m_core, source->Data(), slot);
    return DS_OK;
  }

  HRESULT SetCooperativeLevel(HWND, DWORD level) override {
    return level >= DSSCL_NORMAL && level <= DSSCL_PRIORITY ? DS_OK : DSERR_INVALIDPARAM;
  }

 private:
  std::shared_ptr<DeviceCore> m_core;
  ULONG m_refs = 1;
};

}  // namespace

void EnableHeadlessSound(bool enable) {
  g_headlessSound.store(enable);
}

}  // namespace platform

using namespace platform;

HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
  if (!directSound) return DSERR_INVALIDPARAM;
  *directSound = nullptr;
  if (outer) return DSERR_NOAGGREGATION;
  // Only the default device is known here.
  if (device) return DSERR_NODRIVER;
  // The headless backend stands for a machine without sound unless a test
  // asks for it.
  if (CurrentBackend() == Backend::Headless && !g_headlessSound.load()) return DSERR_NODRIVER;
  std::string error;
  auto core = std::make_shared<DeviceCore>();
  core->mixer = sound::Mixer::Open(&error);
  if (!core->mixer) {
    OutputDebugStringA(("DirectSoundCreate: " + error + "\n").c_str());
    return DSERR_NODRIVER;
  }
  *directSound = new DirectSound(std::move(core));
  return DS_OK;
}
