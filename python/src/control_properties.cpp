#include "control_properties.h"

#include <limits>

#include "convert.h"
#include <travimo/model/error.h>

namespace travimo::python {

namespace {

using Get = std::function<py::object(PythonControl&)>;
using Set = std::function<void(PythonControl&, const py::object&)>;

template <class Read>
Get Reads(Read read) {
  return [read](PythonControl& c) -> py::object { return py::cast(read(c.Control())); };
}

PropertySpec Int32(const char* name, std::function<int32_t(Travimo&)> get,
                   std::function<void(Travimo&, int32_t)> set, const char* enumeration = nullptr) {
  return {name, Reads(get), [set, enumeration](PythonControl& c, const py::object& v) {
            set(c.Control(), enumeration ? EnumValue(enumeration, v) : ToInt32(v));
          }};
}

PropertySpec Int16(const char* name, std::function<int16_t(Travimo&)> get,
                   std::function<void(Travimo&, int16_t)> set) {
  return {name, Reads(get),
          set ? Set([set](PythonControl& c, const py::object& v) { set(c.Control(), ToInt16(v)); })
              : Set()};
}

PropertySpec Boolean(const char* name, std::function<bool(Travimo&)> get,
                     std::function<void(Travimo&, bool)> set) {
  return {name, Reads(get),
          [set](PythonControl& c, const py::object& v) { set(c.Control(), v.cast<bool>()); }};
}

// Texts the host names (settings, captions, file names) are UTF-8.
PropertySpec Text(const char* name, std::function<std::string(Travimo&)> get,
                  std::function<void(Travimo&, const std::string&)> set) {
  return {name, [get](PythonControl& c) -> py::object { return Utf8(get(c.Control())); },
          [set](PythonControl& c, const py::object& v) {
            set(c.Control(),
                py::str(py::module_::import("os").attr("fspath")(v)).cast<std::string>());
          }};
}

Colour ToColour(const py::handle& value) {
  const int64_t v = ToInt64(value);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max()) {
    throw RuntimeError(ErrorNumber::Overflow);
  }
  return static_cast<Colour>(static_cast<uint32_t>(v));
}

// Colours read as unsigned values (0x8000000F); signed patterns are accepted too.
PropertySpec ColourProperty(const char* name, std::function<Colour(Travimo&)> get,
                            std::function<void(Travimo&, Colour)> set) {
  return {name, Reads(get),
          [set](PythonControl& c, const py::object& v) { set(c.Control(), ToColour(v)); }};
}

PicturePtr ToPicture(const py::object& value) {
  if (value.is_none()) return nullptr;
  if (py::isinstance<StdPicture>(value)) return value.cast<PicturePtr>();
  auto picture = std::make_shared<StdPicture>();
  picture->path = py::str(py::module_::import("os").attr("fspath")(value)).cast<std::string>();
  return picture;
}

PropertySpec Picture(const char* name, std::function<PicturePtr(Travimo&)> get,
                     std::function<void(Travimo&, PicturePtr)> set) {
  return {name, Reads(get),
          [set](PythonControl& c, const py::object& v) { set(c.Control(), ToPicture(v)); }};
}

template <class Ptr>
PropertySpec Record(const char* name, std::function<Ptr(Travimo&)> get,
                    std::function<void(Travimo&, Ptr)> set) {
  return {name, Reads(get), [set](PythonControl& c, const py::object& v) {
            set(c.Control(), v.is_none() ? Ptr() : v.cast<Ptr>());
          }};
}

std::vector<PropertySpec> MakeProperties() {
  std::vector<PropertySpec> p;
  p.push_back(Int32(
      "ScanDataType", [](Travimo& t) { return t.ScanDataType(); },
      [](Travimo& t, int32_t v) { t.ScanDataType(v); }, "TravimoDataTypeEnum"));
  p.push_back(Int32(
      "ScanNumber", [](Travimo& t) { return t.ScanNumber(); },
      [](Travimo& t, int32_t v) { t.ScanNumber(v); }));
  p.push_back(Int32(
      "NumberOfPoints", [](Travimo& t) { return t.NumberOfPoints(); },
      [](Travimo& t, int32_t v) { t.NumberOfPoints(v); }, "NumberOfPointsEnum"));
  p.push_back(Boolean(
      "Enabled", [](Travimo& t) { return t.Enabled(); }, [](Travimo& t, bool v) { t.Enabled(v); }));
  p.push_back({"Font", Reads([](Travimo& t) { return t.Font(); }),
               [](PythonControl& c, const py::object& v) {
                 c.Control().Font(v.is_none() ? FontPtr() : v.cast<FontPtr>());
               }});
  p.push_back(Int32(
      "Handshaking", [](Travimo& t) { return t.Handshaking(); },
      [](Travimo& t, int32_t v) { t.Handshaking(v); }));
  p.push_back({"hWnd", Reads([](Travimo& t) { return t.hWnd(); }), {}});
  p.push_back(Int32(
      "InBufferCount", [](Travimo& t) { return t.InBufferCount(); },
      [](Travimo& t, int32_t v) { t.InBufferCount(v); }));
  p.push_back(Int32(
      "InBufferSize", [](Travimo& t) { return t.InBufferSize(); },
      [](Travimo& t, int32_t v) { t.InBufferSize(v); }));
  p.push_back(Picture(
      "MouseIcon", [](Travimo& t) { return t.MouseIcon(); },
      [](Travimo& t, PicturePtr v) { t.MouseIcon(std::move(v)); }));
  p.push_back(Int16(
      "MousePointer", [](Travimo& t) { return t.MousePointer(); },
      [](Travimo& t, int16_t v) { t.MousePointer(v); }));
  p.push_back(Picture(
      "Picture", [](Travimo& t) { return t.Picture(); },
      [](Travimo& t, PicturePtr v) { t.Picture(std::move(v)); }));
  p.push_back(Int32(
      "RThreshold", [](Travimo& t) { return t.RThreshold(); },
      [](Travimo& t, int32_t v) { t.RThreshold(v); }));
  p.push_back(Boolean(
      "RTSEnable", [](Travimo& t) { return t.RTSEnable(); },
      [](Travimo& t, bool v) { t.RTSEnable(v); }));
  p.push_back(Text(
      "Settings", [](Travimo& t) { return t.Settings(); },
      [](Travimo& t, const std::string& v) { t.Settings(v); }));
  p.push_back(Picture(
      "DisabledPicture", [](Travimo& t) { return t.DisabledPicture(); },
      [](Travimo& t, PicturePtr v) { t.DisabledPicture(std::move(v)); }));
  p.push_back(Picture(
      "DownPicture", [](Travimo& t) { return t.DownPicture(); },
      [](Travimo& t, PicturePtr v) { t.DownPicture(std::move(v)); }));
  p.push_back(Int16(
      "CommPort", [](Travimo& t) { return t.CommPort(); },
      [](Travimo& t, int16_t v) { t.CommPort(v); }));
  p.push_back(Text(
      "Caption", [](Travimo& t) { return t.Caption(); },
      [](Travimo& t, const std::string& v) { t.Caption(v); }));
  p.push_back(Int16("Style", [](Travimo& t) { return t.Style(); }, {}));
  p.push_back(Int32(
      "NumberOfScans", [](Travimo& t) { return t.NumberOfScans(); },
      [](Travimo& t, int32_t v) { t.NumberOfScans(v); }));
  p.push_back(Int32(
      "ArrayStart", [](Travimo& t) { return t.ArrayStart(); },
      [](Travimo& t, int32_t v) { t.ArrayStart(v); }));
  p.push_back(Int32(
      "Temp_Units", [](Travimo& t) { return t.Temp_Units(); },
      [](Travimo& t, int32_t v) { t.Temp_Units(v); }, "TemperatureTypeEnum"));
  // Assigning True presses the button: a whole read, which may wait.
  p.push_back({"Value", {}, [](PythonControl& c, const py::object& v) {
                 const bool value = v.cast<bool>();
                 c.RunYielding([&c, value] { c.Control().Value(value); });
               }});
  p.push_back(Boolean(
      "ContPower", [](Travimo& t) { return t.ContPower(); },
      [](Travimo& t, bool v) { t.ContPower(v); }));
  p.push_back(Int32(
      "TravimoType", [](Travimo& t) { return t.TravimoType(); },
      [](Travimo& t, int32_t v) { t.TravimoType(v); }, "TravimoTypeEnum"));
  p.push_back(Boolean(
      "CancelTransfer", [](Travimo& t) { return t.CancelTransfer(); },
      [](Travimo& t, bool v) { t.CancelTransfer(v); }));
  p.push_back(Int32(
      "BlueLineTrigger", [](Travimo& t) { return t.BlueLineTrigger(); },
      [](Travimo& t, int32_t v) { t.BlueLineTrigger(v); }, "BlueLineTriggerType"));
  p.push_back(
      {"CurrentScanDataType",
       [](PythonControl& c) -> py::object { return Latin1(c.Control().CurrentScanDataType()); },
       [](PythonControl& c, const py::object& v) {
         c.Control().CurrentScanDataType(FromLatin1(v));
       }});
  // One character per byte: the bytes themselves serve Python best.
  p.push_back(
      {"StringScanData",
       [](PythonControl& c) -> py::object { return py::bytes(c.Control().StringScanData()); },
       [](PythonControl& c, const py::object& v) { c.Control().StringScanData(FromLatin1(v)); }});
  p.push_back(Record<OstrelPtr>(
      "OstrelData", [](Travimo& t) { return t.OstrelData(); },
      [](Travimo& t, OstrelPtr v) { t.OstrelData(std::move(v)); }));
  p.push_back(Record<BrevanePtr>(
      "BrevaneData", [](Travimo& t) { return t.BrevaneData(); },
      [](Travimo& t, BrevanePtr v) { t.BrevaneData(std::move(v)); }));
  p.push_back({"OneScanDataArray", Reads([](Travimo& t) { return t.OneScanDataArray(); }), {}});
  p.push_back(Record<LorvexPtr>(
      "LorvexData", [](Travimo& t) { return t.LorvexData(); },
      [](Travimo& t, LorvexPtr v) { t.LorvexData(std::move(v)); }));
  p.push_back(ColourProperty(
      "BackColor", [](Travimo& t) { return t.BackColor(); },
      [](Travimo& t, Colour v) { t.BackColor(v); }));
  p.push_back(ColourProperty(
      "FlashColor", [](Travimo& t) { return t.FlashColor(); },
      [](Travimo& t, Colour v) { t.FlashColor(v); }));
  p.push_back(Text(
      "OutPutFileName", [](Travimo& t) { return t.OutPutFileName(); },
      [](Travimo& t, const std::string& v) { t.OutPutFileName(v); }));
  p.push_back(Boolean(
      "SaveRawData", [](Travimo& t) { return t.SaveRawData(); },
      [](Travimo& t, bool v) { t.SaveRawData(v); }));
  return p;
}

}  // namespace

const std::vector<PropertySpec>& ControlProperties() {
  static const std::vector<PropertySpec> properties = MakeProperties();
  return properties;
}

}  // namespace travimo::python
