// The window side of the catalogue client for tests: records the log, the caption
// changes, the messages and the control states; answers with scripted values.
#pragma once

#include <string>
#include <vector>

#include "app/catalogue/WindowPorts.h"

namespace qm::test {

class RecordingWindow : public catalogue::Journal,
                        public catalogue::WindowCaption,
                        public catalogue::MessageBoxes,
                        public catalogue::StatusBar,
                        public catalogue::SearchControls,
                        public catalogue::AlbumChoiceControls {
 public:
  void ajouter_log(const std::u16string& message) override { log.push_back(message); }
  std::u16string Caption() const override { return caption; }
  void SetCaption(const std::u16string& text) override {
    caption = text;
    captions.push_back(text);
  }
  void ShowMessage(const std::u16string& text) override { messages.push_back(text); }
  void SetStatusText(const std::u16string& text) override { status = text; }
  std::u16string SearchedName() const override { return searched_name; }
  void SetRipButtonEnabled(bool enabled) override { rip_button_enabled = enabled; }
  int SelectedAlbumIndex() const override { return selected_album; }
  void SetBarcodes(const std::vector<std::u16string>& codes) override { barcodes = codes; }
  void SetCoverSearchText(const std::u16string& text) override { cover_search_text = text; }

  size_t CountLog(const std::u16string& line) const {
    size_t n = 0;
    for (const auto& l : log) n += l == line;
    return n;
  }

  std::vector<std::u16string> log;
  std::u16string caption = u"Quavermill Ripper 4.0.0.5";
  std::vector<std::u16string> captions;
  std::vector<std::u16string> messages;
  std::u16string status;
  std::u16string searched_name;
  bool rip_button_enabled = true;
  int selected_album = 0;
  std::vector<std::u16string> barcodes{u"previous"};
  std::u16string cover_search_text = u"Artiste - Album";
};

}  // namespace qm::test
