// The WAV output file: a 44-byte header (PCM; both sizes written as 0) followed by
// the sample data, with the sizes patched from the file's length when done. The file
// is created (or replaced) under an exclusive advisory lock; creation failures throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::engine {

struct WavFormat {
  uint16_t formatTag = 1;  // 1 integer PCM, 3 IEEE float
  uint32_t rate = 44100;
  uint16_t channels = 2;
  uint16_t bitsPerSample = 16;
};

class WavFile {
 public:
  // Throws std::system_error when the file cannot be created.
  WavFile(const std::string& path, const WavFormat& format);
  ~WavFile();
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;

  // Appends the bytes; returns how many the file accepted.
  size_t Append(const void* data, size_t size);
  // RIFF size = file size - 8 at offset 4, data size = file size - 44 at offset 40.
  void PatchSizes();

 private:
  int fd_;
};

}  // namespace qm::engine
