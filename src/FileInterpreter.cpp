#include "FileInterpreter.h"

#include <cassert>
#include <cctype>
#include <exception>
#include <fstream>
#include <stack>

#include "Classes/SceneGame/CameraPath.h"
#include "ScopeTrace.h"
#include "port.h"

namespace {

// Keywords compare case-insensitively: the token is lower-cased byte by byte.
std::string ToLower(std::string token) {
  for (std::string::size_type i = 0; i < token.size(); ++i)
    token[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(token[i])));
  return token;
}

// Every opening brace pushes the same kind; only the nesting is counted.
const int kBlock = 0;

}  // namespace

// ------------------------------------------------------------------ path file

void CFileInterpreter::ReadPath(const std::string& fileName,
                                const std::function<void(CameraKey*)>& addCameraKey) {
  CScopeTrace trace("CFileInterpreter::InterpretPath()");

  try {
    std::ifstream file(Port_FilePath(fileName.c_str()).c_str());
    std::stack<int> blocks;
    int time = 0;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float lookAt[3] = {0.0f, 0.0f, 0.0f};
    float worldUp[3] = {0.0f, 0.0f, 0.0f};

    for (;;) {
      std::string token;
      file >> token;
      token = ToLower(token);

      if (token == "{") {
        blocks.push(kBlock);
      } else if (token == "}") {
        addCameraKey(new CameraKey(time, position[0], position[1], position[2], lookAt[0],
                                   lookAt[1], lookAt[2], worldUp[0], worldUp[1], worldUp[2]));
        // A closing brace with no block open (the file's first token) makes
        // its key but has nothing to close.
        if (!blocks.empty()) blocks.pop();
      } else if (token == "position") {
        file >> position[0] >> position[1] >> position[2];
      } else if (token == "lookat") {
        file >> lookAt[0] >> lookAt[1] >> lookAt[2];
      } else if (token == "worldup") {
        file >> worldUp[0] >> worldUp[1] >> worldUp[2];
      } else if (token == "time") {
        file >> time;
      }

      if (blocks.empty()) break;
      if (file.eof()) break;
      // A malformed number, or a key with too few values, leaves the stream
      // failed: nothing more can be read, so reading ends here.
      if (file.fail()) break;
    }
  } catch (const std::exception&) {
    // Keys already handed over stay with their owner.
    assert(false);
  }
}
