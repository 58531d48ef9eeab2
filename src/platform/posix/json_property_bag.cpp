#include "platform/posix/json_property_bag.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "model/error.h"

namespace travimo {

using Json = nlohmann::ordered_json;

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

// Where a value sits, for the descriptions of its errors.
struct Place {
  const std::string& file;
  std::string_view key;
  std::string field;  // inside an object, empty for the key's own value

  Place In(std::string_view name) const {
    return {file, key, field.empty() ? std::string(name) : field + "." + std::string(name)};
  }
  std::string Describe() const {
    std::string where = "property " + Quoted(key);
    if (!field.empty()) where += " field " + Quoted(field);
    return where + " in " + Quoted(file);
  }
  [[noreturn]] void Mismatch(std::string_view expected) const {
    throw RuntimeError(ErrorNumber::TypeMismatch, std::string(kSource),
                       "Type mismatch: " + Describe() + " is not " + std::string(expected));
  }
  [[noreturn]] void Overflow(std::string_view range) const {
    throw RuntimeError(ErrorNumber::Overflow, std::string(kSource),
                       "Overflow: " + Describe() + " is outside the " + std::string(range));
  }
};

// ---- encoding ---------------------------------------------------------------

// JSON text is UTF-8; a text that is not (bytes of a single-byte code page,
// say) is kept byte for byte as {"bytes": [...]} rather than mangled.
bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;  // cut short
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      code = (code << 6) | (cc & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

Json EncodeText(const std::string& text) {
  if (IsUtf8(text)) return text;
  Json bytes = Json::array();
  for (char c : text) bytes.push_back(static_cast<unsigned char>(c));
  return Json{{"bytes", std::move(bytes)}};
}

Json EncodeFloat(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return static_cast<double>(value);
}

Json EncodeSeries(const ScanDataPtr& series) {
  if (!series) return nullptr;
  const SingleArray data = series->ScanData();
  Json values = Json::array();
  for (float v : data.Values()) values.push_back(EncodeFloat(v));
  return Json{{"lower", data.LowerBound()}, {"values", std::move(values)}};
}

Json EncodeDate(Date date) {
  return Json{{"iso", date.ToIsoString()}, {"value", date.Value()}};
}

Json Encode(const StdFont& f) {
  return Json{
      {"name", EncodeText(f.name)}, {"size", f.size},           {"bold", f.bold},
      {"italic", f.italic},         {"underline", f.underline}, {"strikethrough", f.strikethrough},
      {"weight", f.weight},         {"charset", f.charset}};
}

Json Encode(const StdPicture& p) {
  return Json{{"path", EncodeText(p.path)}};
}

Json Encode(const CLorvexCls& r) {
  return Json{{"record", "Lorvex"},
              {"ScanNumber", r.ScanNumber()},
              {"cScanData", EncodeSeries(r.cScanData())},
              {"cScanTemp", EncodeSeries(r.cScanTemp())},
              {"cScanBurst", EncodeSeries(r.cScanBurst())}};
}

Json Encode(const COstrelCls& r) {
  return Json{{"record", "Ostrel"},
              {"ScanNumber", r.ScanNumber()},
              {"CalibrationConstantA", EncodeText(r.CalibrationConstantA())},
              {"CalibrationConstantB", EncodeText(r.CalibrationConstantB())},
              {"BasisWeightValue", EncodeText(r.BasisWeightValue())},
              {"MeasurementNumber", r.MeasurementNumber()},
              {"SamplingRate", r.SamplingRate()},
              {"DateTime", EncodeDate(r.DateTime())},
              {"cScanData", EncodeSeries(r.cScanData())}};
}

Json Encode(const CBrevaneCls& r) {
  return Json{{"record", "Brevane"},
              {"ScanNumber", r.ScanNumber()},
              {"TypeOfMeasuringHead", EncodeText(r.TypeOfMeasuringHead())},
              {"MeasurementNumber", r.MeasurementNumber()},
              {"IDCode", EncodeText(r.IDCode())},
              {"DateTime", EncodeDate(r.DateTime())},
              {"BasisWeightValue", EncodeFloat(r.BasisWeightValue())},
              {"BasisWeightUnit", EncodeText(r.BasisWeightUnit())},
              {"TypeOfBasisWeight", EncodeText(r.TypeOfBasisWeight())},
              {"SamplingRate", EncodeFloat(r.SamplingRate())},
              {"GradeNo", r.GradeNo()},
              {"CalibrationConstantA", EncodeText(r.CalibrationConstantA())},
              {"CalibrationConstantB", EncodeText(r.CalibrationConstantB())},
              {"MoistureUnit", EncodeText(r.MoistureUnit())},
              {"TemperatureUnit", EncodeText(r.TemperatureUnit())},
              {"cScanData", EncodeSeries(r.cScanData())},
              {"cScanTemp", EncodeSeries(r.cScanTemp())}};
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
        } else {
          return v ? Encode(*v) : Json(nullptr);
        }
      },
      value);
}

