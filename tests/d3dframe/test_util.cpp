// Render utilities: look-at and projection matrices, the matrix product,
// surface descriptions and the debug-output line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "d3dframe/d3dutil.h"
#include "testing.h"

namespace {

D3DMATRIX Filled(float value) {
  D3DMATRIX m;
  float* p = &m._11;
  for (int i = 0; i < 16; ++i) p[i] = value;
  return m;
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) {
  return std::memcmp(&a, &b, sizeof(D3DMATRIX)) == 0;
}

void ExpectMatrixNear(const D3DMATRIX& m, const float (&expected)[16], float tolerance = 1e-5f) {
  const float* p = &m._11;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(p[i], expected[i], tolerance) << "element " << i;
}

// Transforms a point as a row vector by the matrix (w = 1).
D3DVECTOR Transform(const D3DVECTOR& v, const D3DMATRIX& m) {
  return MakeVector(v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
                    v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
                    v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43);
}

TEST(ViewMatrix, LookingDownZFromOriginIsIdentity) {
  D3DMATRIX m = Filled(7.0f);
  D3DVECTOR from = MakeVector(0, 0, 0), at = MakeVector(0, 0, 1), up = MakeVector(0, 1, 0);
  ASSERT_EQ(D3DKit_SetViewMatrix(m, from, at, up), S_OK);
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  ExpectMatrixNear(m, identity);
}

TEST(ViewMatrix, MapsEyeToOriginAndTargetOntoPositiveZ) {
  D3DMATRIX m;
  D3DVECTOR from = MakeVector(3, 2, -4), at = MakeVector(-1, 0.5f, 6), up = MakeVector(0, 1, 0);
  ASSERT_EQ(D3DKit_SetViewMatrix(m, from, at, up), S_OK);
  D3DVECTOR eye = Transform(from, m);
  EXPECT_NEAR(Magnitude(eye), 0.0f, 1e-4f);
  D3DVECTOR target = Transform(at, m);
  EXPECT_NEAR(target.x, 0.0f, 1e-4f);
  EXPECT_NEAR(target.y, 0.0f, 1e-4f);
  EXPECT_NEAR(target.z, Magnitude(at - from), 1e-4f);
  // Something above the eye stays above in camera space (y up, left-handed).
  EXPECT_GT(Transform(from + MakeVector(0, 1, 0), m).y, 0.0f);
}

TEST(ViewMatrix, DegenerateInputsLeaveTheMatrixUntouched) {
  D3DMATRIX m = Filled(42.0f);
  const D3DMATRIX before = m;
  D3DVECTOR same = MakeVector(1, 2, 3), up = MakeVector(0, 1, 0);
  EXPECT_EQ(D3DKit_SetViewMatrix(m, same, same, up), E_INVALIDARG);
  EXPECT_TRUE(SameMatrix(m, before));
}

TEST(ViewMatrix, UpParallelToViewFallsBackToZ) {
  D3DMATRIX m = Filled(42.0f);
  D3DVECTOR from = MakeVector(0, 10, 0), at = MakeVector(0, 0, 0), up = MakeVector(0, 1, 0);
  ASSERT_EQ(D3DKit_SetViewMatrix(m, from, at, up), S_OK);
  // Looking straight down: camera up is world +z, view is world -y.
  EXPECT_NEAR(m._32, 1.0f, 1e-6f);
  EXPECT_NEAR(m._23, -1.0f, 1e-6f);
  EXPECT_NEAR(m._43, 10.0f, 1e-5f);
}

TEST(ProjectionMatrix, SixtyDegreesAspectOne) {
  D3DMATRIX m = Filled(9.0f);
  ASSERT_EQ(D3DKit_SetProjectionMatrix(m, 3.1415927f / 3.0f, 1.0f, 1.0f, 5000.0f), S_OK);
  const float expected[16] = {1.7320508f, 0,           0, 0, 0, 1.7320508f,   0, 0, 0,
                              0,          1.00020004f, 1, 0, 0, -1.00020004f, 0};
  ExpectMatrixNear(m, expected);
}

TEST(ProjectionMatrix, AspectScalesOnlyTheHorizontal) {
  D3DMATRIX m;
  ASSERT_EQ(D3DKit_SetProjectionMatrix(m, 1.0f, 2.0f, 1.0f, 100.0f), S_OK);
  EXPECT_NEAR(m._11, 2.0f * m._22, 1e-5f);
}

TEST(ProjectionMatrix, DegenerateInputsLeaveTheMatrixUntouched) {
  D3DMATRIX m = Filled(3.0f);
  const D3DMATRIX before = m;
  EXPECT_EQ(D3DKit_SetProjectionMatrix(m, 1.0f, 1.0f, 10.0f, 10.005f), E_INVALIDARG);
  EXPECT_EQ(D3DKit_SetProjectionMatrix(m, 0.0f, 1.0f, 1.0f, 100.0f), E_INVALIDARG);
  EXPECT_TRUE(SameMatrix(m, before));
}

TEST(MatrixMultiply, RowMajorProductAlsoInPlace) {
  // Scale by 2 then translate by (1, 2, 3): row vectors apply the left matrix first.
  D3DMATRIX scale, move;
  D3DKit_SetIdentityMatrix(scale);
  scale._11 = scale._22 = scale._33 = 2.0f;
  D3DKit_SetIdentityMatrix(move);
  move._41 = 1.0f;
  move._42 = 2.0f;
  move._43 = 3.0f;
  D3DMATRIX result = Filled(5.0f);
  D3DKit_MatrixMultiply(result, scale, move);
  const float expected[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
  ExpectMatrixNear(result, expected);
  // The other order scales the translation too; the result may be an operand.
  D3DKit_MatrixMultiply(move, move, scale);
  const float reversed[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1};
  ExpectMatrixNear(move, reversed);
}

TEST(SurfaceDesc, ZeroedWithSizesFlagsAndCaps) {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0xAB, sizeof(desc));
  D3DKit_InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH, DDSCAPS_TEXTURE);
  EXPECT_EQ(desc.dwSize, 124u);
  EXPECT_EQ(desc.dwFlags, static_cast<DWORD>(DDSD_CAPS | DDSD_WIDTH));
  EXPECT_EQ(desc.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_TEXTURE));
  EXPECT_EQ(desc.ddpfPixelFormat.dwSize, 32u);
  EXPECT_EQ(desc.dwWidth, 0u);
  EXPECT_EQ(desc.lpSurface, nullptr);
  EXPECT_EQ(desc.ddsCaps.dwCaps2, 0u);
}

TEST(DebugOut, LocationMessageAndOptionalCode) {
  platform::TakeDebugOutput();
  EXPECT_EQ(D3DKit_DebugOut("src\\d3dframe\\d3dframe", 120, 0, "Couldn't set coop level"), 0);
  EXPECT_EQ(platform::TakeDebugOutput(), "src\\d3dframe\\d3dframe(120): Couldn't set coop level\n");
  EXPECT_EQ(D3DKit_DebugOut("src\\d3dframe\\d3denum", 7, E_FAIL, "Bad"), E_FAIL);
  EXPECT_EQ(platform::TakeDebugOutput(), "src\\d3dframe\\d3denum(7): Bad(hr=80004005)\n\n");
}

}  // namespace
