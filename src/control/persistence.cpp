// The three operations a container calls on the control's saved properties:
// initialise a control placed afresh, load a saved one, save it. The order of
// the keys matters on load (each value is applied at once, and TravimoType's
// Let overrides some of what came before it), so both lists read top to bottom
// exactly as the saved set is laid out.
#include <limits>
#include <string>
#include <string_view>

#include <travimo/control/travimo.h>
#include <travimo/model/error.h>

namespace travimo {
namespace {

[[noreturn]] void Mismatch(std::string_view key, std::string_view expected) {
  throw RuntimeError(
      ErrorNumber::TypeMismatch, std::string(kControlSource),
      "Type mismatch: saved property \"" + std::string(key) + "\" is not " + std::string(expected));
}

// Reads one key and converts it to the kind the control keeps. JSON-backed bags
// have one number type, so 16- and 32-bit integers are interchangeable in range.
class BagReader {
 public:
  explicit BagReader(PropertyBag& bag) : bag_(bag) {}

  bool Boolean(std::string_view key, bool fallback) {
    const PropertyValue v = bag_.Read(key, fallback);
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    Mismatch(key, "a Boolean");
  }

  int32_t Long(std::string_view key, int32_t fallback) {
    const PropertyValue v = bag_.Read(key, fallback);
    if (const int32_t* n = std::get_if<int32_t>(&v)) return *n;
    if (const int16_t* n = std::get_if<int16_t>(&v)) return *n;
    Mismatch(key, "a 32-bit integer");
  }

  int16_t Integer(std::string_view key, int16_t fallback) {
    const PropertyValue v = bag_.Read(key, fallback);
    if (const int16_t* n = std::get_if<int16_t>(&v)) return *n;
    if (const int32_t* n = std::get_if<int32_t>(&v)) {
      if (*n < std::numeric_limits<int16_t>::min() || *n > std::numeric_limits<int16_t>::max()) {
        throw RuntimeError(
            ErrorNumber::Overflow, std::string(kControlSource),
            "Overflow: saved property \"" + std::string(key) + "\" is outside the 16-bit range");
      }
      return static_cast<int16_t>(*n);
    }
    Mismatch(key, "a 16-bit integer");
  }

  // Colours travel as the bit pattern of a signed 32-bit value.
  Colour Color(std::string_view key, Colour fallback) {
    return static_cast<Colour>(Long(key, static_cast<int32_t>(fallback)));
  }

  std::string Text(std::string_view key, const std::string& fallback) {
    const PropertyValue v = bag_.Read(key, fallback);
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    Mismatch(key, "a text");
  }

  FontPtr Font(std::string_view key, const FontPtr& fallback) {
    return Object<FontPtr>(key, fallback, "a font");
  }
  PicturePtr Picture(std::string_view key) { return Object<PicturePtr>(key, nullptr, "a picture"); }
  template <class Ptr>
  Ptr Record(std::string_view key) {
    return Object<Ptr>(key, nullptr, "a record of that instrument type");
  }

 private:
  // "None" is the empty variant; a null object reads as none too.
  template <class Ptr>
  Ptr Object(std::string_view key, const Ptr& fallback, std::string_view expected) {
    const PropertyValue v = bag_.Read(key, fallback ? PropertyValue(fallback) : PropertyValue());
    if (const Ptr* p = std::get_if<Ptr>(&v)) return *p;
    if (std::holds_alternative<std::monostate>(v)) return nullptr;
    Mismatch(key, expected);
  }

  PropertyBag& bag_;
};

// Writes with the bag's "nothing when equal to the default" rule; an absent
// object is written as none so that it matches a default of none.
class BagWriter {
 public:
  explicit BagWriter(PropertyBag& bag) : bag_(bag) {}

