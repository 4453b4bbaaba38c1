// Title, level select and score scenes driven through the game core on the
// fake device: which keys hand over, to what, and what the score shows.
#include <cmath>
#include <cstring>

#include "Classes/SceneScore.h"
#include "Classes/SceneSelect.h"
#include "Classes/SceneTitle.h"
#include "CoreFixture.h"

namespace coretest {
namespace {

// ------------------------------------------------------------------ title

TEST_F(CoreTest, TitleLeavesForTheLevelSelectOnAnyKeyEscapeIncluded) {
  for (int key : {int('a'), KeyEscape, -23, int(' ')}) {
    InitDevice();
    Frame(0.0f);  // the title is current
    CSceneManager* manager = m_app->GetSceneManager();
    NewTrace();
    manager->CatchKey(key);
    manager->CatchKey('b');  // a second key in the same frame
    Frame(0.1f);
    std::string trace = NewTrace();
    EXPECT_EQ(CountScopes(trace, "CSceneSelect::CSceneSelect"), 1) << key;
    // Moved once more, then replaced; the level select draws in the same frame.
    EXPECT_EQ(CountScopes(trace, "CSceneTitle::Move"), 1) << key;
    EXPECT_EQ(CountScopes(trace, "CSceneTitle::Draw"), 0) << key;
    EXPECT_EQ(CountScopes(trace, "CSceneSelect::Draw"), 1) << key;
    m_app->DeleteDeviceObjects();
    m_deviceObjects = false;
  }
}

TEST_F(CoreTest, TitleDrawsItsPictureOverTheViewportWithDepthTestingOff) {
  InitDevice(800, 600);
  CSceneTitle title;
  m_log.clear();
  m_device.m_drawn.clear();
  EXPECT_TRUE(title.Draw());
  const CallLog expected = {
      "BeginScene()",         "GetViewport()",        "SetTexture(0, Title2.bmp)",
      "SetRenderState(7, 0)", "SetRenderState(4, 0)", "DrawPrimitive(5, 0x1c4, 4, 0)",
      "SetRenderState(7, 1)", "EndScene()",
  };
  EXPECT_EQ(m_log, expected);
  ASSERT_EQ(m_device.m_drawn.size(), 1u);
  const std::vector<D3DTLVERTEX>& quad = m_device.m_drawn[0];
  EXPECT_EQ(quad[0].sy, 600.0f);
  EXPECT_EQ(quad[1].sx, 0.0f);
  EXPECT_EQ(quad[2].sx, 800.0f);
  EXPECT_EQ(quad[2].sy, 600.0f);
  EXPECT_EQ(quad[3].sx, 800.0f);
  EXPECT_EQ(quad[3].sy, 0.0f);
}

// ------------------------------------------------------------------ level select

struct Choice {
  std::string sceneFile, pathFile, wordList;
  bool keyboard;
};
std::vector<Choice> g_choices;

IScene* RecordChoice(const std::string& sceneFile, const std::string& pathFile,
                     const std::string& wordList, bool keyboard) {
  g_choices.push_back({sceneFile, pathFile, wordList, keyboard});
  return new WatchedScene(std::make_shared<SceneEvents>());
}

class SelectTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    g_choices.clear();
    m_previous = SetGameSceneFactory(RecordChoice);
    InitDevice();
  }
  void TearDown() override {
    SetGameSceneFactory(m_previous);
    CoreTest::TearDown();
  }
  GameSceneFactory m_previous = nullptr;
};

