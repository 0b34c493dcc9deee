// What the catalogue client needs of the main window, as small interfaces that the
// window implements (and tests replace by recording ones). Texts are UTF-16, as the
// window keeps them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qm::catalogue {

// The window's log (`ajouter_log`): one time-stamped line per message.
class Journal {
 public:
  virtual ~Journal() = default;
  virtual void ajouter_log(const std::u16string& message) = 0;
};

// The main window's caption, which a failing request replaces while it waits.
class WindowCaption {
 public:
  virtual ~WindowCaption() = default;
  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(const std::u16string& caption) = 0;
};

// Modal message boxes with an OK button.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void ShowMessage(const std::u16string& text) = 0;
};

// The status bar's simple text.
class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual void SetStatusText(const std::u16string& text) = 0;
};

// The controls around the catalogue search: the searched name field
// (`Edit_nom_album_recherche`) and the rip button (`btn_rip_cd`).
class SearchControls {
 public:
  virtual ~SearchControls() = default;
  virtual std::u16string SearchedName() const = 0;
  virtual void SetRipButtonEnabled(bool enabled) = 0;
};

// The album combo box (`ComboBoxEx_liste_album`), the barcode list (`lstCodeBarre`)
// and the cover search field (`Edit1`).
class AlbumChoiceControls {
 public:
  virtual ~AlbumChoiceControls() = default;
  // -1 when nothing is selected.
  virtual int SelectedAlbumIndex() const = 0;
  virtual void SetBarcodes(const std::vector<std::u16string>& barcodes) = 0;
  virtual void SetCoverSearchText(const std::u16string& text) = 0;
};

}  // namespace qm::catalogue
