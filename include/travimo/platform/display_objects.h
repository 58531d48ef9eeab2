#pragma once
// The font and picture objects that the button carries. They are shared by
// reference, as a host's Set assigns them.
#include <cstdint>
#include <memory>
#include <string>

namespace travimo {

struct StdFont {
  std::string name = "MS Sans Serif";
  double size = 8.25;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  int16_t weight = 400;
  int16_t charset = 0;
  bool operator==(const StdFont&) const = default;
};
using FontPtr = std::shared_ptr<StdFont>;

// A picture is kept as the file it came from; the core never decodes it.
struct StdPicture {
  std::string path;
  bool operator==(const StdPicture&) const = default;
};
using PicturePtr = std::shared_ptr<StdPicture>;

}  // namespace travimo
