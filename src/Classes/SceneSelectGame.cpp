#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneSelect.h"

// The stage the level select scene hands over to.
IScene* CreateGameScene(const std::string& sceneFile, const std::string& pathFile,
                        const std::string& wordList, bool keyboard) {
  return new CSceneGame(sceneFile, pathFile, wordList, keyboard);
}
