// Helpers of the hostile-input tests: a private working folder with Data/ and
// BMP/, files written byte for byte, small picture files built in memory, and
// a stage built from text and watched from outside.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Classes/SceneGame/SceneGame.h"

namespace hostile {

// Enters (once per process) a fresh folder holding empty Data/ and BMP/.
void EnterWorkFolder();

// Writes the bytes as they are (no line-end translation).
void WriteFile(const std::string& path, const std::string& bytes);

// The shipped content file (content/Data/<name>) as it is committed.
std::string ShippedContent(const std::string& name);

// A TGA file: 18-byte header, then the payload as given.
std::string Tga(int imageType, int width, int height, int depth, int descriptor,
                const std::string& payload);
// An 8-bit run-length BMP file with a grey colour table and the given runs.
std::string RunLengthBmp(int width, int height, const std::string& runs);

// A stage from files already written under Data/, on a camera path standing
// still for ten minutes unless another path file is named.
std::unique_ptr<CSceneGame> MakeStage(const std::string& sceneFile, const std::string& wordFile,
                                      const std::string& pathFile = "Data\\still.txt");

// What a stage holds, by kind, in object order.
struct StageContents {
  int enemies = 0;
  int buildings = 0;  // general visible objects: buildings and ground tiles
  int panels = 0;
  int others = 0;            // the sight
  std::vector<int> windows;  // start and end of each enemy
};
StageContents Contents(CSceneGame& stage);

}  // namespace hostile
