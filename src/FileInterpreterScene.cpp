// The scene file reader: buildings, ground, panel and enemies of one stage.
#include <cassert>
#include <cctype>
#include <exception>
#include <fstream>
#include <stack>

#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/Target.h"
#include "FileInterpreter.h"
#include "ScopeTrace.h"
#include "port.h"

namespace {

std::string LowerToken(std::string token) {
  for (std::string::size_type i = 0; i < token.size(); ++i)
    token[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(token[i])));
  return token;
}

// Kinds of the open blocks.
const int kScene = 0;
const int kIgnored = 1;
const int kBuilding = 2;
const int kEnemy = 4;
const int kGround = 8;
const int kPanel = 15;

}  // namespace

void CFileInterpreter::InterpretScene(CSceneGame* scene, const std::string& fileName) {
  CScopeTrace trace("CFileInterpreter::InterpretScene()");
  CBuildingRenderer* buildings = new CBuildingRenderer();
  bool buildingsHeld = false;

  try {
    std::ifstream file(Port_FilePath(fileName.c_str()).c_str());
    std::stack<int> blocks;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float size[3] = {0.0f, 0.0f, 0.0f};
    int times[2] = {0, 0};
    std::string texture;

    for (;;) {
      std::string token;
      file >> token;
      token = LowerToken(token);

      if (token == "scene{") {
        blocks.push(kScene);
      } else if (token == "building{") {
        blocks.push(kBuilding);
      } else if (token == "enemy{") {
        blocks.push(kEnemy);
      } else if (token == "ground{") {
        blocks.push(kGround);
      } else if (token == "panel{") {
        blocks.push(kPanel);
      } else if (token == "}") {
        // A closing brace with no block open has nothing to make.
        if (!blocks.empty()) {
          CScopeTrace object("new Object");
          switch (blocks.top()) {
            case kBuilding:
              buildings->AddBuilding(position[0], position[1], position[2], size[0], size[1],
                                     size[2], texture);
              scene->AddObject(new CGeneralVisibleObject(scene, buildings));
              buildingsHeld = true;
              break;
            case kEnemy:
              scene->AddObject(new CEnemy(scene, position[0], position[1], position[2], 1, -1,
                                          times[0], times[1], texture));
              break;
            case kGround:
              scene->AddObject(new CGeneralVisibleObject(
                  scene, new CGroundRenderer(position[0], position[1], position[2])));
              break;
            case kPanel:
              scene->AddObject(new CPanel(scene, "Sprite.bmp"));
              break;
            default:
              break;
          }
          blocks.pop();
        }
      } else if (token == "size") {
        file >> size[0] >> size[1] >> size[2];
      } else if (token == "position") {
        file >> position[0] >> position[1] >> position[2];
      } else if (token == "time") {
        file >> times[0] >> times[1];
      } else if (token == "texture") {
        file >> texture;
      } else if (!token.empty() && token[token.size() - 1] == '{') {
        blocks.push(kIgnored);
      }

      if (blocks.empty()) break;
      if (file.eof()) break;
      // A malformed number, or a key with too few values, leaves the stream
      // failed: nothing more can be read, so reading ends here.
      if (file.fail()) break;
    }
  } catch (const std::exception&) {
    // The objects created so far stay in the scene.
    assert(false);
  }

  // With no building in the file nothing holds the shared renderer.
  if (!buildingsHeld) delete buildings;
}
