// The path file reader: one key per closing brace with the values current at
// that moment, the stop at the outermost closing brace, case-insensitive keys,
// and reading that ends (keeping the keys made) on a missing file, an early
// end of file, a malformed number or a key with too few values.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Classes/SceneGame/WordGenerator.h"
#include "FileInterpreter.h"
#include "camera_test_scene.h"
#include "game_test_support.h"

namespace {

typedef std::vector<std::unique_ptr<CameraKey>> Keys;

Keys ReadKeys(const std::string& content) {
  gametest::WriteData("path.txt", content);
  Keys keys;
  CFileInterpreter::ReadPath("Data\\path.txt", [&keys](CameraKey* key) { keys.emplace_back(key); });
  return keys;
}

TEST(PathFile, AnOuterBlockMakesOneMoreKeyCopyingTheLast) {
  Keys keys = ReadKeys(
      "{\n"
      "  { time 0 position 0 1.5 -5 lookat 0 0 1 worldup 0 1 0 }\n"
      "  { time 5000 position 10 2 20 lookat 1 0 0 worldup 0 1 0.25 }\n"
      "}\n");
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0]->time, 0);
  ExpectVector(keys[0]->position, 0, 1.5f, -5);
  ExpectVector(keys[0]->lookAt, 0, 0, 1);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(keys[i]->time, 5000);
    ExpectVector(keys[i]->position, 10, 2, 20);
    ExpectVector(keys[i]->lookAt, 1, 0, 0);
    ExpectVector(keys[i]->worldUp, 0, 1, 0.25f);
  }
}

TEST(PathFile, ValuesCarryOverAndKeysIgnoreCase) {
  // A brace may follow a number directly; unknown tokens are skipped.
  Keys keys =
      ReadKeys("{ { TIME 100 Position 1 2 3 LOOKAT 4 5 6 WorldUp 7 8 9} speed 3 { time 900} }");
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[1]->time, 900);
  ExpectVector(keys[1]->position, 1, 2, 3);
  ExpectVector(keys[1]->lookAt, 4, 5, 6);
  ExpectVector(keys[1]->worldUp, 7, 8, 9);

  Keys fresh = ReadKeys("{ time 7 } { time 8 } }");  // vectors start at zero
  ASSERT_EQ(fresh.size(), 1u);                       // nothing after the outermost block is read
  ExpectVector(fresh[0]->position, 0, 0, 0);
}

TEST(PathFile, AFileNotStartingWithABlockMakesNothingUsable) {
  EXPECT_EQ(ReadKeys("time 0 { { time 5 } }").size(), 0u);
  EXPECT_EQ(ReadKeys("").size(), 0u);
  // A stray closing brace first makes its key, closes nothing and ends reading.
  EXPECT_EQ(ReadKeys("} { time 5 } }").size(), 1u);

  int count = 0;
  CFileInterpreter::ReadPath("Data\\missing.txt", [&count](CameraKey* key) {
    delete key;
    ++count;
  });
  EXPECT_EQ(count, 0);
}

TEST(PathFile, BadOrMissingValuesEndReadingKeepingTheKeysMade) {
  Keys malformed = ReadKeys("{ { time 100 } { position 1 x 3 } { time 300 } }");
  ASSERT_EQ(malformed.size(), 1u);
  EXPECT_EQ(malformed[0]->time, 100);
  EXPECT_EQ(ReadKeys("{ { time 100 } { position 1 2 } { time 300 } }").size(), 1u);  // too few
  EXPECT_EQ(ReadKeys("{ { time 99999999999 } { time 1 } }").size(), 0u);             // out of range
  EXPECT_EQ(ReadKeys("{ { time 5 } { time 6 position 1 2").size(), 1u);              // cut short
}

TEST(PathFile, KeysReachTheScenesPathAndDriveTheCamera) {
  gametest::WriteData("ride.txt",
                      "{\r\n{ time 0 position 0 0 0 lookat 0 0 1 worldup 0 1 0 }\r\n"
                      "{ time 2000 position 0 0 100 }\r\n}\r\n");
  CameraTestScene scene;
  CFileInterpreter::InterpretPath(&scene, "Data\\ride.txt");
  ASSERT_EQ(scene.m_path.GetCount(), 3);
  scene.StepAt(500);
  ExpectVector(scene.m_eye, 0, 0, 25);
  ExpectVector(scene.m_lookAt, 0, 0, 26);
  scene.StepAt(2000);
  EXPECT_EQ(scene.m_clears, 1);

  // The content readers trace their operations.
  gametest::WriteData("one.txt", "ox\n");
  CWordGenerator generator("Data\\one.txt");
  EXPECT_EQ(generator.GetWord(std::set<char>{'o'}, 1, -1), "ox");
  std::string log = gametest::ReadTraceLog();
  for (const char* name : {"CFileInterpreter::InterpretPath()", "CWordGenerator::CWordGenerator()",
                           "CWordGenerator::GetWord()"})
    EXPECT_NE(log.find(std::string("-") + name + ":end length:"), std::string::npos) << name;
}

}  // namespace
