#include "Classes/SceneScore.h"

#include <cstdint>
#include <string>

#include "Application.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneTitle.h"
#include "Classes/ScreenQuad.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"

namespace {

const int kDigitRows = 3;
const int kDigitCells = 6;
const int kRateCells = 3;
const int kCellVertices = 6;
// The rows of six end at column 15, as does the rate row of three.
const int kFirstDigitColumn = 10;
const int kFirstRateColumn = 13;
const int kDigitRowTops[kDigitRows] = {96, 192, 288};
const int kRateRowTop = 384;

// Image 11 of the digit column is the blank of empty cells.
const int kBlankImage = 11;
// Right edge of the digit images in the texture: 0.0623047, bits 0x3D7F3333.
const float kDigitRight = 0x1.fe6666p-5f;
// Time the scene waits for a key after its first frame.
const int32_t kShowTime = 10000;

// Lays out one cell: column k of a row whose top is y0, both in 640 x 480
// units scaled to the viewport; two triangles (L,T) (L,B) (R,T) (L,B) (R,B) (R,T).
void LayOutCell(D3DTLVERTEX* cell, int column, int top, const D3DVIEWPORT7& viewport) {
  float width = static_cast<float>(viewport.dwWidth);
  float height = static_cast<float>(viewport.dwHeight);
  float left = width * 32.0f * column / 640.0f;
  float right = width * 32.0f * (column + 1) / 640.0f;
  float upper = height * top / 480.0f;
  float lower = height * (top + 32) / 480.0f;
  const float xs[kCellVertices] = {left, left, right, left, right, right};
  const float ys[kCellVertices] = {upper, lower, upper, lower, lower, upper};
  for (int i = 0; i < kCellVertices; ++i) {
    cell[i].sx = xs[i];
    cell[i].sy = ys[i];
    cell[i].sz = 0.5f;
    cell[i].rhw = 2.0f;
    cell[i].color = 0xFFFFFFFF;
    cell[i].specular = 0;
    cell[i].tu = 0.0f;
    cell[i].tv = 0.0f;
  }
}

// Puts digit image j (a sixteenth of the texture's height each) on a cell.
void SetCellImage(D3DTLVERTEX* cell, int image) {
  float top = static_cast<float>(image) * 32.0f / 512.0f;
  float bottom = static_cast<float>(image + 1) * 32.0f / 512.0f;
  const float us[kCellVertices] = {0.0f, 0.0f, kDigitRight, 0.0f, kDigitRight, kDigitRight};
  const float vs[kCellVertices] = {top, bottom, top, bottom, bottom, top};
  for (int i = 0; i < kCellVertices; ++i) {
    cell[i].tu = us[i];
    cell[i].tv = vs[i];
  }
}

// Writes a number into a row of cells, least significant digit rightmost;
// leading zeros are blank, 0 leaves the row blank and only the lowest digits
// of a longer number are shown.
void WriteNumber(D3DTLVERTEX* row, int cells, int value) {
  for (int i = 0; i < cells; ++i) {
    D3DTLVERTEX* cell = row + (cells - 1 - i) * kCellVertices;
    SetCellImage(cell, value != 0 ? value % 10 : kBlankImage);
    value /= 10;
  }
}

}  // namespace

struct CSceneScore::Impl {
  bool m_alive = true;
  bool m_started = false;
  int32_t m_leaveTime = 0;
  D3DTLVERTEX m_digitVertices[kDigitRows][kDigitCells * kCellVertices];
  D3DTLVERTEX m_rateVertices[kRateCells * kCellVertices];
  D3DTLVERTEX m_vertices[4];
  std::string m_digitTexture = "Sprite.bmp";

  void HandOver() {
    m_alive = false;
    CApplication* application = CApplication::GetInstance();
    application->GetPlayerStatus()->Reset();
    application->GetSceneManager()->PushScene(new CSceneTitle());
  }
};

CSceneScore::CSceneScore() : m_impl(new Impl) {
  CScopeTrace trace("CSceneScore::CSceneScore");
  InitScreenQuad(m_impl->m_vertices);
  D3DVIEWPORT7 viewport = {0, 0, 0, 0, 0.0f, 0.0f};
  CApplication::GetInstance()->GetDevice()->GetViewport(&viewport);
  for (int row = 0; row < kDigitRows; ++row)
    for (int cell = 0; cell < kDigitCells; ++cell)
      LayOutCell(&m_impl->m_digitVertices[row][cell * kCellVertices], kFirstDigitColumn + cell,
                 kDigitRowTops[row], viewport);
  for (int cell = 0; cell < kRateCells; ++cell)
    LayOutCell(&m_impl->m_rateVertices[cell * kCellVertices], kFirstRateColumn + cell, kRateRowTop,
               viewport);
}

CSceneScore::~CSceneScore() {
  delete m_impl;
}

bool CSceneScore::Draw() {
  CScopeTrace trace("CSceneScore::Draw");
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  device->BeginScene();
  DrawScreenQuad(device, m_impl->m_vertices, D3DTextr_GetSurface("Score.bmp"));

  CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
  int shots = status->GetShotCount();
  int hits = status->GetHitCount();
  // With no round fired there is no rate: the row stays blank instead of
  // dividing by zero.
  int rate = shots != 0 ? static_cast<int>(hits * 100.0 / shots) : 0;
  WriteNumber(m_impl->m_digitVertices[0], kDigitCells, status->GetScore());
  WriteNumber(m_impl->m_digitVertices[1], kDigitCells, shots);
  WriteNumber(m_impl->m_digitVertices[2], kDigitCells, hits);
  WriteNumber(m_impl->m_rateVertices, kRateCells, rate);

  LPDIRECTDRAWSURFACE7 digits = D3DTextr_GetSurface(m_impl->m_digitTexture.c_str());
  if (!digits) {
    device->EndScene();
    return true;
  }
  device->SetTexture(0, digits);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  for (int row = 0; row < kDigitRows; ++row)
    device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, m_impl->m_digitVertices[row],
                          kDigitCells * kCellVertices, 0);
  device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, m_impl->m_rateVertices,
                        kRateCells * kCellVertices, 0);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->EndScene();
  return true;
}

void CSceneScore::Move(unsigned long time) {
  CScopeTrace trace("CSceneScore::Move");
  int32_t now = static_cast<int32_t>(time);
  if (!m_impl->m_started) {
    m_impl->m_started = true;
    m_impl->m_leaveTime = static_cast<int32_t>(static_cast<uint32_t>(now) + kShowTime);
  }
  if (m_impl->m_leaveTime < now && m_impl->m_alive) m_impl->HandOver();
}

void CSceneScore::CatchKey(int /*key*/) {
  // Any key counts, Escape included.
  if (m_impl->m_alive) m_impl->HandOver();
}

bool CSceneScore::IsAlive() {
  return m_impl->m_alive;
}
