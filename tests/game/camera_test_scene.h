// A stand-in for the game scene as the camera path follower and the path
// reader see it: the stage time, the camera, the stage clear and the keys.
#pragma once

#include <gtest/gtest.h>

#include "Classes/SceneGame/CameraPath.h"
#include "d3d7.h"

struct CameraTestScene {
  unsigned GetTime() const { return m_time; }
  void SetCamera(const D3DVECTOR& eye, const D3DVECTOR& lookAt, const D3DVECTOR& worldUp) {
    m_eye = eye;
    m_lookAt = lookAt;
    m_worldUp = worldUp;
    ++m_cameraSets;
  }
  void StageClear() { ++m_clears; }
  void AddCameraKey(CameraKey* key) { m_path.Add(key); }

  void StepAt(unsigned time) {
    m_time = time;
    m_path.Step(*this);
  }

  unsigned m_time = 0;
  D3DVECTOR m_eye = {};
  D3DVECTOR m_lookAt = {};
  D3DVECTOR m_worldUp = {};
  int m_cameraSets = 0;
  int m_clears = 0;
  CCameraPath m_path;
};

inline void ExpectVector(const D3DVECTOR& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}
