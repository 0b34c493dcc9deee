// The independent programs the tag tests compare with: sox, lame, ffmpeg,
// python3-mutagen (through mutagen_tool.py) and eyeD3.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qm::tags::test {

inline const std::string kMutagenTool = std::string(QM_SOURCE_DIR) + "/tags/tests/mutagen_tool.py";

inline void RunTool(const std::vector<std::string>& argv) {
  const auto result = qm::test::RunProcess(argv);
  ASSERT_EQ(result.exit_code, 0) << argv[0] << ": " << result.err;
}

inline std::string ToolOutput(const std::vector<std::string>& argv) {
  const auto result = qm::test::RunProcess(argv);
  EXPECT_EQ(result.exit_code, 0) << argv[0] << ": " << result.err;
  return result.out;
}

// mutagen's view of the ID3v2 tag ("dump") or of the ID3v1 tag ("dump1").
inline std::string MutagenDump(const std::filesystem::path& path, const std::string& command = "dump") {
  return ToolOutput({"/usr/bin/python3", kMutagenTool, command, path.string()});
}

// The MD5 of the decoded samples; ffmpeg must decode without a complaint.
inline std::string DecodedAudio(const std::filesystem::path& path) {
  const auto result =
      qm::test::RunProcess({"ffmpeg", "-v", "error", "-i", path.string(), "-map", "0:a", "-f", "md5", "-"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(result.err.empty()) << path << ": " << result.err;
  return result.out;
}

inline std::string Sha1Of(const std::filesystem::path& path) {
  return ToolOutput({"sha1sum", path.string()}).substr(0, 40);
}

// A one-second tone as WAV and AIFF (sox), MP3 (lame) and a small JPEG (ffmpeg).
inline void MakeMedia(const std::filesystem::path& dir) {
  RunTool({"sox", "-n", "-r", "44100", "-c", "2", (dir / "tone.wav").string(), "synth", "1", "sine", "440"});
  RunTool({"sox", "-n", "-r", "44100", "-c", "2", (dir / "tone.aiff").string(), "synth", "1", "sine", "660"});
  RunTool({"lame", "--quiet", (dir / "tone.wav").string(), (dir / "tone.mp3").string()});
  RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1",
           (dir / "cover.jpg").string()});
}

}  // namespace qm::tags::test
