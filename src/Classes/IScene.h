// The scene interface: title, level select, game and score are scenes, driven
// one at a time by the scene manager.
#pragma once

// The key code the scenes receive for the Escape key; typed characters arrive
// as their byte taken as a signed 8-bit value (0x80-0xFF arrive negative).
const int KeyEscape = 256;

class IScene {
 public:
  // Scenes are deleted through an IScene pointer.
  virtual ~IScene() = 0;
  // Draws the scene for this frame; the result is not used by the callers.
  virtual bool Draw() = 0;
  // Advances the scene to the frame's application time in milliseconds.
  virtual void Move(unsigned long time) = 0;
  // One key press: a typed character or KeyEscape.
  virtual void CatchKey(int key) = 0;
  // True while the scene wants to stay current.
  virtual bool IsAlive() { return true; }
};

inline IScene::~IScene() {}
