#include <travimo/platform/posix/json_property_bag.h>

#include <algorithm>

#include "formats/json_values.h"
#include "formats/record_json.h"
#include <travimo/model/error.h>
#include "platform/posix/atomic_file.h"
#include "platform/posix/regular_file.h"

namespace travimo {

struct JsonPropertyBag::Document {
  Json properties = Json::object();
  std::string name;  // the file, for error descriptions
  bool existed = false;
};

namespace {

constexpr std::string_view kSource = "Travimo property file";

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

[[noreturn]] void FileError(int32_t number, const std::string& file, const std::string& why) {
  throw RuntimeError(number, std::string(kSource),
                     StandardDescription(number) + ": " + Quoted(file) + ": " + why);
}

// "line 3, column 7" for the byte the JSON parser stopped at (1-based), so
// that the parser's own text never reaches the user.
std::string PlaceIn(std::string_view text, size_t byte) {
  const size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
  size_t line = 1, column = 1;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// ---- encoding ---------------------------------------------------------------

Json Encode(const StdFont& f) {
  return Json{
      {"name", EncodeText(f.name)}, {"size", f.size},           {"bold", f.bold},
      {"italic", f.italic},         {"underline", f.underline}, {"strikethrough", f.strikethrough},
      {"weight", f.weight},         {"charset", f.charset}};
}

Json Encode(const StdPicture& p) {
  return Json{{"path", EncodeText(p.path)}};
}

Json Encode(const PropertyValue& value) {
  return std::visit(
      [](const auto& v) -> Json {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return nullptr;
        } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, int16_t> ||
                             std::is_same_v<T, int32_t>) {
          return v;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return EncodeText(v);
        } else if constexpr (std::is_same_v<T, FontPtr> || std::is_same_v<T, PicturePtr>) {
          return v ? Encode(*v) : Json(nullptr);
        } else {
          return v ? RecordToJson(*v) : Json(nullptr);
        }
      },
      value);
}

// ---- decoding ---------------------------------------------------------------

FontPtr DecodeFont(const Json& j, const JsonPlace& at) {
  using P = const JsonPlace&;
  auto f = std::make_shared<StdFont>();
  IfPresent(j, "name", at, [&](const Json& v, P p) { f->name = DecodeText(v, p); });
  IfPresent(j, "size", at, [&](const Json& v, P p) {
    if (!v.is_number()) p.Mismatch("a number");
    f->size = v.get<double>();
  });
  IfPresent(j, "bold", at, [&](const Json& v, P p) { f->bold = DecodeBoolean(v, p); });
  IfPresent(j, "italic", at, [&](const Json& v, P p) { f->italic = DecodeBoolean(v, p); });
  IfPresent(j, "underline", at, [&](const Json& v, P p) { f->underline = DecodeBoolean(v, p); });
  IfPresent(j, "strikethrough", at,
            [&](const Json& v, P p) { f->strikethrough = DecodeBoolean(v, p); });
  IfPresent(j, "weight", at, [&](const Json& v, P p) { f->weight = DecodeInteger(v, p); });
  IfPresent(j, "charset", at, [&](const Json& v, P p) { f->charset = DecodeInteger(v, p); });
  return f;
}

PicturePtr DecodePicture(const Json& j, const JsonPlace& at) {
  return std::make_shared<StdPicture>(StdPicture{DecodeText(j["path"], at.In("path"))});
}

PropertyValue DecodeObject(const Json& j, const JsonPlace& at) {
  if (IsRecordJson(j)) {
    return std::visit([](auto record) { return PropertyValue(std::move(record)); },
                      RecordFromJson(j, at));
  }
  if (j.contains("bytes")) return DecodeText(j, at);
  if (j.contains("path")) return DecodePicture(j, at);
  if (j.contains("name")) return DecodeFont(j, at);
  at.Mismatch("a font, a picture or a record");
}

// The default says which kind the key holds; numbers follow it in width.
PropertyValue Decode(const Json& j, const PropertyValue& defaultValue, const JsonPlace& at) {
  switch (j.type()) {
    case Json::value_t::null:
      return std::monostate{};
    case Json::value_t::boolean:
      return j.get<bool>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      if (std::holds_alternative<int16_t>(defaultValue)) return DecodeInteger(j, at);
      return DecodeLong(j, at);
    case Json::value_t::string:
      return j.get<std::string>();
    case Json::value_t::object:
      return DecodeObject(j, at);
    default:
      at.Mismatch("a Boolean, a number, a text or an object");
  }
}

bool IsObjectKind(const PropertyValue& v) {
  return std::holds_alternative<std::monostate>(v) || std::holds_alternative<FontPtr>(v) ||
         std::holds_alternative<PicturePtr>(v) || std::holds_alternative<LorvexPtr>(v) ||
         std::holds_alternative<OstrelPtr>(v) || std::holds_alternative<BrevanePtr>(v);
}

std::string KindName(const PropertyValue& v) {
  static constexpr std::string_view kNames[] = {
      "none",   "a Boolean", "a number",        "a number",         "a text",
      "a font", "a picture", "a Lorvex record", "an Ostrel record", "a Brevane record"};
  return std::string(kNames[v.index()]);
}

}  // namespace

