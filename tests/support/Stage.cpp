#include "support/Stage.h"

#include <cctype>

#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/Target.h"
#include "support/Folder.h"
#include "support/StageInspector.h"

namespace support {

const char kStillPath[] =
    "{ { time 0 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 }\n"
    "  { time 600000 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 } }\n";

std::unique_ptr<CSceneGame> MakeStage(const std::string& sceneText,
                                      const std::vector<std::string>& words,
                                      const std::string& pathText, bool keyboard) {
  std::string wordText;
  for (const std::string& word : words) wordText += word + "\n";
  WriteFile("Data/stage-scene.txt", sceneText);
  WriteFile("Data/stage-path.txt", pathText);
  WriteFile("Data/stage-words.txt", wordText);
  return std::unique_ptr<CSceneGame>(new CSceneGame("Data\\stage-scene.txt", "Data\\stage-path.txt",
                                                    "Data\\stage-words.txt", keyboard));
}

std::unique_ptr<CSceneGame> MakeStageFromFiles(const std::string& sceneFile,
                                               const std::string& wordFile,
                                               const std::string& pathFile) {
  return std::unique_ptr<CSceneGame>(new CSceneGame(sceneFile, pathFile, wordFile, false));
}

std::string Kinds(CSceneGame& stage) {
  std::string kinds;
  for (CObject* object : CSceneGameInspector::Impl(stage).m_objects) {
    if (dynamic_cast<CSight*>(object))
      kinds += 'S';
    else if (dynamic_cast<CTarget*>(object))
      kinds += 'E';
    else if (dynamic_cast<CPanel*>(object))
      kinds += 'P';
    else if (auto* visible = dynamic_cast<IVisibleObject*>(object))
      kinds += dynamic_cast<CBuildingRenderer*>(visible->GetRenderer()) ? 'B' : 'G';
    else
      kinds += '?';
  }
  return kinds;
}

std::vector<CTarget*> Targets(CSceneGame& stage) {
  std::vector<CTarget*> targets;
  for (CObject* object : CSceneGameInspector::Impl(stage).m_objects)
    if (CTarget* target = dynamic_cast<CTarget*>(object)) targets.push_back(target);
  return targets;
}

CTarget* Holder(CSceneGame& stage, char letter) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  auto found = impl.m_letterTargets.find(
      static_cast<char>(std::tolower(static_cast<unsigned char>(letter))));
  return found == impl.m_letterTargets.end() ? nullptr : found->second;
}

void Type(CSceneGame& stage, const std::string& text) {
  for (char c : text) stage.CatchKey(c);
}

}  // namespace support
