// The self-update check: `TRecup` downloads the update archive (code + "action.zip")
// from the catalogue server's update folder into the system's temporary folder,
// extracts it there, and compares the version on the first line of the list file
// (code + "action.lst") with the running version.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qm::update {

// The code name of this program for the update check and the update program.
inline constexpr char code_application[] = "ripper";

// A version that cannot be compared: a component that is not a whole number, or an
// offered version with more components than the running one.
class VersionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRecup {
 public:
  // True when the offered version is newer than `numversion`. The proxy is used only
  // when `proxyenable` is set.
  bool RecupNewVersionOrNot(const std::string& chemin, const std::string& nomcode,
                            const std::string& adresse_serveur, const std::string& numversion,
                            const std::string& proxyd, const std::string& portd,
                            const std::string& proxylogd, const std::string& proxypassd,
                            bool proxyenable);

  // Downloads `chemin` once (no retry) into the temporary folder and extracts it;
  // 1 when the archive could not be extracted, else 0.
  int32_t Download_fichier_vers_temp(const std::string& chemin, const std::string& adresse_serveur);

  // Extracts the archive `fichier` of the temporary folder there; 0, or 1 on failure.
  int32_t Dezippe(const std::string& fichier);

  // True when the list file exists and its first line is a newer version.
  bool RecupInfo();

  // 0 when `v1` is greater than `v2`, else 1. Throws VersionError.
  static int32_t compare_version(const std::string& v1, const std::string& v2);

  // The part of a URL after its last "/".
  static std::string renvoi_fichier(const std::string& s);

  // The system's temporary folder with its trailing separator.
  static std::string renvoi_dossier_temp();

  bool arret = false;                       // stop flag; nothing sets it during a check
  std::string nom_code_application;         // archive: code + "action.zip"
  std::string numero_de_version_de_lappli;  // the running version
  std::string proxydonne;                   // proxy host of the download; empty: direct
  std::string portdonne;
  std::string proxylogdonne;   // kept, not used by the download
  std::string proxypassdonne;  // kept, not used by the download
};

// True when the server at `adresse` (the catalogue address without its "http://")
// offers a version newer than `version` and the update program is in `dossier`
// (the program folder, with its trailing separator). Throws VersionError.
bool verifier_mise_a_jour(const std::string& version, const std::string& adresse,
                          const std::string& dossier);

// The update program's file name in the program folder.
inline constexpr char kUpdaterName[] = "updater";

}  // namespace qm::update