JsonPropertyBag::JsonPropertyBag() : doc_(std::make_unique<Document>()) {}
JsonPropertyBag::~JsonPropertyBag() = default;
JsonPropertyBag::JsonPropertyBag(JsonPropertyBag&&) noexcept = default;
JsonPropertyBag& JsonPropertyBag::operator=(JsonPropertyBag&&) noexcept = default;

JsonPropertyBag JsonPropertyBag::Load(const std::filesystem::path& path) {
  std::string text;
  try {
    text = posix::ReadRegularFile(path.string());
  } catch (const RuntimeError& error) {
    if (error.Number() != posix::kFileNotFound) throw;
    JsonPropertyBag bag;
    bag.doc_->name = path.string();
    return bag;
  }
  JsonPropertyBag bag = FromText(text, path.string());
  bag.doc_->existed = true;
  return bag;
}

JsonPropertyBag JsonPropertyBag::FromText(std::string_view text, const std::string& name) {
  JsonPropertyBag bag;
  bag.doc_->name = name;
  try {
    bag.doc_->properties = Json::parse(text);
  } catch (const Json::parse_error& e) {
    FileError(ErrorNumber::PathFileAccess, name,
              "not valid JSON (" + PlaceIn(text, e.byte) +
                  "): correct the file, or remove it to start from the initial properties");
  } catch (const Json::exception&) {  // a number beyond a double's range
    FileError(ErrorNumber::PathFileAccess, name, "a number in it is too large for any property");
  }
  if (!bag.doc_->properties.is_object())
    FileError(ErrorNumber::PathFileAccess, name, "not a JSON object of saved properties");
  bag.doc_->existed = true;
  return bag;
}

bool JsonPropertyBag::Existed() const {
  return doc_->existed;
}
bool JsonPropertyBag::Contains(std::string_view key) const {
  return doc_->properties.contains(key);
}
bool JsonPropertyBag::Empty() const {
  return doc_->properties.empty();
}
void JsonPropertyBag::Clear() {
  doc_->properties = Json::object();
}

PropertyValue JsonPropertyBag::Read(std::string_view key, const PropertyValue& defaultValue) {
  const auto it = doc_->properties.find(key);
  if (it == doc_->properties.end()) return defaultValue;
  const JsonPlace at{kSource, doc_->name, key, {}};
  PropertyValue value = Decode(*it, defaultValue, at);
  const bool fits = value.index() == defaultValue.index() ||
                    (std::holds_alternative<std::monostate>(value) && IsObjectKind(defaultValue)) ||
                    std::holds_alternative<std::monostate>(defaultValue);
  if (!fits) at.Mismatch(KindName(defaultValue));
  return value;
}

void JsonPropertyBag::Write(std::string_view key, const PropertyValue& value,
                            const PropertyValue& defaultValue) {
  // A value equal to its default is not stored; an older one is dropped so a
  // read gives the default back.
  if (SameValue(value, defaultValue)) {
    doc_->properties.erase(std::string(key));
    return;
  }
  doc_->properties[std::string(key)] = Encode(value);
}

std::string JsonPropertyBag::ToText() const {
  return doc_->properties.dump(2) + "\n";
}

void JsonPropertyBag::Save(const std::filesystem::path& path) const {
  posix::ReplaceFileContent(path.string(), ToText());
}

}  // namespace travimo
