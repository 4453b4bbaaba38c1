// Keys and typed text become the messages the game's loop sees.
#include <SDL.h>

#include "backend/sdl_keys.h"
#include "recorder.h"

namespace {

using KeyboardMessages = RecordingWindow;

TEST_F(KeyboardMessages, LettersGiveTheirCodeThenTheTypedCharacter) {
  platform::InjectKeyDown(window_, 'A');
  platform::InjectText(window_, "a");
  platform::InjectKeyDown(window_, VK_SHIFT);
  platform::InjectKeyDown(window_, 'Q');
  platform::InjectText(window_, "Q");
  platform::InjectKeyDown(window_, '7');
  platform::InjectText(window_, "7");
  DrainQueue();
  EXPECT_EQ(KeyMessages(),
            (std::vector<Received>{KeyDown('A'), Char('a'), KeyDown(VK_SHIFT), KeyDown('Q'),
                                   Char('Q'), KeyDown('7'), Char('7')}));
}

TEST_F(KeyboardMessages, EditingKeysGetTheirCharacterRightAfterTheirKeyDown) {
  // The character made by translation is taken before anything queued later.
  platform::InjectKeyDown(window_, VK_ESCAPE);
  platform::InjectKeyDown(window_, 'B');
  platform::InjectText(window_, "b");
  platform::InjectKeyDown(window_, VK_RETURN);
  platform::InjectKeyDown(window_, VK_BACK);
  platform::InjectKeyDown(window_, VK_TAB);
  platform::InjectKeyDown(window_, VK_SPACE);
  platform::InjectText(window_, " ");
  DrainQueue();
  EXPECT_EQ(KeyMessages(),
            (std::vector<Received>{KeyDown(VK_ESCAPE), Char(27), KeyDown('B'), Char('b'),
                                   KeyDown(VK_RETURN), Char(13), KeyDown(VK_BACK), Char(8),
                                   KeyDown(VK_TAB), Char(9), KeyDown(VK_SPACE), Char(' ')}));
}

TEST_F(KeyboardMessages, AutoRepeatRepeatsBothMessagesAndIsMarked) {
  platform::InjectKeyDown(window_, 'K');
  platform::InjectText(window_, "k");
  platform::InjectKeyDown(window_, 'K', true);
  platform::InjectText(window_, "k");
  platform::InjectKeyDown(window_, VK_ESCAPE, true);
  DrainQueue();
  const std::vector<Received> keys = KeyMessages();
  ASSERT_EQ(keys.size(), 6u);
  EXPECT_EQ(keys[2], KeyDown('K', true));
  EXPECT_EQ(keys[2].lParam & (1 << 30), 1 << 30);  // the key was already down
  EXPECT_EQ(keys[0].lParam & (1 << 30), 0);
  EXPECT_EQ(keys[3], Char('k'));
  EXPECT_EQ(keys[4], KeyDown(VK_ESCAPE, true));
  EXPECT_EQ(keys[5], Char(27, true));
}

TEST_F(KeyboardMessages, AccentedLetterArrivesAsOneLatin1ByteNegativeAsSignedChar) {
  platform::InjectText(window_, "\xC3\xA9");  // é
  DrainQueue();
  const std::vector<Received> keys = KeyMessages();
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].wParam, 0xE9u);
  EXPECT_EQ(static_cast<int>(static_cast<signed char>(keys[0].wParam & 0xFF)), -23);
}

TEST(TextToCharBytes, KeepsLatin1AndDropsEverythingElse) {
  // a, é, € (beyond Latin-1), an emoji, a control character, ÿ.
  EXPECT_EQ(platform::TextToCharBytes("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x01\xC3\xBF"),
            std::string("a\xE9\xFF"));
  // Malformed: a lone lead byte, a lone continuation byte, an overlong '/'.
  EXPECT_EQ(platform::TextToCharBytes("\xC3z\x80y\xC0\xAFx"), std::string("zyx"));
  EXPECT_EQ(platform::TextToCharBytes(nullptr), std::string());
  EXPECT_EQ(platform::TextToCharBytes("\xC2\xA0\x7F~"), std::string("\xA0~"));
}

TEST(VirtualKeyFromSdl, FollowsTheLayoutForLatinKeysAndThePositionOtherwise) {
  using platform::VirtualKeyFromSdl;
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), UINT('A'));  // French layout's A key
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), UINT('Z'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), UINT('0'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), UINT(VK_ESCAPE));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), UINT(VK_RETURN));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), UINT(VK_BACK));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), UINT(VK_SHIFT));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F5, SDL_SCANCODE_F5), UINT(VK_F1 + 4));
  // é on the French layout's 2 key, a Cyrillic letter on the A key.
  EXPECT_EQ(VirtualKeyFromSdl(0xE9, SDL_SCANCODE_2), UINT('2'));
  EXPECT_EQ(VirtualKeyFromSdl(0x444, SDL_SCANCODE_A), UINT('A'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
}

}  // namespace
