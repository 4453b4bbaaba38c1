#include "HostileFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/NHRenderers.h"
#include "Classes/SceneGame/Target.h"
#include "support/StageInspector.h"

namespace hostile {

void EnterWorkFolder() {
  static bool entered = false;
  if (entered) return;
  entered = true;
  char folder[] = "/tmp/voskar-hostile-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chdir(folder), 0);
  ASSERT_EQ(mkdir("Data", 0755), 0);
  ASSERT_EQ(mkdir("BMP", 0755), 0);
  WriteFile("Data/still.txt",
            "{ { time 0 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 }\n"
            "  { time 600000 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 } }\n");
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ShippedContent(const std::string& name) {
  std::ostringstream text;
  text << std::ifstream(std::string(VOSKAR_SOURCE_DIR) + "/content/Data/" + name, std::ios::binary)
              .rdbuf();
  return text.str();
}

namespace {

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, int64_t value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>((value >> 16) & 0xFFFF));
}

}  // namespace

std::string Tga(int imageType, int width, int height, int depth, int descriptor,
                const std::string& payload) {
  std::string file;
  file += '\0';  // no ID field
  file += '\0';  // no colour map
  file += static_cast<char>(imageType);
  file.append(9, '\0');  // colour map fields and image origin
  Put16(file, width);
  Put16(file, height);
  file += static_cast<char>(depth);
  file += static_cast<char>(descriptor);
  return file + payload;
}

std::string RunLengthBmp(int width, int height, const std::string& runs) {
  const int palette = 256 * 4;
  const int offset = 14 + 40 + palette;
  std::string file = "BM";
  Put32(file, offset + static_cast<int64_t>(runs.size()));
  Put32(file, 0);
  Put32(file, offset);
  Put32(file, 40);
  Put32(file, width);
  Put32(file, height);
  Put16(file, 1);  // planes
  Put16(file, 8);  // bits
  Put32(file, 1);  // BI_RLE8
  Put32(file, static_cast<int64_t>(runs.size()));
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 256);
  Put32(file, 0);
  for (int i = 0; i < 256; ++i) {
    file.append(3, static_cast<char>(i));
    file += '\0';
  }
  return file + runs;
}

std::unique_ptr<CSceneGame> MakeStage(const std::string& sceneFile, const std::string& wordFile,
                                      const std::string& pathFile) {
  return std::unique_ptr<CSceneGame>(new CSceneGame(sceneFile, pathFile, wordFile, false));
}

StageContents Contents(CSceneGame& stage) {
  StageContents contents;
  for (CObject* object : CSceneGameInspector::Impl(stage).m_objects) {
    if (CEnemy* enemy = dynamic_cast<CEnemy*>(object)) {
      ++contents.enemies;
      contents.windows.push_back(enemy->GetStart());
      contents.windows.push_back(enemy->GetEnd());
    } else if (dynamic_cast<CGeneralVisibleObject*>(object)) {
      ++contents.buildings;
    } else if (dynamic_cast<CPanel*>(object)) {
      ++contents.panels;
    } else {
      ++contents.others;
    }
  }
  return contents;
}

}  // namespace hostile
