#include "platform/posix/posix_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quendrix {
namespace {

namespace fs = std::filesystem;

class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quendrix-posix-" + std::string(
                ::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
  PosixPlatform platform_;
};

TEST_F(PosixPlatformTest, OnlyRegularFilesOpenForReading) {
  std::ofstream(Path("a.bin"), std::ios::binary) << "0123456789";
  fs::create_directory(Path("folder"));
  EXPECT_NE(platform_.OpenForReading(Path("a.bin")), nullptr);
  EXPECT_EQ(platform_.OpenForReading(Path("folder")), nullptr);
  EXPECT_EQ(platform_.OpenForReading(Path("none")), nullptr);
  EXPECT_EQ(platform_.OpenForReading(""), nullptr);
  EXPECT_TRUE(platform_.PathExists(Path("folder")));
  EXPECT_TRUE(platform_.PathExists(Path("a.bin")));
  EXPECT_FALSE(platform_.PathExists(Path("none")));
  EXPECT_FALSE(platform_.PathExists(""));
}

TEST_F(PosixPlatformTest, SeeksAndReadsLandWhereAsked) {
  std::ofstream(Path("a.bin"), std::ios::binary) << "0123456789";
  std::unique_ptr<InputFile> file = platform_.OpenForReading(Path("a.bin"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 10);
  char buffer[8] = {};
  // The same offset twice, forwards, backwards, and past the end.
  const struct {
    int64_t offset;
    size_t size;
    std::string expected;
  } steps[] = {{0, 3, "012"}, {3, 3, "345"}, {3, 2, "34"}, {1, 2, "12"},
               {8, 5, "89"},  {10, 4, ""},   {12, 4, ""},   {0, 1, "0"}};
  for (const auto& step : steps) {
    ASSERT_TRUE(file->Seek(step.offset)) << step.offset;
    int64_t got = file->Read(buffer, step.size);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(got)), step.expected) << step.offset;
  }
  EXPECT_FALSE(file->Seek(-1));
}

// Forwards seeks and reads only, so that ReadPieces is the interface's own,
// piece by piece.
class PieceByPiece : public InputFile {
 public:
  explicit PieceByPiece(InputFile& file) : file_(file) {}
  bool Seek(int64_t offset) override { return file_.Seek(offset); }
  int64_t Read(void* buffer, size_t size) override { return file_.Read(buffer, size); }
  int64_t Size() override { return file_.Size(); }

 private:
  InputFile& file_;
};

TEST_F(PosixPlatformTest, PiecesReadTogetherBringWhatPieceByPieceReadsBring) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>('A' + i % 26);
  std::ofstream(Path("a.bin"), std::ios::binary) << bytes;
  std::unique_ptr<InputFile> file = platform_.OpenForReading(Path("a.bin"));
  ASSERT_NE(file, nullptr);
  PieceByPiece single(*file);
  // Whole pieces, a last short piece, more pieces than one system call
  // takes, a read that runs past the end, one from the end, one beyond it.
  const struct {
    int64_t offset;
    size_t size;
    size_t piece;
    int64_t expected;
  } cases[] = {{0, 1000, 100, 1000}, {5, 333, 100, 333}, {0, 1000, 7, 1000},
               {900, 300, 64, 100},  {1000, 10, 4, 0},   {1200, 10, 4, 0},
               {3, 0, 10, 0}};
  for (InputFile* reader : {file.get(), static_cast<InputFile*>(&single)}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "offset " << c.offset << ", size " << c.size
                                        << ", piece " << c.piece);
      std::string buffer(c.size, '-');
      const int64_t got = reader->ReadPieces(c.offset, buffer.data(), c.size, c.piece);
      ASSERT_EQ(got, c.expected);
      if (got > 0) {
        EXPECT_EQ(buffer.substr(0, static_cast<size_t>(got)),
                  bytes.substr(static_cast<size_t>(c.offset), static_cast<size_t>(got)));
      }
      EXPECT_EQ(buffer.substr(static_cast<size_t>(got)), std::string(c.size - got, '-'));
    }
  }
  // Pieces of no bytes would never end: refused.
  char ten[10];
  EXPECT_EQ(file->ReadPieces(0, ten, sizeof ten, 0), -1);
  EXPECT_EQ(single.ReadPieces(0, ten, sizeof ten, 0), -1);
  // The file's own position is where the reads left it, or unchanged.
  char one = 0;
  ASSERT_TRUE(file->Seek(26));
  ASSERT_EQ(file->Read(&one, 1), 1);
  EXPECT_EQ(one, 'A');
  EXPECT_EQ(file->ReadPieces(-1, &one, 1, 1), -1);
}

TEST_F(PosixPlatformTest, WritesRenamesAndRemoves) {
  std::unique_ptr<OutputFile> out = platform_.CreateForWriting(Path("tmp"));
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Write("abc", 3));
  EXPECT_TRUE(out->Close());
  std::ofstream(Path("Image.img")) << "old";
  EXPECT_TRUE(platform_.RenameFile(Path("tmp"), Path("Image.img")));
  EXPECT_EQ(fs::file_size(Path("Image.img")), 3u);
  EXPECT_FALSE(platform_.PathExists(Path("tmp")));
  EXPECT_TRUE(platform_.RemoveFile(Path("Image.img")));
  EXPECT_FALSE(platform_.RemoveFile(Path("Image.img")));
  fs::create_directory(Path("folder"));
  EXPECT_EQ(platform_.CreateForWriting(Path("folder")), nullptr);
}

TEST_F(PosixPlatformTest, ProfilesAreReadFromTheFile) {
  std::ofstream(Path("Tavik.cmd")) << "[Convert]\r\nCtrlFile=link.txt\r\nNoHeader=0x10\r\n";
  EXPECT_EQ(platform_.ReadProfileText(Path("Tavik.cmd"), "Convert", "CtrlFile", "", 101),
            "link.txt");
  EXPECT_EQ(platform_.ReadProfileInt(Path("Tavik.cmd"), "Convert", "NoHeader", 0), 16);
  EXPECT_EQ(platform_.ReadProfileInt(Path("none"), "Convert", "NoHeader", 7), 7);
}

}  // namespace
}  // namespace quendrix
