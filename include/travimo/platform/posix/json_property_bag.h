#pragma once
// A property bag kept as a JSON file: one object whose members are the saved
// keys, in the order they were first written, with natural JSON values:
//   Booleans      true / false
//   integers      numbers (colours too, as their signed 32-bit pattern)
//   texts         strings, or {"bytes": [...]} (formats/json_values.h)
//   Font          {"name", "size", "bold", "italic", "underline",
//                  "strikethrough", "weight", "charset"}
//   pictures      {"path": "..."}
//   records       as formats/record_json.h writes them
//   none          null
// Keys the bag is not asked about stay as they are: a file loaded, written
// and saved again keeps what another host or a newer version put there.
//
// Errors: a file that cannot be read, is not a regular file, is not JSON or
// is not one object is RuntimeError 75 naming the file (7 when it is beyond
// the text-file limit of regular_file.h); a value that does not fit the kind its key
// expects (judged by the default) is 13, out of the 16/32-bit range 6, both
// naming the file and the key. Saving goes through the one atomic-replace
// routine (atomic_file.h): a failed save leaves the old file as it was (75, or
// 61 when the disk is full).
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <travimo/platform/container.h>

namespace travimo {

class JsonPropertyBag : public PropertyBag {
 public:
  JsonPropertyBag();  // empty, not backed by any file yet
  ~JsonPropertyBag() override;
  JsonPropertyBag(JsonPropertyBag&&) noexcept;
  JsonPropertyBag& operator=(JsonPropertyBag&&) noexcept;

  // A missing file gives an empty bag whose Existed() is false.
  static JsonPropertyBag Load(const std::filesystem::path& path);
  // Parses text as a saved file would be; name is used in error descriptions.
  static JsonPropertyBag FromText(std::string_view text, const std::string& name);

  bool Existed() const;
  bool Contains(std::string_view key) const;
  bool Empty() const;

  PropertyValue Read(std::string_view key, const PropertyValue& defaultValue) override;
  void Write(std::string_view key, const PropertyValue& value,
             const PropertyValue& defaultValue) override;

  // Removes every key (a save starts from an empty bag).
  void Clear();
  std::string ToText() const;  // pretty-printed, ends with a newline
  void Save(const std::filesystem::path& path) const;

 private:
  struct Document;
  std::unique_ptr<Document> doc_;
};

}  // namespace travimo
