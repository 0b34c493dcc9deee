// The tag object: its header fields and the ordered list of frames.
#include "tags/ID3v2Tag.h"

#include <algorithm>

namespace qm::tags {

TID3v2Tag::TID3v2Tag() { Clear(); }

void TID3v2Tag::Clear() {
  DeleteAllFrames();
  FileName.clear();
  Loaded = false;
  MajorVersion = 3;
  MinorVersion = 0;
  Flags = 0;
  Unsynchronised = Compressed = ExtendedHeader = Experimental = FooterPresent = false;
  Size = 0;
  CodedSize = {};
  PaddingSize = 0;
  PaddingToWrite = 4096;
  ExtendedHeader3 = std::make_unique<TID3v2ExtendedHeader3>();
  ExtendedHeader4 = std::make_unique<TID3v2ExtendedHeader4>();
}

int32_t TID3v2Tag::AddFrame(const TFrameID& FrameID) {
  return InsertFrame(FrameID, FrameCount);
}

int32_t TID3v2Tag::AddFrame(std::u16string_view FrameID) {
  return AddFrame(StringToFrameID(FrameID));
}

int32_t TID3v2Tag::InsertFrame(const TFrameID& FrameID, int32_t Position) {
  // A negative position inserts at the front.
  Position = std::clamp(Position, 0, FrameCount);
  try {
    auto frame = std::make_unique<TID3v2Frame>();
    frame->ID = FrameID;
    Frames.insert(Frames.begin() + Position, std::move(frame));
  } catch (...) {
    return -1;
  }
  FrameCount = static_cast<int32_t>(Frames.size());
  return Position;
}

int32_t TID3v2Tag::InsertFrame(std::u16string_view FrameID, int32_t Position) {
  return InsertFrame(StringToFrameID(FrameID), Position);
}

bool TID3v2Tag::DeleteFrame(int32_t FrameIndex) {
  if (!ValidIndex(FrameIndex)) return false;
  Frames.erase(Frames.begin() + FrameIndex);
  FrameCount = static_cast<int32_t>(Frames.size());
  return true;
}

bool TID3v2Tag::DeleteFrame(const TFrameID& FrameID) { return DeleteFrame(FrameExists(FrameID)); }

bool TID3v2Tag::DeleteFrame(std::u16string_view FrameID) {
  return DeleteFrame(StringToFrameID(FrameID));
}

void TID3v2Tag::DeleteAllFrames() {
  Frames.clear();
  FrameCount = 0;
}

int32_t TID3v2Tag::FrameExists(const TFrameID& FrameID) const {
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (SameFrameID(Frames[i]->ID, FrameID)) return i;
  }
  return -1;
}

int32_t TID3v2Tag::FrameExists(std::u16string_view FrameID) const {
  return FrameExists(StringToFrameID(FrameID));
}

int32_t TID3v2Tag::FrameTypeCount(const TFrameID& FrameID) const {
  int32_t count = 0;
  for (const auto& frame : Frames) count += SameFrameID(frame->ID, FrameID) ? 1 : 0;
  return count;
}

int32_t TID3v2Tag::FrameTypeCount(std::u16string_view FrameID) const {
  return FrameTypeCount(StringToFrameID(FrameID));
}

int32_t TID3v2Tag::FrameIndexForWriting(std::u16string_view FrameID) {
  const int32_t index = FrameExists(FrameID);
  return index >= 0 ? index : AddFrame(FrameID);
}

// Version 2.3 changes every frame at once, by the tag's flag; version 2.4 the
// frames whose own flag differs from the wanted state; version 2.2 nothing.
bool TID3v2Tag::SetUnsynchronisationOnAllFrames(bool unsynchronised) {
  const bool all_frames = MajorVersion == 3 && Unsynchronised != unsynchronised;
  if (MajorVersion != 4 && !all_frames) return true;
  for (auto& frame : Frames) {
    if (!all_frames && frame->Unsynchronised == unsynchronised) continue;
    if (!(unsynchronised ? frame->ApplyUnsynchronisation() : frame->RemoveUnsynchronisation())) return false;
  }
  Unsynchronised = unsynchronised;
  return true;
}

bool TID3v2Tag::RemoveUnsynchronisationOnAllFrames() { return SetUnsynchronisationOnAllFrames(false); }

bool TID3v2Tag::ApplyUnsynchronisationOnAllFrames() { return SetUnsynchronisationOnAllFrames(true); }

void TID3v2Tag::Assign(const TID3v2Tag& ID3v2Tag) {
  if (&ID3v2Tag == this) return;
  Clear();
  FileName = ID3v2Tag.FileName;
  Loaded = ID3v2Tag.Loaded;
  MajorVersion = ID3v2Tag.MajorVersion;
  MinorVersion = ID3v2Tag.MinorVersion;
  Flags = ID3v2Tag.Flags;
  Unsynchronised = ID3v2Tag.Unsynchronised;
  ExtendedHeader = ID3v2Tag.ExtendedHeader;
  Experimental = ID3v2Tag.Experimental;
  FooterPresent = ID3v2Tag.FooterPresent;
  Size = ID3v2Tag.Size;
  PaddingSize = ID3v2Tag.PaddingSize;
  PaddingToWrite = ID3v2Tag.PaddingToWrite;
  for (const auto& frame : ID3v2Tag.Frames) {
    const int32_t index = AddFrame(frame->ID);
    if (index >= 0) Frames[index]->Assign(frame.get());
  }
}

}  // namespace qm::tags