TEST_F(SelectTest, EachLevelKeyChoosesItsFilesInEitherCase) {
  const struct {
    int key;
    Choice choice;
  } rows[] = {
      {'e', {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\easy.txt", true}},
      {'E', {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\easy.txt", true}},
      {'n', {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\normal.txt", false}},
      {'N', {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\normal.txt", false}},
      {'d', {"Data\\scene10d.txt", "Data\\path10.txt", "Data\\difficult.txt", false}},
      {'D', {"Data\\scene10d.txt", "Data\\path10.txt", "Data\\difficult.txt", false}},
  };
  for (const auto& row : rows) {
    g_choices.clear();
    CSceneSelect select;
    select.CatchKey(row.key);
    EXPECT_FALSE(select.IsAlive()) << char(row.key);
    ASSERT_EQ(g_choices.size(), 1u) << char(row.key);
    EXPECT_EQ(g_choices[0].sceneFile, row.choice.sceneFile) << char(row.key);
    EXPECT_EQ(g_choices[0].pathFile, row.choice.pathFile) << char(row.key);
    EXPECT_EQ(g_choices[0].wordList, row.choice.wordList) << char(row.key);
    EXPECT_EQ(g_choices[0].keyboard, row.choice.keyboard) << char(row.key);
  }
}

TEST_F(SelectTest, OtherKeysChangeNothingAndOnlyTheFirstChoiceCounts) {
  CSceneSelect select;
  for (int key : {int('x'), int('5'), KeyEscape, -23, -1, 'E' + 256, 0}) select.CatchKey(key);
  EXPECT_TRUE(select.IsAlive());
  EXPECT_TRUE(g_choices.empty());
  select.CatchKey('n');
  select.CatchKey('d');
  EXPECT_FALSE(select.IsAlive());
  ASSERT_EQ(g_choices.size(), 1u);
  EXPECT_EQ(g_choices[0].wordList, "Data\\normal.txt");
}

TEST_F(SelectTest, TheChosenStageBecomesCurrentOnTheNextFrame) {
  Frame(0.0f);                              // title
  m_app->GetSceneManager()->CatchKey('q');  // title -> select
  Frame(0.1f);                              // select current
  m_app->GetSceneManager()->CatchKey('d');  // select -> stage
  NewTrace();
  Frame(0.2f);
  std::string trace = NewTrace();
  EXPECT_EQ(CountScopes(trace, "CSceneSelect::Move"), 1);
  EXPECT_EQ(CountScopes(trace, "CSceneSelect::Draw"), 0);
  ASSERT_EQ(g_choices.size(), 1u);
  EXPECT_EQ(g_choices[0].sceneFile, "Data\\scene10d.txt");
}

// ------------------------------------------------------------------ score

// The digit image shown by each cell of a drawn row (11 is the blank).
std::vector<int> CellImages(const std::vector<D3DTLVERTEX>& row) {
  std::vector<int> images;
  for (size_t cell = 0; cell + 6 <= row.size(); cell += 6)
    images.push_back(static_cast<int>(std::lround(row[cell].tv * 16.0f)));
  return images;
}

class ScoreTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    InitDevice();
  }
  // Draws a score scene and returns the four digit rows it drew.
  std::vector<std::vector<D3DTLVERTEX>> DrawScore(CSceneScore& score) {
    m_device.m_drawn.clear();
    m_log.clear();
    EXPECT_TRUE(score.Draw());
    std::vector<std::vector<D3DTLVERTEX>> rows(m_device.m_drawn.begin() + 1,
                                               m_device.m_drawn.end());
    return rows;
  }
  CPlayerStatus* Status() { return m_app->GetPlayerStatus(); }
};

TEST_F(ScoreTest, RowsShowTheNumbersRightAlignedWithBlankLeadingCells) {
  CSceneScore score;
  Status()->AddScore(1234);
  for (int i = 0; i < 3; ++i) Status()->Fire();
  Status()->AddHit();
  Status()->AddHit();
  auto rows = DrawScore(score);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(CellImages(rows[0]), (std::vector<int>{11, 11, 1, 2, 3, 4}));
  EXPECT_EQ(CellImages(rows[1]), (std::vector<int>{11, 11, 11, 11, 11, 3}));
  EXPECT_EQ(CellImages(rows[2]), (std::vector<int>{11, 11, 11, 11, 11, 2}));
  // 2 of 3 is 66 %, truncated.
  EXPECT_EQ(CellImages(rows[3]), (std::vector<int>{11, 6, 6}));

  Status()->AddScore(1234567 - 1234);
  EXPECT_EQ(CellImages(DrawScore(score)[0]), (std::vector<int>{2, 3, 4, 5, 6, 7}));
}

TEST_F(ScoreTest, NothingFiredLeavesEveryRowBlankInsteadOfDividingByZero) {
  CSceneScore score;
  auto rows = DrawScore(score);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(CellImages(rows[0]), std::vector<int>(6, 11));
  EXPECT_EQ(CellImages(rows[3]), std::vector<int>(3, 11));
}

TEST_F(ScoreTest, DrawsThePictureThenTheDigitsKeyedWithoutBlending) {
  CSceneScore score;
  DrawScore(score);
  const CallLog expected = {
      "BeginScene()",
      "GetViewport()",
      "SetTexture(0, Score.bmp)",
      "SetRenderState(7, 0)",
      "SetRenderState(4, 0)",
      "DrawPrimitive(5, 0x1c4, 4, 0)",
      "SetTexture(0, Sprite.bmp)",
      "SetRenderState(7, 0)",
      "SetRenderState(27, 0)",
      "SetRenderState(41, 1)",
      "DrawPrimitive(4, 0x1c4, 36, 0)",
      "DrawPrimitive(4, 0x1c4, 36, 0)",
      "DrawPrimitive(4, 0x1c4, 36, 0)",
      "DrawPrimitive(4, 0x1c4, 18, 0)",
      "SetRenderState(7, 1)",
      "EndScene()",
  };
  EXPECT_EQ(m_log, expected);
}

TEST_F(ScoreTest, DigitImagesAreCutFromTheLeftColumnOfTheSpriteSheet) {
  CSceneScore score;
  Status()->AddScore(9);
  std::vector<D3DTLVERTEX> row = DrawScore(score)[0];
  std::vector<D3DTLVERTEX> cell(row.end() - 6, row.end());
  uint32_t rightBits = 0x3D7F3333;
  float right;
  memcpy(&right, &rightBits, sizeof(right));
  const float us[6] = {0, 0, right, 0, right, right};
  const float vs[6] = {9 / 16.0f, 10 / 16.0f, 9 / 16.0f, 10 / 16.0f, 10 / 16.0f, 9 / 16.0f};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(cell[i].tu, us[i]) << i;
    EXPECT_EQ(cell[i].tv, vs[i]) << i;
    EXPECT_EQ(cell[i].sz, 0.5f);
    EXPECT_EQ(cell[i].rhw, 2.0f);
    EXPECT_EQ(cell[i].color, 0xFFFFFFFFu);
  }
}

TEST_F(ScoreTest, CellsScaleWithTheViewport) {
  for (DWORD width : {640u, 800u}) {
    m_device.m_viewport.dwWidth = width;
    m_device.m_viewport.dwHeight = width * 3 / 4;
    CSceneScore score;
    auto rows = DrawScore(score);
    float unit = width / 640.0f * 32.0f;  // 32 or 40 pixels
    // First cell of the score row: column 10, top 96 (at 640 x 480).
    const D3DTLVERTEX* cell = rows[0].data();
    EXPECT_FLOAT_EQ(cell[0].sx, 10 * unit);
    EXPECT_FLOAT_EQ(cell[0].sy, 3 * unit);
    EXPECT_FLOAT_EQ(cell[4].sx, 11 * unit);
    EXPECT_FLOAT_EQ(cell[4].sy, 4 * unit);
    // Every row ends at column 15's right edge; the rate row starts at 13.
    for (const auto& row : rows) EXPECT_FLOAT_EQ(row.back().sx, 16 * unit);
    EXPECT_FLOAT_EQ(rows[3][0].sx, 13 * unit);
    EXPECT_FLOAT_EQ(rows[3][0].sy, 12 * unit);
  }
}

TEST_F(ScoreTest, TimesOutStrictlyAfterTenSecondsFromItsFirstMove) {
  CSceneScore score;
  Status()->AddScore(50);
  score.Move(5000);
  score.Move(15000);
  EXPECT_TRUE(score.IsAlive());
  EXPECT_EQ(Status()->GetScore(), 50);
  score.Move(15001);
  EXPECT_FALSE(score.IsAlive());
  EXPECT_EQ(Status()->GetScore(), 0);  // reset at hand-over
}

TEST_F(ScoreTest, KeyAndTimeOutInOneFramePushOneTitle) {
  m_app->GetSceneManager()->PushScene(new CSceneScore());
  Frame(1.0f);  // score current
  Frame(2.0f);  // first Move: leaves after 12000 ms
  NewTrace();
  m_app->GetSceneManager()->CatchKey(KeyEscape);
  m_app->GetSceneManager()->CatchKey('x');
  Frame(12.5f);  // the time-out falls in this frame too
  Frame(12.6f);
  std::string trace = NewTrace();
  EXPECT_EQ(CountScopes(trace, "CSceneTitle::CSceneTitle()"), 1);
  EXPECT_EQ(CountScopes(trace, "CSceneTitle::Draw"), 2);
}

}  // namespace
}  // namespace coretest
