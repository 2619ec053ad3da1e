#include "SourcePaths.h"

#include "platform/posix/PosixFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

class SourcePaths : public ::testing::Test {
protected:
  void SetUp() override {
    char Tmpl[] = "/tmp/tc-srcpaths-XXXXXX";
    Root = mkdtemp(Tmpl);
    mkdir((Root + "/Files").c_str(), 0755);
    mkdir((Root + "/Files/Sub").c_str(), 0755);
    std::ofstream(Root + "/Files/Sub/Read Me.TXT") << "x";
    std::ofstream(Root + "/Files/a.txt") << "x";
    std::ofstream(Root + "/Files/A.TXT") << "y";
  }
  void TearDown() override { std::system(("rm -rf '" + Root + "'").c_str()); }

  bool Resolve(const std::string &RootDir, const std::string &Author, std::string &Out,
               std::string &Error) {
    return mksetup::ResolveSourcePath(Fs, Root, RootDir, Author, Out, Error);
  }

  platform::posix::PosixFileSystem Fs;
  std::string Root;
};

} // namespace

TEST_F(SourcePaths, RelativeAndAbsoluteAuthorPaths) {
  std::string Out, Error;
  ASSERT_TRUE(Resolve("", "files\\SUB\\read me.txt", Out, Error)) << Error;
  EXPECT_EQ(Out, Root + "/Files/Sub/Read Me.TXT");
  ASSERT_TRUE(Resolve("c:\\work\\demo\\", "C:\\Work\\Demo\\Files\\Sub\\Read Me.TXT", Out, Error))
      << Error;
  EXPECT_EQ(Out, Root + "/Files/Sub/Read Me.TXT");
  ASSERT_TRUE(Resolve("", "Files/./Sub//Read Me.TXT", Out, Error)) << Error;
  // An exact spelling wins over others that differ only in case.
  ASSERT_TRUE(Resolve("", "Files\\a.txt", Out, Error));
  EXPECT_EQ(Out, Root + "/Files/a.txt");
}

TEST_F(SourcePaths, RefusedPaths) {
  std::string Out, Error;
  EXPECT_FALSE(Resolve("C:\\Work", "D:\\Work\\x.txt", Out, Error));
  EXPECT_NE(Error.find("ROOT_DIR"), std::string::npos);
  // A root that is only a prefix of the first directory's name.
  EXPECT_FALSE(Resolve("C:\\Work", "C:\\Workshop\\Files\\a.txt", Out, Error));
  EXPECT_FALSE(Resolve("", "\\Files\\a.txt", Out, Error));
  EXPECT_FALSE(Resolve("", "Files\\..\\..\\etc\\passwd", Out, Error));
  EXPECT_NE(Error.find("leaves"), std::string::npos);
  EXPECT_FALSE(Resolve("", "Files\\Sub", Out, Error));   // a directory, not a file
  EXPECT_FALSE(Resolve("", "files\\a.TxT", Out, Error)); // two files match
  EXPECT_NE(Error.find("several"), std::string::npos);
  EXPECT_FALSE(Resolve("", "Files\\none.txt", Out, Error));
  EXPECT_NE(Error.find("none.txt"), std::string::npos);
  EXPECT_FALSE(Resolve("", "", Out, Error));
}
