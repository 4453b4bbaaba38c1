#include "Classes/SceneGame/CameraPath.h"

#include "d3dframe/d3dutil.h"

CameraKey::CameraKey(int time, float positionX, float positionY, float positionZ, float lookAtX,
                     float lookAtY, float lookAtZ, float worldUpX, float worldUpY, float worldUpZ)
    : time(time),
      position(MakeVector(positionX, positionY, positionZ)),
      lookAt(MakeVector(lookAtX, lookAtY, lookAtZ)),
      worldUp(MakeVector(worldUpX, worldUpY, worldUpZ)) {}

CCameraPath::CCameraPath() {}

CCameraPath::~CCameraPath() {
  ClearKeys();
}

void CCameraPath::Add(CameraKey* key) {
  m_keys.push_back(key);
}

void CCameraPath::ClearKeys() {
  for (std::vector<CameraKey*>::size_type i = 0; i < m_keys.size(); ++i) delete m_keys[i];
  m_keys.clear();
}

int CCameraPath::GetCount() const {
  return static_cast<int>(m_keys.size());
}

CCameraPath::Placement CCameraPath::Place(int now, D3DVECTOR& eye, D3DVECTOR& lookAt,
                                          D3DVECTOR& worldUp) const {
  // Without keys there is nothing to place the camera on; the stage ends at
  // once rather than running for ever.
  if (m_keys.empty()) return kNoKeys;

  // Keys are taken in the order they were added, not sorted by time: the
  // first pair with k0.time <= now < k1.time wins.
  for (std::vector<CameraKey*>::size_type i = 0; i + 1 < m_keys.size(); ++i) {
    const CameraKey& k0 = *m_keys[i];
    const CameraKey& k1 = *m_keys[i + 1];
    if (k0.time > now) continue;
    if (k1.time > now) {
      // Differences in 64 bits: keys at the far ends of the int range must not
      // overflow.
      long long span = static_cast<long long>(k1.time) - k0.time;
      float a =
          static_cast<float>(static_cast<long long>(k1.time) - now) / static_cast<float>(span);
      float b =
          static_cast<float>(static_cast<long long>(now) - k0.time) / static_cast<float>(span);
      eye = k0.position * a + k1.position * b;
      D3DVECTOR direction = k0.lookAt * a + k1.lookAt * b;
      worldUp = k0.worldUp * a + k1.worldUp * b;
      lookAt = eye + direction;
      return kPlaced;
    }
  }

  // At or past the last key's time, or before the first key's: the camera
  // rests on the last key and the path is over.
  const CameraKey& last = *m_keys.back();
  eye = last.position;
  lookAt = last.position + last.lookAt;
  worldUp = last.worldUp;
  return kEnded;
}