// ---- decoding ---------------------------------------------------------------

int64_t WholeNumber(const Json& j, const Place& at) {
  if (j.is_number_integer()) {
    if (j.is_number_unsigned() && j.get<uint64_t>() > uint64_t{std::numeric_limits<int64_t>::max()})
      at.Overflow("32-bit range");
    return j.get<int64_t>();
  }
  if (j.is_number_float()) {
    const double d = j.get<double>();
    if (std::trunc(d) != d) at.Mismatch("a whole number");
    if (std::fabs(d) > 1e18) at.Overflow("32-bit range");
    return static_cast<int64_t>(d);
  }
  at.Mismatch("a number");
}

int32_t Long(const Json& j, const Place& at) {
  const int64_t n = WholeNumber(j, at);
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
    at.Overflow("32-bit range");
  return static_cast<int32_t>(n);
}

int16_t Integer(const Json& j, const Place& at) {
  const int64_t n = WholeNumber(j, at);
  if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max())
    at.Overflow("16-bit range");
  return static_cast<int16_t>(n);
}

float Single(const Json& j, const Place& at) {
  if (j.is_number()) return static_cast<float>(j.get<double>());
  if (j.is_string()) {
    const auto& s = j.get_ref<const std::string&>();
    if (s == "NaN") return std::numeric_limits<float>::quiet_NaN();
    if (s == "Infinity") return std::numeric_limits<float>::infinity();
    if (s == "-Infinity") return -std::numeric_limits<float>::infinity();
  }
  at.Mismatch("a number");
}

std::string Text(const Json& j, const Place& at) {
  if (j.is_string()) return j.get<std::string>();
  if (!j.is_object() || !j.contains("bytes") || !j["bytes"].is_array()) at.Mismatch("a text");
  std::string text;
  for (const Json& b : j["bytes"]) {
    if (!b.is_number_integer() || b.get<int64_t>() < 0 || b.get<int64_t>() > 255)
      at.In("bytes").Mismatch("a list of byte values");
    text += static_cast<char>(b.get<int>());
  }
  return text;
}

bool Boolean(const Json& j, const Place& at) {
  if (!j.is_boolean()) at.Mismatch("a Boolean");
  return j.get<bool>();
}

// Runs read(member, place) for a member that is present; absent members keep
// the object's own initial value.
template <class Read>
void IfPresent(const Json& object, std::string_view name, const Place& at, Read read) {
  const auto it = object.find(name);
  if (it != object.end()) read(*it, at.In(name));
}

// Days of 1 January 100 and just past 31 December 9999, the span a date can hold.
constexpr double kFirstDate = -657434.0;
constexpr double kPastLastDate = 2958466.0;

Date DecodeDate(const Json& j, const Place& at) {
  const bool wrapped = j.is_object() && j.contains("value") && j["value"].is_number();
  if (!j.is_number() && !wrapped) at.Mismatch("a date with a numeric \"value\"");
  const double days = (wrapped ? j["value"] : j).get<double>();
  if (!(days >= kFirstDate && days < kPastLastDate)) at.Overflow("date range");
  return Date(days);
}

ScanDataPtr DecodeSeries(const Json& j, const Place& at) {
  if (j.is_null()) return nullptr;
  if (!j.is_object() || !j.contains("values") || !j["values"].is_array())
    at.Mismatch("a series with \"lower\" and \"values\"");
  int32_t lower = 0;
  IfPresent(j, "lower", at, [&](const Json& v, const Place& p) { lower = Long(v, p); });
  std::vector<float> values;
  const Place valuesAt = at.In("values");
  for (const Json& v : j["values"]) values.push_back(Single(v, valuesAt));
  if (!values.empty() && static_cast<int64_t>(lower) + static_cast<int64_t>(values.size()) - 1 >
                             std::numeric_limits<int32_t>::max())
    at.Overflow("32-bit range of indexes");
  auto series = std::make_shared<CScanDataCls>();
  series->ScanData(SingleArray(lower, std::move(values)));
  return series;
}

