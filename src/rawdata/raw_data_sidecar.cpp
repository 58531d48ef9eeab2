#include "rawdata/raw_data_sidecar.h"

#include <nlohmann/json.hpp>

#include <travimo/model/error.h>
#include "rawdata/sha256.h"

namespace travimo {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kSource = "Travimo raw-data settings";
constexpr const char* kFormatKey = "travimoRawDataSettings";
constexpr int kFormatVersion = 1;

[[noreturn]] void Fail(int32_t number, const std::string& name, const std::string& why) {
  throw RuntimeError(number, kSource, StandardDescription(number) + ": \"" + name + "\": " + why);
}

template <class T>
void Take(const Json& doc, const char* key, T& into, const std::string& name) {
  const auto it = doc.find(key);
  if (it == doc.end()) return;
  try {
    into = it->get<T>();
  } catch (const Json::exception&) {
    Fail(ErrorNumber::TypeMismatch, name, std::string("member \"") + key + "\" has the wrong kind");
  }
}

// The file's members in their order: the one list both ways use.
template <class Sidecar, class Visit>
void EachField(Sidecar& s, Visit visit) {
  visit("TravimoType", s.travimoType);
  visit("ScanDataType", s.scanDataType);
  visit("Temp_Units", s.tempUnits);
  visit("NumberOfPoints", s.numberOfPoints);
  visit("BlueLineTrigger", s.blueLineTrigger);
  visit("Settings", s.lineSettings);
  visit("Handshaking", s.handshaking);
  visit("device", s.device);
  visit("started", s.started);
  visit("ended", s.ended);
  visit("bytes", s.byteCount);
  visit("sha256", s.sha256);
  visit("program", s.program);
}

}  // namespace

std::string SidecarPathFor(const std::string& rawFile) {
  return rawFile + ".json";
}

void DescribeBytes(RawDataSidecar& sidecar, std::string_view bytes) {
  sidecar.byteCount = bytes.size();
  sidecar.sha256 = Sha256Hex(bytes);
}

bool DescribesBytes(const RawDataSidecar& sidecar, std::string_view bytes) {
  return sidecar.byteCount == bytes.size() && sidecar.sha256 == Sha256Hex(bytes);
}

std::string SidecarText(const RawDataSidecar& sidecar) {
  Json doc = {{kFormatKey, kFormatVersion}};
  EachField(sidecar, [&doc](const char* key, const auto& value) { doc[key] = value; });
  return doc.dump(2) + "\n";
}

RawDataSidecar ParseSidecar(std::string_view text, const std::string& name) {
  const Json doc = Json::parse(text, nullptr, false);
  if (!doc.is_object() || !doc.contains(kFormatKey))
    Fail(ErrorNumber::PathFileAccess, name, "not a raw-data settings file");
  RawDataSidecar sidecar;
  EachField(sidecar, [&](const char* key, auto& value) { Take(doc, key, value, name); });
  return sidecar;
}

SidecarLookup FindMatchingSidecar(const std::string& rawFile, std::string_view bytes,
                                  const TextFileReader& read) {
  constexpr int32_t kFileNotFound = 53;
  const std::string name = SidecarPathFor(rawFile);
  SidecarLookup lookup;
  RawDataSidecar sidecar;
  try {
    sidecar = ParseSidecar(read(name), name);
  } catch (const RuntimeError& error) {
    if (error.Number() != kFileNotFound)
      lookup.note = "read settings not applied: " + error.Description();
    return lookup;
  }
  if (!DescribesBytes(sidecar, bytes)) {
    lookup.note = "read settings not applied: \"" + name + "\" describes other bytes than \"" +
                  rawFile + "\"";
    return lookup;
  }
  lookup.note = "applying the read's settings from \"" + name + "\" (read " + sidecar.started +
                " from " + sidecar.device + ")";
  lookup.sidecar = std::move(sidecar);
  return lookup;
}

}  // namespace travimo
