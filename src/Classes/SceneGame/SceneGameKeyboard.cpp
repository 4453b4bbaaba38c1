// The on-screen keyboard of the easy level: a keyboard picture over the lower
// half of the screen with the keys to press next lit in translucent yellow.
#include <cctype>
#include <set>

#include "Application.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Target.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"

namespace {

const int kRows = 30;
const int kColumns = 64;

struct KeySpan {
  int first;
  int last;
  int code;
};

// One keyboard row: fixed spans plus a run of 4-column keys from a start column.
void FillRow(int table[kRows][kColumns], int firstRow, const KeySpan* spans, int spanCount,
             int runStart, const char* run) {
  for (int row = firstRow; row < firstRow + 4; ++row) {
    for (int s = 0; s < spanCount; ++s) {
      for (int x = spans[s].first; x <= spans[s].last; ++x) table[row][x] = spans[s].code;
    }
    for (int k = 0; run && run[k]; ++k) {
      for (int x = runStart + 4 * k; x < runStart + 4 * k + 4; ++x) {
        table[row][x] = static_cast<unsigned char>(run[k]);
      }
    }
  }
}

struct KeyTable {
  int cells[kRows][kColumns] = {};

  KeyTable() {
    const KeySpan functionRow[] = {{2, 5, 256},   {9, 12, 272},  {13, 16, 273}, {17, 20, 274},
                                   {21, 24, 275}, {27, 30, 276}, {31, 34, 277}, {35, 38, 278},
                                   {39, 42, 279}, {46, 49, 280}, {50, 53, 281}, {54, 57, 282},
                                   {58, 61, 283}};
    FillRow(cells, 2, functionRow, 13, 0, nullptr);
    const KeySpan digitRow[] = {{2, 5, 257}, {58, 61, 262}};
    FillRow(cells, 8, digitRow, 2, 6, "1234567890-^\\");
    const KeySpan upperRow[] = {{2, 7, 263}, {56, 61, 10}};
    FillRow(cells, 12, upperRow, 2, 8, "qwertyuiop@[");
    const KeySpan homeRow[] = {{2, 8, 259}, {57, 61, 10}};
    FillRow(cells, 16, homeRow, 2, 9, "asdfghjkl;:]");
    const KeySpan lowerRow[] = {{2, 10, 260}, {55, 61, 260}};
    FillRow(cells, 20, lowerRow, 2, 11, "zxcvbnm,./\\");
    const KeySpan spaceRow[] = {{2, 6, 258},   {7, 10, 287},  {11, 15, 261}, {16, 19, 264},
                                {20, 35, 32},  {36, 39, 265}, {40, 43, 266}, {44, 48, 261},
                                {49, 52, 287}, {53, 56, 288}, {57, 61, 258}};
    FillRow(cells, 24, spaceRow, 11, 0, nullptr);
  }
};

const KeyTable& Table() {
  static const KeyTable table;
  return table;
}

D3DTLVERTEX Vertex(float x, float y, D3DCOLOR colour, float u, float v) {
  D3DTLVERTEX vertex;
  vertex.sx = x;
  vertex.sy = y;
  vertex.sz = 0.99f;
  vertex.rhw = 0.5f;
  vertex.color = colour;
  vertex.specular = 0;
  vertex.tu = u;
  vertex.tv = v;
  return vertex;
}

// The highlight set lives for the whole program and is refilled on every draw.
std::set<int> g_highlight;

}  // namespace

int KeyboardCode(int row, int column) {
  if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return 0;
  return Table().cells[row][column];
}

std::vector<std::pair<int, int>> KeyboardLitCells(const std::set<int>& codes) {
  std::vector<std::pair<int, int>> cells;
  for (int x = 0; x < kColumns; ++x) {
    for (int y = 0; y < kRows; ++y) {
      if (codes.count(Table().cells[y][x])) cells.push_back(std::make_pair(x, y));
    }
  }
  return cells;
}

void CSceneGame::CImpl::DrawKeyboard() {
  CScopeTrace trace("CSceneGame::CImpl::DrawKeyboard()");
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  if (!device) return;
  D3DVIEWPORT7 viewport = {};
  device->GetViewport(&viewport);
  float w = static_cast<float>(viewport.dwWidth);
  float h = static_cast<float>(viewport.dwHeight);

  D3DTLVERTEX background[4] = {
      Vertex(0.0f, h, 0xFFFFFFFF, 0.0f, 1.0f), Vertex(0.0f, h / 2, 0xFFFFFFFF, 0.0f, 0.0f),
      Vertex(w, h, 0xFFFFFFFF, 1.0f, 1.0f), Vertex(w, h / 2, 0xFFFFFFFF, 1.0f, 0.0f)};
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, D3DTextr_GetSurface("Keyboard.tga"));
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, FALSE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, background, 4, 0);

  g_highlight.clear();
  if (m_activeTarget) {
    const std::string& remaining = m_activeTarget->GetRemainingText();
    if (!remaining.empty()) {
      g_highlight.insert(std::tolower(static_cast<unsigned char>(remaining[0])));
    }
  } else {
    for (const auto& entry : m_letterTargets) {
      g_highlight.insert(std::tolower(static_cast<unsigned char>(entry.first)));
    }
  }

  device->SetTexture(0, NULL);
  for (const std::pair<int, int>& cell : KeyboardLitCells(g_highlight)) {
    float x0 = w * cell.first / 64.0f;
    float x1 = w * (cell.first + 1) / 64.0f;
    float y0 = h * (cell.second / 30.0f / 2.0f + 0.5f);
    float y1 = h * ((cell.second + 1) / 30.0f / 2.0f + 0.5f);
    D3DTLVERTEX quad[4] = {
        Vertex(x0, y1, 0xAFFFFF00, 0.0f, 0.0f), Vertex(x0, y0, 0xAFFFFF00, 0.0f, 0.0f),
        Vertex(x1, y1, 0xAFFFFF00, 0.0f, 0.0f), Vertex(x1, y0, 0xAFFFFF00, 0.0f, 0.0f)};
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0);
  }

  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
}
