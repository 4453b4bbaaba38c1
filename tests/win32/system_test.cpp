// Clock, registry, file paths, debug output, message boxes, strings and the
// headless presentation.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend/png.h"
#include "backend/present.h"
#include "port.h"
#include "testing.h"
#include "win32.h"

namespace {

TEST(Clock, ManualClockDrivesTimeAndThePerformanceCounter) {
  platform::UseManualClock(true);
  EXPECT_EQ(timeGetTime(), 0u);
  platform::AdvanceClock(1500);
  EXPECT_EQ(timeGetTime(), 1500u);
  LARGE_INTEGER frequency, count;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  ASSERT_TRUE(QueryPerformanceCounter(&count));
  EXPECT_EQ(count.QuadPart, 1500 * frequency.QuadPart / 1000);
  // The millisecond count wraps as a 32-bit value does.
  platform::SetClock(0xFFFFFFF0u);
  platform::AdvanceClock(0x20);
  EXPECT_EQ(timeGetTime(), 0x10u);
  platform::UseManualClock(false);

  const DWORD first = timeGetTime();
  ASSERT_TRUE(QueryPerformanceCounter(&count));
  const LONGLONG firstCount = count.QuadPart;
  const DWORD second = timeGetTime();
  ASSERT_TRUE(QueryPerformanceCounter(&count));
  EXPECT_GE(static_cast<int32_t>(second - first), 0);  // the real clock never goes back
  EXPECT_GE(count.QuadPart, firstCount);
  EXPECT_EQ(frequency.QuadPart, 1000000);
}

TEST(Registry, TheDirectXKeyIsAbsent) {
  HKEY key = reinterpret_cast<HKEY>(static_cast<uintptr_t>(1));
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  char buffer[16];
  DWORD size = sizeof buffer;
  EXPECT_NE(RegQueryValueExA(key, "DXSDK Samples Path", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_SUCCESS);
}

class FilePath : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voskar-path-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_EQ(mkdir((root_ + "/BMP").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root_ + "/Data").c_str(), 0755), 0);
    Touch(root_ + "/BMP/Sky1.bmp");
    Touch(root_ + "/Data/scene10e.txt");
  }
  void TearDown() override {
    std::remove((root_ + "/BMP/Sky1.bmp").c_str());
    std::remove((root_ + "/Data/scene10e.txt").c_str());
    rmdir((root_ + "/BMP").c_str());
    rmdir((root_ + "/Data").c_str());
    rmdir(root_.c_str());
  }
  static void Touch(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  std::string root_;
};

TEST_F(FilePath, BackslashesBecomeSlashesAndExactNamesAreKept) {
  EXPECT_EQ(Port_FilePath((root_ + "\\Data\\scene10e.txt").c_str()), root_ + "/Data/scene10e.txt");
  EXPECT_EQ(Port_FilePath("Data\\path10.txt"), "Data/path10.txt");
  EXPECT_EQ(Port_FilePath(nullptr), "");
}

TEST_F(FilePath, NamesDifferingInCaseFindTheFileOnDisk) {
  EXPECT_EQ(Port_FilePath((root_ + "\\bmp\\SKY1.BMP").c_str()), root_ + "/BMP/Sky1.bmp");
  EXPECT_EQ(Port_FilePath((root_ + "/DATA/Scene10E.TXT").c_str()), root_ + "/Data/scene10e.txt");
  // Relative to the working directory, as the game opens its files.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(root_.c_str()), 0);
  const std::string relative = Port_FilePath("bmp\\sky1.bmp");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(relative, "BMP/Sky1.bmp");
}

TEST_F(FilePath, MissingFilesKeepTheirTranslatedNameSoOpeningFails) {
  const std::string missing = Port_FilePath((root_ + "\\bmp\\Missing.bmp").c_str());
  EXPECT_EQ(missing, root_ + "/BMP/Missing.bmp");
  const std::string noFolder = Port_FilePath((root_ + "\\Nowhere\\sky1.bmp").c_str());
  EXPECT_EQ(noFolder, root_ + "/Nowhere/sky1.bmp");
  EXPECT_EQ(std::fopen(noFolder.c_str(), "r"), nullptr);
}

TEST(DebugOutput, IsCollectedUntilTaken) {
  platform::TakeDebugOutput();
  OutputDebugStringA("d3dframe(12): No ZBuffer");
  OutputDebugStringA("(hr=82000005)\n");
  OutputDebugStringA(nullptr);
  EXPECT_EQ(platform::TakeDebugOutput(), "d3dframe(12): No ZBuffer(hr=82000005)\n");
  EXPECT_EQ(platform::TakeDebugOutput(), "");
}

TEST(MessageBox, HeadlessBoxIsRecordedAndAnsweredOk) {
  platform::SetBackend(platform::Backend::Headless);
  platform::TakeMessageBoxes();
  EXPECT_EQ(
      MessageBoxA(nullptr, "No Direct3D\n\nThis sample will now exit.", "Voskar", MB_ICONERROR),
      IDOK);
  const auto boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Voskar");
  EXPECT_EQ(boxes[0].text, "No Direct3D\n\nThis sample will now exit.");
  EXPECT_EQ(boxes[0].type, UINT(MB_ICONERROR));
}

TEST(Strings, CopyTruncatesAndCompareIgnoresCase) {
  char buffer[6] = "xxxxx";
  EXPECT_EQ(lstrcpynA(buffer, "Primary Display", 4), buffer);
  EXPECT_STREQ(buffer, "Pri");
  lstrcpynA(buffer, "ab", sizeof buffer);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(lstrcmpiA("Sky1.BMP", "sky1.bmp"), 0);
  EXPECT_EQ(lstrcmpiA("\xC9t\xE9", "\xE9T\xC9"), 0);  // Été, éTÉ
  EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
  EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
}

TEST(Present, HeadlessKeepsEveryPictureForCapture) {
  platform::SetBackend(platform::Backend::Headless);
  // 3 x 2 pixels in rows of 4: the fourth column must not be taken.
  const uint32_t picture[8] = {0x112233, 0x445566, 0x778899, 0xDEAD,
                               0xAABBCC, 0xDDEEFF, 0x000000, 0xBEEF};
  const uint64_t before = platform::PresentCount();
  platform::PresentPicture(nullptr, picture, 3, 2, 4);
  EXPECT_EQ(platform::PresentCount(), before + 1);
  int width = 0, height = 0;
  const std::vector<uint32_t> pixels = platform::PresentedPixels(&width, &height);
  ASSERT_EQ(width, 3);
  ASSERT_EQ(height, 2);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC,
                                           0xFFDDEEFF, 0xFF000000}));
  const std::string path = ::testing::TempDir() + "voskar-present.png";
  ASSERT_TRUE(platform::CapturePresented(path));
  std::vector<uint32_t> read;
  ASSERT_TRUE(platform::ReadPng(path, &read, &width, &height));
  EXPECT_EQ(read, pixels);
  std::remove(path.c_str());
  platform::DesktopSize(&width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

}  // namespace
