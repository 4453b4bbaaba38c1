// Managed memory for surfaces, as a driver manages textures: pixel pages are
// taken when first written (ZeroedPages), and beyond a budget the least
// recently used textures and off-screen surfaces are parked in a compact
// form until their pixels are used again. A stage with thousands of enemies,
// each with its own word surface, so stays within a bounded memory, while
// the surfaces of an ordinary stage never leave their pages.
#include <algorithm>

#include "ddraw/directdraw.h"
#include "ddraw/surface.h"

namespace platform {

namespace {

// Surfaces the display or the device draws into are never parked.
constexpr DWORD kDrawnInto = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_BACKBUFFER |
                             DDSCAPS_3DDEVICE | DDSCAPS_ZBUFFER;

}  // namespace

uint8_t* Surface::Use() const {
  if (parked_) Unpark();
  used_ = true;
  lastUse_ = owner_->UseClock();
  return pixels_.data();
}

size_t Surface::Park() {
  if (parked_ || !used_ || locked_ || dcOut_ || deferred_ || (caps_.dwCaps & kDrawnInto)) return 0;
  // Rows are 4-byte aligned, so the pixels are whole 32-bit words.
  const size_t words = pixels_.size() / 4;
  const uint32_t* word = reinterpret_cast<const uint32_t*>(pixels_.data());
  std::vector<uint32_t> runs;
  for (size_t i = 0; i < words;) {
    size_t j = i + 1;
    while (j < words && word[j] == word[i] && j - i < 0xFFFFFFFFu) ++j;
    runs.push_back(static_cast<uint32_t>(j - i));
    runs.push_back(word[i]);
    // A surface of many colours would not shrink: it stays, and is not
    // tried again until it has been used once more.
    if (runs.size() * 4 > pixels_.size() / 2) {
      lastUse_ = owner_->UseClock();
      return 0;
    }
    i = j;
  }
  runs_ = std::move(runs);
  runs_.shrink_to_fit();
  pixels_.Discard();
  parked_ = true;
  return pixels_.size();
}

void Surface::Unpark() const {
  uint32_t* word = reinterpret_cast<uint32_t*>(pixels_.data());
  for (size_t i = 0; i + 1 < runs_.size(); i += 2) word = std::fill_n(word, runs_[i], runs_[i + 1]);
  runs_.clear();
  runs_.shrink_to_fit();
  parked_ = false;
}

void DirectDraw::ManageMemory(size_t budget) {
  size_t inUse = 0;
  for (const Surface* surface : surfaces_) inUse += surface->BytesInUse();
  if (inUse <= budget) return;
  // Down to three quarters of the budget, so that parking is not needed
  // again on the very next frame.
  std::vector<Surface*> candidates;
  for (Surface* surface : surfaces_)
    if (surface->BytesInUse() && surface->LastUse() < useClock_) candidates.push_back(surface);
  std::sort(candidates.begin(), candidates.end(),
            [](const Surface* a, const Surface* b) { return a->LastUse() < b->LastUse(); });
  for (Surface* surface : candidates) {
    if (inUse <= budget / 4 * 3) break;
    inUse -= surface->Park();
  }
}

}  // namespace platform