FontPtr DecodeFont(const Json& j, const Place& at) {
  auto f = std::make_shared<StdFont>();
  IfPresent(j, "name", at, [&](const Json& v, const Place& p) { f->name = Text(v, p); });
  IfPresent(j, "size", at, [&](const Json& v, const Place& p) {
    if (!v.is_number()) p.Mismatch("a number");
    f->size = v.get<double>();
  });
  IfPresent(j, "bold", at, [&](const Json& v, const Place& p) { f->bold = Boolean(v, p); });
  IfPresent(j, "italic", at, [&](const Json& v, const Place& p) { f->italic = Boolean(v, p); });
  IfPresent(j, "underline", at,
            [&](const Json& v, const Place& p) { f->underline = Boolean(v, p); });
  IfPresent(j, "strikethrough", at,
            [&](const Json& v, const Place& p) { f->strikethrough = Boolean(v, p); });
  IfPresent(j, "weight", at, [&](const Json& v, const Place& p) { f->weight = Integer(v, p); });
  IfPresent(j, "charset", at, [&](const Json& v, const Place& p) { f->charset = Integer(v, p); });
  return f;
}

PicturePtr DecodePicture(const Json& j, const Place& at) {
  return std::make_shared<StdPicture>(StdPicture{Text(j["path"], at.In("path"))});
}

LorvexPtr DecodeLorvex(const Json& j, const Place& at) {
  auto r = std::make_shared<CLorvexCls>();
  IfPresent(j, "ScanNumber", at, [&](const Json& v, const Place& p) { r->ScanNumber(Long(v, p)); });
  IfPresent(j, "cScanData", at,
            [&](const Json& v, const Place& p) { r->cScanData(DecodeSeries(v, p)); });
  IfPresent(j, "cScanTemp", at,
            [&](const Json& v, const Place& p) { r->cScanTemp(DecodeSeries(v, p)); });
  IfPresent(j, "cScanBurst", at,
            [&](const Json& v, const Place& p) { r->cScanBurst(DecodeSeries(v, p)); });
  return r;
}

OstrelPtr DecodeOstrel(const Json& j, const Place& at) {
  auto r = std::make_shared<COstrelCls>();
  IfPresent(j, "ScanNumber", at, [&](const Json& v, const Place& p) { r->ScanNumber(Long(v, p)); });
  IfPresent(j, "CalibrationConstantA", at,
            [&](const Json& v, const Place& p) { r->CalibrationConstantA(Text(v, p)); });
  IfPresent(j, "CalibrationConstantB", at,
            [&](const Json& v, const Place& p) { r->CalibrationConstantB(Text(v, p)); });
  IfPresent(j, "BasisWeightValue", at,
            [&](const Json& v, const Place& p) { r->BasisWeightValue(Text(v, p)); });
  IfPresent(j, "MeasurementNumber", at,
            [&](const Json& v, const Place& p) { r->MeasurementNumber(Long(v, p)); });
  IfPresent(j, "SamplingRate", at,
            [&](const Json& v, const Place& p) { r->SamplingRate(Long(v, p)); });
  IfPresent(j, "DateTime", at,
            [&](const Json& v, const Place& p) { r->DateTime(DecodeDate(v, p)); });
  IfPresent(j, "cScanData", at,
            [&](const Json& v, const Place& p) { r->cScanData(DecodeSeries(v, p)); });
  return r;
}

BrevanePtr DecodeBrevane(const Json& j, const Place& at) {
  auto r = std::make_shared<CBrevaneCls>();
  auto text = [&](std::string_view name, void (CBrevaneCls::*set)(const std::string&)) {
    IfPresent(j, name, at, [&](const Json& v, const Place& p) { ((*r).*set)(Text(v, p)); });
  };
  IfPresent(j, "ScanNumber", at, [&](const Json& v, const Place& p) { r->ScanNumber(Long(v, p)); });
  text("TypeOfMeasuringHead", &CBrevaneCls::TypeOfMeasuringHead);
  IfPresent(j, "MeasurementNumber", at,
            [&](const Json& v, const Place& p) { r->MeasurementNumber(Long(v, p)); });
  text("IDCode", &CBrevaneCls::IDCode);
  IfPresent(j, "DateTime", at,
            [&](const Json& v, const Place& p) { r->DateTime(DecodeDate(v, p)); });
  IfPresent(j, "BasisWeightValue", at,
            [&](const Json& v, const Place& p) { r->BasisWeightValue(Single(v, p)); });
  text("BasisWeightUnit", &CBrevaneCls::BasisWeightUnit);
  text("TypeOfBasisWeight", &CBrevaneCls::TypeOfBasisWeight);
  IfPresent(j, "SamplingRate", at,
            [&](const Json& v, const Place& p) { r->SamplingRate(Single(v, p)); });
  IfPresent(j, "GradeNo", at, [&](const Json& v, const Place& p) { r->GradeNo(Long(v, p)); });
  text("CalibrationConstantA", &CBrevaneCls::CalibrationConstantA);
  text("CalibrationConstantB", &CBrevaneCls::CalibrationConstantB);
  text("MoistureUnit", &CBrevaneCls::MoistureUnit);
  text("TemperatureUnit", &CBrevaneCls::TemperatureUnit);
  IfPresent(j, "cScanData", at,
            [&](const Json& v, const Place& p) { r->cScanData(DecodeSeries(v, p)); });
  IfPresent(j, "cScanTemp", at,
            [&](const Json& v, const Place& p) { r->cScanTemp(DecodeSeries(v, p)); });
  return r;
}

