// Helpers of the tag tests: byte strings, frame bodies and small tag images.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tags/ID3v2Tag.h"

namespace qm::tags::test {

using Bytes = std::vector<uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

inline Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline std::string Str(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline Bytes Body(const TID3v2Frame& frame) { return frame.Stream.Bytes(); }

inline Bytes BigEndian32(uint32_t v) { return B({int(v >> 24), int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)}); }
inline Bytes LittleEndian32(uint32_t v) { return B({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)}); }

inline Bytes SyncSafe32(uint32_t v) {
  Bytes out(4);
  IntToSyncSafe(v, out.data(), 4);
  return out;
}

// A tag header for `body` bytes of frames and padding.
inline Bytes TagHeader(int major, int flags, uint32_t body_size) {
  return Cat({B("ID3"), B({major, 0, flags}), SyncSafe32(body_size)});
}

inline Bytes Tag(int major, int flags, const Bytes& body) {
  return Cat({TagHeader(major, flags, static_cast<uint32_t>(body.size())), body});
}

// A frame of version 2.3 (plain size) or 2.4 (sync-safe size).
inline Bytes Frame(int major, const std::string& id, const Bytes& body, int flags1 = 0, int flags2 = 0) {
  const auto size = static_cast<uint32_t>(body.size());
  return Cat({B(id), major == 4 ? SyncSafe32(size) : BigEndian32(size), B({flags1, flags2}), body});
}

inline Bytes Frame22(const std::string& id, const Bytes& body) {
  const auto size = static_cast<uint32_t>(body.size());
  return Cat({B(id), B({int(size >> 16), int(size >> 8 & 0xFF), int(size & 0xFF)}), body});
}

// A RIFF or AIFF chunk with its pad byte, and a file of chunks.
inline Bytes Chunk(const std::string& id, const Bytes& data, bool big_endian = false) {
  const auto size = static_cast<uint32_t>(data.size());
  Bytes out = Cat({B(id), big_endian ? BigEndian32(size) : LittleEndian32(size), data});
  if (size % 2) out.push_back(0);
  return out;
}

inline Bytes Form(const std::string& signature, const std::string& type, const Bytes& chunks,
                  bool big_endian = false) {
  const auto size = static_cast<uint32_t>(chunks.size() + 4);
  return Cat({B(signature), big_endian ? BigEndian32(size) : LittleEndian32(size), B(type), chunks});
}

inline std::string Id(const TID3v2Frame& frame) {
  std::string id(frame.ID.begin(), frame.ID.end());
  while (!id.empty() && id.back() == '\0') id.pop_back();
  return id;
}

inline std::vector<std::string> Ids(const TID3v2Tag& tag) {
  std::vector<std::string> out;
  for (const auto& f : tag.Frames) out.push_back(Id(*f));
  return out;
}

inline int32_t LoadBytes(TID3v2Tag& tag, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  return tag.LoadFromStream(stream);
}

inline Bytes SaveBytes(TID3v2Tag& tag, int64_t padding, int32_t* result = nullptr) {
  TMemoryStream stream;
  const int32_t rc = tag.SaveToStream(stream, padding);
  if (result) *result = rc;
  return stream.Bytes();
}

inline int AddFrameWithBody(TID3v2Tag& tag, const std::string& id, const Bytes& body) {
  const int index = tag.AddFrame(std::u16string(id.begin(), id.end()));
  tag.Frames[index]->Stream.Assign(body);
  return index;
}

}  // namespace qm::tags::test
