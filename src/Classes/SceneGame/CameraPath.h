// The camera path follower: timed camera keys, blended linearly by stage time.
// When the stage time has passed the last key the camera rests on it and the
// stage is cleared.
#pragma once

#include <vector>

#include "d3d7.h"

// One camera key: the camera is exactly here at `time` (stage ms).
struct CameraKey {
  CameraKey(int time, float positionX, float positionY, float positionZ, float lookAtX,
            float lookAtY, float lookAtZ, float worldUpX, float worldUpY, float worldUpZ);

  int time;
  D3DVECTOR position;  // eye
  D3DVECTOR lookAt;    // viewing direction, relative to the eye
  D3DVECTOR worldUp;
};

class CCameraPath {
 public:
  CCameraPath();
  // Deletes the keys still held.
  ~CCameraPath();

  // Appends a key; the follower owns it from now on.
  void Add(CameraKey* key);
  // Deletes every key and empties the list.
  void ClearKeys();
  int GetCount() const;

  // What one step did with the stage time it was given.
  enum Placement {
    kPlaced,  // the camera stands between two keys
    kEnded,   // the camera rests on the last key; the stage is over
    kNoKeys,  // there is no key: the camera is left alone; the stage is over
  };
  // Computes the camera for the stage time `now` (signed ms) into eye, lookAt
  // (the point looked at) and worldUp. The vectors are written unless the
  // result is kNoKeys.
  Placement Place(int now, D3DVECTOR& eye, D3DVECTOR& lookAt, D3DVECTOR& worldUp) const;

  // Places the scene's camera for its current stage time (GetTime, SetCamera)
  // and, at the end of the path, clears the stage (StageClear). Called once
  // per frame by the game scene.
  template <class Scene>
  void Step(Scene& scene) {
    D3DVECTOR eye, lookAt, worldUp;
    Placement placement = Place(static_cast<int>(scene.GetTime()), eye, lookAt, worldUp);
    if (placement != kNoKeys) scene.SetCamera(eye, lookAt, worldUp);
    if (placement != kPlaced) scene.StageClear();
  }

 private:
  CCameraPath(const CCameraPath&) = delete;
  CCameraPath& operator=(const CCameraPath&) = delete;

  std::vector<CameraKey*> m_keys;  // in the order added
};