  void Boolean(std::string_view key, bool value, bool fallback) {
    bag_.Write(key, value, fallback);
  }
  void Long(std::string_view key, int32_t value, int32_t fallback) {
    bag_.Write(key, value, fallback);
  }
  void Integer(std::string_view key, int16_t value, int16_t fallback) {
    bag_.Write(key, value, fallback);
  }
  void Color(std::string_view key, Colour value, Colour fallback) {
    Long(key, static_cast<int32_t>(value), static_cast<int32_t>(fallback));
  }
  void Text(std::string_view key, const std::string& value, const std::string& fallback) {
    bag_.Write(key, value, fallback);
  }
  template <class Ptr>
  void Object(std::string_view key, const Ptr& value, const Ptr& fallback = nullptr) {
    bag_.Write(key, value ? PropertyValue(value) : PropertyValue(),
               fallback ? PropertyValue(fallback) : PropertyValue());
  }

 private:
  PropertyBag& bag_;
};

constexpr int16_t kDefaultInBufferSize = 9096;
const std::string kDefaultSettings = "9600,n,8,1";
const std::string kDefaultCaption = "Travimo";
const std::string kDefaultTypeLetter = "A";
const std::string kDefaultStringScanData = "\"";

}  // namespace

void Travimo::InitProperties() {
  state_.scanDataType = Moisture;
  state_.numberOfScans = 0;
  state_.tempUnits = Celsius;
  m_CancelTransfer = false;
  state_.currentScanDataType = kDefaultTypeLetter;
  state_.scanNumber = 1;
  state_.numberOfPoints = Max512;
  state_.pointLimit = Max512;
  state_.arrayStart = 1;
  state_.blueLineTrigger = BlueLineAuto;
  state_.scanTypeLetters.Discard();
  state_.stringScanData = kDefaultStringScanData;
  TravimoType(Lorvex);
  m_FlashColor = kDefaultFlashColour;
  m_OutPutFileName = kDefaultOutputFile;
  m_SaveRawData = false;
}

void Travimo::ReadProperties(PropertyBag& bag) {
  BagReader in(bag);
  surfaceBackColor_ = in.Color("BackColor", kButtonFace);
  state_.scanDataType = in.Long("ScanDataType", Moisture);
  state_.scanNumber = in.Long("ScanNumber", 1);
  state_.numberOfPoints = in.Long("NumberOfPoints", Max512);
  msComm1_.CommPort(in.Integer("CommPort", 1));
  msComm1_.Handshaking(in.Long("Handshaking", 0));
  msComm1_.InBufferCount(in.Integer("InBufferCount", 0));
  msComm1_.InBufferSize(in.Integer("InBufferSize", kDefaultInBufferSize));
  msComm1_.RThreshold(in.Integer("RThreshold", 0));
  msComm1_.RTSEnable(in.Boolean("RTSEnable", false));
  msComm1_.Settings(in.Text("Settings", kDefaultSettings));
  msComm1_.DTREnable(in.Boolean("DTREnable", true));
  cmdReadData_.Caption(in.Text("Caption", kDefaultCaption));
  cmdReadData_.Enabled(in.Boolean("Enabled", true));
  cmdReadData_.Value(in.Boolean("Value", false));
  cmdReadData_.MousePointer(in.Integer("MousePointer", 0));
  cmdReadData_.Caption(in.Text("Caption", kDefaultCaption));
  // A button always has a font: a saved "none" falls back to the ambient one.
  const FontPtr ambient = site_.container.AmbientFont();
  const FontPtr font = in.Font("Font", ambient);
  Font(font ? font : ambient);
  MouseIcon(in.Picture("MouseIcon"));
  Picture(in.Picture("Picture"));
  DisabledPicture(in.Picture("DisabledPicture"));
  DownPicture(in.Picture("DownPicture"));
  state_.ostrelData = in.Record<OstrelPtr>("OstrelData");
  state_.brevaneData = in.Record<BrevanePtr>("BrevaneData");
  state_.lorvexData = in.Record<LorvexPtr>("LorvexData");
  state_.pointLimit = state_.numberOfPoints;
  state_.numberOfScans = in.Long("NumberOfScans", 0);
  state_.arrayStart = in.Long("ArrayStart", 1);
  state_.tempUnits = in.Long("Temp_Units", Celsius);
  timer1_->Enabled(in.Boolean("ContPower", false));
  TravimoType(in.Long("TravimoType", Lorvex));
  m_CancelTransfer = in.Boolean("CancelTransfer", false);
  state_.blueLineTrigger = in.Long("BlueLineTrigger", BlueLineAuto);
  state_.currentScanDataType = in.Text("CurrentScanDataType", kDefaultTypeLetter);
  state_.stringScanData = in.Text("StringScanData", kDefaultStringScanData);
  cmdReadData_.BackColor(in.Color("BackColor", kButtonFace));
  m_FlashColor = in.Color("FlashColor", kDefaultFlashColour);
  m_OutPutFileName = in.Text("OutPutFileName", kDefaultOutputFile);
  m_SaveRawData = in.Boolean("SaveRawData", false);
}

void Travimo::WriteProperties(PropertyBag& bag) {
  BagWriter out(bag);
  out.Long("ScanDataType", state_.scanDataType, Moisture);
  out.Long("ScanNumber", state_.scanNumber, 1);
  out.Long("NumberOfPoints", state_.numberOfPoints, Max512);
  out.Color("BackColor", cmdReadData_.BackColor(), kButtonFace);
  out.Object("DisabledPicture", DisabledPicture());
  out.Object("DownPicture", DownPicture());
  out.Text("Caption", cmdReadData_.Caption(), kDefaultCaption);
  out.Boolean("Value", cmdReadData_.Value(), false);
  out.Integer("MousePointer", cmdReadData_.MousePointer(), 0);
  out.Boolean("Enabled", cmdReadData_.Enabled(), true);
  out.Boolean("DTREnable", msComm1_.DTREnable(), true);
  out.Long("Handshaking", msComm1_.Handshaking(), 0);
  out.Integer("CommPort", msComm1_.CommPort(), 1);
  out.Integer("InBufferCount", msComm1_.InBufferCount(), 0);
  out.Integer("InBufferSize", msComm1_.InBufferSize(), kDefaultInBufferSize);
  out.Integer("RThreshold", msComm1_.RThreshold(), 0);
  out.Boolean("RTSEnable", msComm1_.RTSEnable(), false);
  out.Text("Settings", msComm1_.Settings(), kDefaultSettings);
  state_.pointLimit = state_.numberOfPoints;
  out.Object("Font", Font(), site_.container.AmbientFont());
  out.Object("MouseIcon", MouseIcon());
  out.Object("Picture", Picture());
  out.Long("NumberOfScans", state_.numberOfScans, 0);
  out.Long("ArrayStart", state_.arrayStart, 1);
  out.Long("Temp_Units", state_.tempUnits, Celsius);
  out.Boolean("ContPower", timer1_->Enabled(), false);
  out.Long("TravimoType", state_.travimoType, Lorvex);
  out.Boolean("CancelTransfer", m_CancelTransfer, false);
  out.Long("BlueLineTrigger", state_.blueLineTrigger, BlueLineAuto);
  out.Text("CurrentScanDataType", state_.currentScanDataType, kDefaultTypeLetter);
  out.Text("StringScanData", state_.stringScanData, kDefaultStringScanData);
  out.Object("OstrelData", state_.ostrelData);
  out.Object("BrevaneData", state_.brevaneData);
  out.Object("LorvexData", state_.lorvexData);
  out.Color("BackColor", cmdReadData_.BackColor(), kButtonFace);
  out.Color("FlashColor", m_FlashColor, kDefaultFlashColour);
  out.Text("OutPutFileName", m_OutPutFileName, kDefaultOutputFile);
  out.Boolean("SaveRawData", m_SaveRawData, false);
}

}  // namespace travimo
