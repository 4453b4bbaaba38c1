// Drawing of targets: an upright picture that turns to face the camera about
// the vertical axis, animated from a 4 x 2 grid of frames, and while the target
// lives a framed label showing the part of its word still to be typed. The
// label's letters are copied from the glyph sheet "Letter.bmp" into a small
// surface owned by each renderer, which is then used as a texture.
#pragma once

#include <map>
#include <string>

#include "Classes/SceneGame/NHClasses.h"
#include "d3d7.h"

class CTarget;

// Copies letter cells of "Letter.bmp" onto a surface (static members only).
class CTextRenderer {
 public:
  // Draws the letters of text from index start (at most seven) onto target,
  // after clearing it to white.
  static void TextOut(LPDIRECTDRAWSURFACE7 target, const std::string& text, unsigned start);
  static void BuildGlyphTable();
  // The cell of a character in the glyph sheet; all zero for one without a cell.
  static RECT GetGlyph(char c);

 private:
  static std::map<char, RECT> m_glyphs;
  static bool m_glyphsReady;
};

class CTargetRenderer : public IRenderer {
 public:
  CTargetRenderer(CTarget* target, float x, float y, float z, const std::string& textureName);
  ~CTargetRenderer() override;

  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;

  void SetText(const std::string& text);
  void SetTyped(unsigned typed);
  void SetFrame(int frame);
  void StartDying();
  void SetActive(bool active);
  void SetPosition(float x, float y, float z);

  // Read-only views of the drawing state (used by the sight and by checks).
  bool IsActive() const { return m_active; }
  bool IsDying() const { return m_dying; }
  float GetFrameU() const { return m_frameU; }
  float GetFrameV() const { return m_frameV; }
  unsigned GetTyped() const { return m_typed; }
  const std::string& GetText() const { return m_text; }

 private:
  CTarget* m_target;
  D3DVECTOR m_position;
  D3DVERTEX* m_bodyQuad;
  std::string m_textureName;
  float m_frameU;
  float m_frameV;
  LPDIRECTDRAWSURFACE7 m_textSurface;
  std::string m_text;
  unsigned m_typed;
  D3DVERTEX* m_labelQuad;
  bool m_active;
  bool m_dying;
};

// The world matrix of an upright billboard standing at position and turned
// about the vertical axis to face eye. A position straight above or below the
// eye has no horizontal facing direction: the picture is then left unrotated.
D3DMATRIX BillboardMatrix(const D3DVECTOR& position, const D3DVECTOR& eye);
