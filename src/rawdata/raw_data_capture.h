#pragma once
// A file system that remembers the last raw-data save a control made through
// it: the name, the exact bytes, and whether the save went through. A host
// writes the settings sidecar after a good save, or keeps the bytes elsewhere
// after a failed one.
#include <optional>
#include <string>

#include <travimo/platform/file_system.h>

namespace travimo {

class RawDataCapture : public FileSystem {
 public:
  struct Save {
    std::string name;
    std::string bytes;
    bool succeeded = false;
  };

  explicit RawDataCapture(FileSystem& inner) : inner_(inner) {}

  bool IsFile(const std::string& name) override { return inner_.IsFile(name); }
  void Delete(const std::string& name) override { inner_.Delete(name); }
  void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) override {
    last_ = Save{name, std::string(bytes.begin(), bytes.end()), false};
    inner_.ReplaceContent(name, bytes);
    last_->succeeded = true;
  }
  void CloseAll() override { inner_.CloseAll(); }

  const std::optional<Save>& LastSave() const { return last_; }
  void Forget() { last_.reset(); }

 private:
  FileSystem& inner_;
  std::optional<Save> last_;
};

}  // namespace travimo
