// Readers of the content files. Both read whitespace-separated tokens with
// keywords compared in lower case; a file that cannot be opened yields nothing.
#pragma once

#include <functional>
#include <string>

class CSceneGame;
struct CameraKey;

class CFileInterpreter {
 public:
  // Reads a scene file: buildings, ground, panel and enemies become objects
  // handed to the scene's AddObject in file order.
  static void InterpretScene(CSceneGame* scene, const std::string& fileName);

  // Reads a path file: one camera key per closing brace, each handed to the
  // scene's AddCameraKey (which takes ownership) in file order.
  template <class Scene>
  static void InterpretPath(Scene* scene, const std::string& fileName) {
    ReadPath(fileName, [scene](CameraKey* key) { scene->AddCameraKey(key); });
  }

  // The path reader itself: every key made goes to addCameraKey, which takes
  // ownership.
  static void ReadPath(const std::string& fileName,
                       const std::function<void(CameraKey*)>& addCameraKey);
};
