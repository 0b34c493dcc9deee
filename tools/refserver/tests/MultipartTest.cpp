// The multipart reader on its own: framing variants that real clients send.
#include "tools/refserver/Multipart.h"

#include <gtest/gtest.h>

namespace qm::refserver {
namespace {

TEST(MultipartTest, BoundaryComesFromTheContentType) {
  EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=--------121126"), "--------121126");
  EXPECT_EQ(MultipartBoundary("Multipart/Form-Data;boundary=\"a b;c\""), "a b;c");
  EXPECT_EQ(MultipartBoundary("multipart/form-data"), std::nullopt);
  EXPECT_EQ(MultipartBoundary("multipart/mixed; boundary=x"), std::nullopt);
  EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary="), std::nullopt);
  EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=" + std::string(71, 'x')),
            std::nullopt);
}

TEST(MultipartTest, AcceptsPreambleTransportPaddingAndQuotedParameters) {
  const std::string body =
      "preamble to ignore\r\n"
      "--B  \r\n"
      "content-disposition: form-data; filename=\"a;b.mp3\"; name=file\r\n"
      "Content-Type: audio/mpeg\r\n"
      "\r\n"
      "\r\n--B is not a delimiter here\r\n"
      "--B\r\n"
      "Content-Disposition: form-data; name=\"empty\"\r\n"
      "\r\n"
      "\r\n"
      "--B--\r\nepilogue";
  const std::vector<FormPart> parts = ParseMultipart(body, "B");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].name, "file");
  EXPECT_EQ(parts[0].filename, "a;b.mp3");
  EXPECT_EQ(parts[0].content_type, "audio/mpeg");
  EXPECT_EQ(parts[0].data, "\r\n--B is not a delimiter here");
  EXPECT_EQ(parts[1].name, "empty");
  EXPECT_EQ(parts[1].filename, std::nullopt);
  EXPECT_EQ(parts[1].data, "");
}

TEST(MultipartTest, RefusesBadFraming) {
  const char* bodies[] = {
      "",
      "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue",    // no closing
      "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--B",  // cut after it
      "--Bx\r\n\r\n--B--",                                                  // wrong delimiter
      "--B\r\nContent-Type: text/plain\r\n\r\nv\r\n--B--",                 // no disposition
      "--B\r\nContent-Disposition: attachment; name=\"a\"\r\n\r\nv\r\n--B--",
      "--B\r\nContent-Disposition: form-data; name=\"a\r\n\r\nv\r\n--B--",  // open quote
      "--B\r\nno colon\r\n\r\nv\r\n--B--",
  };
  for (const char* body : bodies)
    EXPECT_THROW(ParseMultipart(body, "B"), MalformedForm) << body;
}

}  // namespace
}  // namespace qm::refserver
