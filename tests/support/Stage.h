// A stage made from text in the working folder, without the rest of the game:
// the game scene's readers take file names, so the texts are written to
// Data/ first. No device is needed to move a stage and type at it; a test
// that draws gives the game core a device first (support/Device.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Classes/SceneGame/SceneGame.h"

class CTarget;

namespace support {

// A camera standing still at (0, 1, -20), looking along +z, for ten minutes.
extern const char kStillPath[];

// A game scene from scene-file text, a word list (one word a line) and
// path-file text, with or without the on-screen keyboard.
std::unique_ptr<CSceneGame> MakeStage(const std::string& sceneText,
                                      const std::vector<std::string>& words,
                                      const std::string& pathText = kStillPath,
                                      bool keyboard = false);
// The same from files already in place (Windows paths, as the game names them).
std::unique_ptr<CSceneGame> MakeStageFromFiles(const std::string& sceneFile,
                                               const std::string& wordFile,
                                               const std::string& pathFile);

// What the stage holds, a letter an object in object order: 'B'uilding,
// 'G'round, 'P'anel, 'E'nemy or bullet, 'S'ight.
std::string Kinds(CSceneGame& stage);
// The targets of a stage (enemies and bullets), in object order.
std::vector<CTarget*> Targets(CSceneGame& stage);
// The active target whose word begins with the letter (either case), or null.
CTarget* Holder(CSceneGame& stage, char letter);
// Types each character as a key.
void Type(CSceneGame& stage, const std::string& text);

}  // namespace support
