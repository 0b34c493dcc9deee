// The program's settings file reader ("config.ini"): "[section]" headers and
// "key=value" lines. Section and key names match without regard to ASCII case, the
// first occurrence of a key wins, blanks around names and values are dropped, one
// pair of enclosing quotes around a value is removed, and lines starting with ";"
// are comments. Values are returned as the bytes the file holds. Nothing writes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class IniFile {
 public:
  // Only this many bytes of a file are read; the rest is ignored.
  static constexpr size_t kMaxFileBytes = 1 << 20;

  // A missing or unreadable file reads as an empty one.
  static IniFile Load(const std::filesystem::path& path);
  static IniFile Parse(std::string_view text);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // The value as a whole number (see ParseInt32), else `fallback`.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;

 private:
  struct Entry {
    std::string section;
    std::string key;
    std::string value;
  };
  const Entry* Find(std::string_view section, std::string_view key) const;

  std::vector<Entry> entries_;
};

}  // namespace qm
