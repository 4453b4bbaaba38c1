// The frame subclass: the device test, and how window messages become key
// presses for the current scene.
#include "CoreFixture.h"
#include "MyD3DApplication.h"

namespace coretest {
namespace {

TEST(FrameOptions, DeviceNeedsBlendFactorOneForSourceAndDestination) {
  struct Case {
    DWORD source, destination;
    HRESULT expected;
  };
  const Case cases[] = {
      {D3DPBLENDCAPS_ONE, D3DPBLENDCAPS_ONE, S_OK},
      {D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCALPHA, 0xFFFFFFFF, S_OK},
      {D3DPBLENDCAPS_ONE, D3DPBLENDCAPS_ZERO, E_FAIL},
      {D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_ZERO, D3DPBLENDCAPS_ONE, E_FAIL},
      {0, 0, E_FAIL},
  };
  for (const Case& c : cases) {
    D3DDEVICEDESC7 desc{};
    desc.dpcTriCaps.dwSrcBlendCaps = c.source;
    desc.dpcTriCaps.dwDestBlendCaps = c.destination;
    // The driver caps are not looked at.
    EXPECT_EQ(CMyD3DApplication::AcceptDevice(nullptr, &desc), c.expected)
        << std::hex << c.source << " " << c.destination;
  }
}

class KeyRoutingTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    InitDevice();
    m_events = EnterWatchedScene();
    Frame(0.0f);
    NewTrace();
  }
  std::shared_ptr<SceneEvents> m_events;
  CMyD3DApplication m_frame;
};

const char kKeyDown[] = "TD3DAppForm1::FormKeyDown(TObject *Sender, WORD &Key,TShiftState Shift)";
const char kKeyPress[] = "TD3DAppForm1::FormKeyPress(TObject *Sender, char &Key)";

TEST_F(KeyRoutingTest, EscapeKeyDownArrivesAsKeyEscape) {
  m_frame.MsgProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(m_events->keys, std::vector<int>{KeyEscape});
  EXPECT_EQ(ClosedScopes(NewTrace()), std::vector<std::string>{kKeyDown});
}

TEST_F(KeyRoutingTest, OtherKeyDownsAreSwallowedWithoutReachingTheScene) {
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_LEFT), WPARAM(VK_F1)})
    EXPECT_EQ(m_frame.MsgProc(nullptr, WM_KEYDOWN, key, 0), 0);
  EXPECT_TRUE(m_events->keys.empty());
  EXPECT_EQ(CountScopes(NewTrace(), kKeyDown), 4);
}

TEST_F(KeyRoutingTest, CharactersArriveAsSignedBytes) {
  for (WPARAM c : {WPARAM('a'), WPARAM('Z'), WPARAM(0xE9), WPARAM(0x80), WPARAM(0xFF),
                   WPARAM(0x1E9), WPARAM(27)})
    m_frame.MsgProc(nullptr, WM_CHAR, c, 0);
  EXPECT_EQ(m_events->keys, (std::vector<int>{'a', 'Z', -23, -128, -1, -23, 27}));
  EXPECT_EQ(CountScopes(NewTrace(), kKeyPress), 7);
}

}  // namespace
}  // namespace coretest
