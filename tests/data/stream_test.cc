// Stream: the binary file writing that attachments use, and its refusal to replace a file.
#include "data/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "automation/error.h"
#include "support/error_of.h"

namespace {

using automation::Variant;
using test_support::error_of;

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("stream_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  data::StreamPtr binary_stream(const std::string& bytes) {
    data::StreamPtr s = data::Stream::create();
    s->Open(Variant::missing(), data::kModeUnknown, -1, "", "");
    s->SetType(data::kTypeBinary);
    s->Write(Variant(automation::Bytes(bytes.begin(), bytes.end())));
    return s;
  }

  std::filesystem::path dir_;
};

TEST_F(StreamTest, SaveRefusesAnExistingFileUnlessOverwriting) {
  std::filesystem::path path = dir_ / "A12.jpg";
  data::StreamPtr s = binary_stream(std::string("\x00\x01\xFFxyz", 6));
  EXPECT_EQ(s->Size(), 6);
  s->SaveToFile(path.string(), data::kSaveCreateNotExist);
  EXPECT_EQ(read_file(path), std::string("\x00\x01\xFFxyz", 6));

  data::StreamPtr shorter = binary_stream("ab");
  const automation::Error e =
      error_of([&] { shorter->SaveToFile(path.string(), data::kSaveCreateNotExist); });
  EXPECT_EQ(e.number(), 3004);
  EXPECT_EQ(e.source(), "ADODB.Stream");
  EXPECT_EQ(e.description(), "Write to file failed.");
  EXPECT_EQ(read_file(path).size(), 6u);  // untouched

  shorter->SaveToFile(path.string(), data::kSaveCreateOverWrite);
  EXPECT_EQ(read_file(path), "ab");  // truncated to the stream's length
  shorter->Close();
}

// A file name that is a symbolic link is never written through, in either mode.
TEST_F(StreamTest, SaveNeverWritesThroughALink) {
  const std::filesystem::path target = dir_ / "target.txt";
  std::ofstream(target) << "kept";
  std::filesystem::create_symlink(target, dir_ / "link.txt");
  data::StreamPtr s = binary_stream("payload");
  for (int mode : {data::kSaveCreateNotExist, data::kSaveCreateOverWrite}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(error_of([&] { s->SaveToFile((dir_ / "link.txt").string(), mode); }).number(), 3004);
    EXPECT_EQ(read_file(target), "kept");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.txt"));
  }
}

TEST_F(StreamTest, MisuseRaisesTheStreamErrors) {
  data::StreamPtr s = data::Stream::create();
  EXPECT_EQ(s->State(), data::kStateClosed);
  EXPECT_EQ(s->Type(), data::kTypeText);
  // Closed: Size, Write, SaveToFile and Close.
  EXPECT_EQ(error_of([&] { s->Size(); }).number(), 3704);
  EXPECT_EQ(error_of([&] { s->Write(Variant(automation::Bytes{1})); }).number(), 3704);
  EXPECT_EQ(error_of([&] { s->SaveToFile((dir_ / "x").string()); }).number(), 3704);
  EXPECT_EQ(error_of([&] { s->Close(); }).number(), 3704);
  s->Open();
  EXPECT_THROW(s->Open(), automation::Error);
  EXPECT_EQ(error_of([&] { s->Write(Variant()); }).number(), 3001);  // Empty is not written
  s->Write(Variant(automation::Bytes{1, 2}));
  EXPECT_EQ(s->Type(), data::kTypeBinary);  // binary data first makes it a binary stream
  EXPECT_THROW(s->SetType(data::kTypeText), automation::Error);  // not at position 0
  EXPECT_EQ(error_of([&] {
              s->SaveToFile((dir_ / "no_such_dir" / "f").string(), data::kSaveCreateOverWrite);
            }).number(),
            3004);
}

}  // namespace