PropertyValue DecodeObject(const Json& j, const Place& at) {
  if (j.contains("record")) {
    const std::string kind = Text(j["record"], at.In("record"));
    if (kind == "Lorvex") return DecodeLorvex(j, at);
    if (kind == "Ostrel") return DecodeOstrel(j, at);
    if (kind == "Brevane") return DecodeBrevane(j, at);
    at.In("record").Mismatch("\"Lorvex\", \"Ostrel\" or \"Brevane\"");
  }
  if (j.contains("bytes")) return Text(j, at);
  if (j.contains("path")) return DecodePicture(j, at);
  if (j.contains("name")) return DecodeFont(j, at);
  at.Mismatch("a font, a picture or a record");
}

// The default says which kind the key holds; numbers follow it in width.
PropertyValue Decode(const Json& j, const PropertyValue& defaultValue, const Place& at) {
  switch (j.type()) {
    case Json::value_t::null:
      return std::monostate{};
    case Json::value_t::boolean:
      return j.get<bool>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      if (std::holds_alternative<int16_t>(defaultValue)) return Integer(j, at);
      return Long(j, at);
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

// ---- the file ---------------------------------------------------------------

int32_t SaveErrorNumber(int error) {
  return (error == ENOSPC || error == EDQUOT) ? ErrorNumber::DiskFull : ErrorNumber::PathFileAccess;
}

// Removes the temporary file unless the save went through.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& target)
      : name_(target.string() + ".tmp-XXXXXX") {
    fd_ = ::mkstemp(name_.data());
    created_ = fd_ >= 0;
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (created_ && !kept_) ::unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Descriptor() const { return fd_; }
  const std::string& Name() const { return name_; }
  // Closes the file; errno of a failed close, 0 otherwise.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }
  void Keep() { kept_ = true; }

 private:
  std::string name_;
  int fd_ = -1;
  bool created_ = false;
  bool kept_ = false;
};

int WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

mode_t ModeFor(const std::filesystem::path& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  return 0644;
}

void SyncDirectory(const std::filesystem::path& target) {
  const auto dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;  // best effort: the rename itself has happened
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

JsonPropertyBag::JsonPropertyBag() : doc_(std::make_unique<Document>()) {}
JsonPropertyBag::~JsonPropertyBag() = default;
JsonPropertyBag::JsonPropertyBag(JsonPropertyBag&&) noexcept = default;
JsonPropertyBag& JsonPropertyBag::operator=(JsonPropertyBag&&) noexcept = default;

JsonPropertyBag JsonPropertyBag::Load(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    JsonPropertyBag bag;
    bag.doc_->name = path.string();
    return bag;
  }
  if (std::filesystem::is_directory(status))
    FileError(ErrorNumber::PathFileAccess, path.string(), "is a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) FileError(ErrorNumber::PathFileAccess, path.string(), std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) FileError(ErrorNumber::PathFileAccess, path.string(), "read failed");
  JsonPropertyBag bag = FromText(text.str(), path.string());
  bag.doc_->existed = true;
  return bag;
}

JsonPropertyBag JsonPropertyBag::FromText(std::string_view text, const std::string& name) {
  JsonPropertyBag bag;
  bag.doc_->name = name;
  try {
    bag.doc_->properties = Json::parse(text);
  } catch (const Json::exception& e) {  // a syntax error, or a number beyond a double's range
    FileError(ErrorNumber::PathFileAccess, name, std::string("not valid JSON: ") + e.what());
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
  const Place at{doc_->name, key, {}};
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
  const std::string text = ToText();
  const std::string file = path.string();
  TemporaryFile temp(path);
  if (temp.Descriptor() < 0) FileError(SaveErrorNumber(errno), file, std::strerror(errno));
  int error = WriteAll(temp.Descriptor(), text);
  if (error == 0 && ::fchmod(temp.Descriptor(), ModeFor(path)) != 0) error = errno;
  if (error == 0 && ::fsync(temp.Descriptor()) != 0) error = errno;
  const int closeError = temp.Close();
  if (error == 0) error = closeError;
  if (error == 0 && ::rename(temp.Name().c_str(), file.c_str()) != 0) error = errno;
  if (error != 0) FileError(SaveErrorNumber(error), file, std::strerror(error));
  temp.Keep();
  SyncDirectory(path);
}

}  // namespace travimo
