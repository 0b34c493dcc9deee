#include "app/catalogue/MultipartForm.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

std::string ReadAll(formulaire_multipart& form, size_t chunk) {
  std::string out;
  std::string buffer(chunk, '\0');
  form.Rewind();
  while (size_t n = form.Read(buffer.data(), buffer.size())) out.append(buffer.data(), n);
  return out;
}

class MultipartFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  // 2026-12-11 09:05:03.042 UTC
  std::chrono::system_clock::time_point When() const {
    return std::chrono::system_clock::from_time_t(1796979903) + std::chrono::milliseconds(42);
  }
  test::TempDir dir_;
};

TEST_F(MultipartFormTest, BoundaryIsEightHyphensAndTheLocalCreationTime) {
  formulaire_multipart form(When());
  EXPECT_EQ(form.Boundary(), "--------121126090503042");
  EXPECT_EQ(form.Boundary().size(), 23u);
  EXPECT_EQ(form.ContentType(), "multipart/form-data; boundary=--------121126090503042");
}

TEST_F(MultipartFormTest, BodyByteForByteWhateverTheReadSize) {
  const std::string mp3 = std::string("ID3\x03\x00\r\n--\0\xFF", 11) + std::string(5000, 'x');
  test::WriteFile(dir_ / "Track1.mp3", mp3);
  formulaire_multipart form(When());
  form.AddText("method", "post");
  form.AddText("id_album", "");
  form.AddFile("file", dir_ / "Track1.mp3", "multipart/form-data");
  const std::string B = "--------121126090503042";
  const std::string expected =
      "--" + B +
      "\r\n"
      "Content-Disposition: form-data; name=\"method\"\r\n"
      "Content-Type: text/plain\r\n"
      "Content-Transfer-Encoding: binary\r\n"
      "\r\n"
      "post\r\n"
      "--" +
      B +
      "\r\n"
      "Content-Disposition: form-data; name=\"id_album\"\r\n"
      "Content-Type: text/plain\r\n"
      "Content-Transfer-Encoding: binary\r\n"
      "\r\n"
      "\r\n"
      "--" +
      B +
      "\r\n"
      "Content-Disposition: form-data; name=\"file\"; filename=\"Track1.mp3\"\r\n"
      "Content-Type: multipart/form-data\r\n"
      "Content-Transfer-Encoding: binary\r\n"
      "\r\n" +
      mp3 +
      "\r\n"
      "--" +
      B + "--\r\n";
  EXPECT_EQ(form.Length(), expected.size());
  for (size_t chunk : {1u, 7u, 4096u, 1u << 20}) EXPECT_EQ(ReadAll(form, chunk), expected);
}

TEST_F(MultipartFormTest, FileThatCannotBeOpenedOrIsHeldByAWriterThrows) {
  formulaire_multipart form;
  EXPECT_THROW(form.AddFile("file", dir_ / "missing.mp3", "x"), std::runtime_error);
  EXPECT_THROW(form.AddFile("file", dir_.path(), "x"), std::runtime_error);
  test::WriteFile(dir_ / "busy.mp3", "data");
  const int writer = open((dir_ / "busy.mp3").c_str(), O_RDWR);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  EXPECT_THROW(form.AddFile("file", dir_ / "busy.mp3", "x"), std::runtime_error);
  close(writer);
  EXPECT_NO_THROW(form.AddFile("file", dir_ / "busy.mp3", "x"));
}

TEST_F(MultipartFormTest, FileThatShrinksWhileSentFailsTheRead) {
  test::WriteFile(dir_ / "t.mp3", std::string(10000, 'a'));
  formulaire_multipart form;
  form.AddFile("file", dir_ / "t.mp3", "x");
  ASSERT_EQ(truncate((dir_ / "t.mp3").c_str(), 10), 0);
  EXPECT_THROW(ReadAll(form, 4096), std::runtime_error);
}

}  // namespace
}  // namespace qm::catalogue
