// The directory browser: walking a path into the list, and what OK makes of
// a typed path.
#include "pages/BrowserPath.h"

#include "../install/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using pages::NormaliseTypedPath;

TEST(BrowserPath, TypedPathsAreMadeAbsoluteOnTheDriveBoxDrive) {
  EXPECT_EQ(NormaliseTypedPath("Apps\\\\New", "c: [SYSTEM]"), "c:\\Apps\\New");
  EXPECT_EQ(NormaliseTypedPath("\\Apps", "  d: [DATA]"), "d:\\Apps");
  EXPECT_EQ(NormaliseTypedPath("e:Apps", "c:"), "e:\\Apps");
  EXPECT_EQ(NormaliseTypedPath("e:", "c:"), "e:\\");
  EXPECT_EQ(NormaliseTypedPath("", "c:"), "c:\\");
  EXPECT_EQ(NormaliseTypedPath("x", "c:"), "c:\\x");
  EXPECT_EQ(NormaliseTypedPath("E:\\\\\\a\\\\\\\\b\\\\", "c:"), "E:\\a\\b\\");
  // A network path is not a drive path: it is put on the drive as well.
  EXPECT_EQ(NormaliseTypedPath("\\\\server\\share", "c:"), "c:\\server\\share");
}

TEST(BrowserPath, OkKeepsAnExistingDirectoryAsTyped) {
  fake::Files Fs;
  Fs.AddDir("C:\\Apps");
  EXPECT_EQ(pages::BrowserResult(Fs, "C:\\Apps", "d:"), "C:\\Apps");
  EXPECT_EQ(pages::BrowserResult(Fs, "Apps\\\\New", "c:"), "c:\\Apps\\New");
}

TEST(BrowserPath, SetDirectoryWalksToTheDeepestExistingStep) {
  EXPECT_EQ(pages::PathSteps("C:\\Apps\\New"),
            (std::vector<std::string>{"C:\\", "C:\\Apps\\", "C:\\Apps\\New"}));
  EXPECT_EQ(pages::PathSteps("C:\\Apps\\"), (std::vector<std::string>{"C:\\", "C:\\Apps\\"}));
  EXPECT_TRUE(pages::PathSteps("").empty());
  fake::Files Fs;
  Fs.AddDir("C:\\");
  Fs.AddDir("C:\\Apps");
  EXPECT_EQ(pages::DeepestExistingStep(Fs, "C:\\Apps\\New\\Sub"), "C:\\Apps\\");
  EXPECT_EQ(pages::DeepestExistingStep(Fs, "Q:\\Apps"), "");
}

TEST(BrowserPath, DriveOfAPath) {
  EXPECT_EQ(pages::DriveOfPath("D:\\Apps"), "d:");
  EXPECT_EQ(pages::DriveOfPath("c:"), "c:");
  EXPECT_EQ(pages::DriveOfPath("\\\\server\\share"), "");
  EXPECT_EQ(pages::DriveOfPath("1:\\x"), "");
  EXPECT_EQ(pages::DriveOfPath("D"), "");
}

} // namespace
