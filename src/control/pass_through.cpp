// The properties that only hand through to the button or the serial component,
// and the refusals of the properties that only the control itself may set.
#include <travimo/control/travimo.h>
#include <travimo/model/error.h>

namespace travimo {

int16_t Travimo::ToInteger16(int32_t value) {
  if (value < INT16_MIN || value > INT16_MAX) throw RuntimeError(ErrorNumber::Overflow);
  return static_cast<int16_t>(value);
}

void Travimo::Refuse(int32_t atDesignTime, int32_t atRunTime) const {
  throw RuntimeError(UserMode() ? atRunTime : atDesignTime);
}

// ---- the button ---------------------------------------------------------------

bool Travimo::Enabled() const {
  return cmdReadData_.Enabled();
}
void Travimo::Enabled(bool New_Enabled) {
  cmdReadData_.Enabled(New_Enabled);
  PropertyChanged("Enabled");
}

FontPtr Travimo::Font() const {
  return cmdReadData_.Font();
}
void Travimo::Font(FontPtr New_Font) {
  cmdReadData_.Font(std::move(New_Font));
  PropertyChanged("Font");
}

int32_t Travimo::hWnd() const {
  return cmdReadData_.hWnd();
}

PicturePtr Travimo::MouseIcon() const {
  return cmdReadData_.MouseIcon();
}
void Travimo::MouseIcon(PicturePtr New_MouseIcon) {
  cmdReadData_.MouseIcon(std::move(New_MouseIcon));
  PropertyChanged("MouseIcon");
}

int16_t Travimo::MousePointer() const {
  return cmdReadData_.MousePointer();
}
void Travimo::MousePointer(int16_t New_MousePointer) {
  cmdReadData_.MousePointer(New_MousePointer);
  PropertyChanged("MousePointer");
}

PicturePtr Travimo::Picture() const {
  return cmdReadData_.Picture();
}
void Travimo::Picture(PicturePtr New_Picture) {
  cmdReadData_.Picture(std::move(New_Picture));
  PropertyChanged("Picture");
}

PicturePtr Travimo::DisabledPicture() const {
  return cmdReadData_.DisabledPicture();
}
void Travimo::DisabledPicture(PicturePtr New_DisabledPicture) {
  cmdReadData_.DisabledPicture(std::move(New_DisabledPicture));
  PropertyChanged("DisabledPicture");
}

PicturePtr Travimo::DownPicture() const {
  return cmdReadData_.DownPicture();
}
void Travimo::DownPicture(PicturePtr New_DownPicture) {
  cmdReadData_.DownPicture(std::move(New_DownPicture));
  PropertyChanged("DownPicture");
}

std::string Travimo::Caption() const {
  return cmdReadData_.Caption();
}
void Travimo::Caption(const std::string& New_Caption) {
  cmdReadData_.Caption(New_Caption);
  PropertyChanged("Caption");
}

int16_t Travimo::Style() const {
  return cmdReadData_.Style();
}

// ---- the serial component -------------------------------------------------------

int32_t Travimo::Handshaking() const {
  return msComm1_.Handshaking();
}
void Travimo::Handshaking(int32_t New_Handshaking) {
  msComm1_.Handshaking(New_Handshaking);
  PropertyChanged("Handshaking");
}

int16_t Travimo::CommPort() const {
  return msComm1_.CommPort();
}
void Travimo::CommPort(int16_t New_CommPort) {
  msComm1_.CommPort(New_CommPort);
  PropertyChanged("CommPort");
}

std::string Travimo::Settings() const {
  return msComm1_.Settings();
}
void Travimo::Settings(const std::string& New_Settings) {
  msComm1_.Settings(New_Settings);
  PropertyChanged("Settings");
}

bool Travimo::RTSEnable() const {
  return msComm1_.RTSEnable();
}
void Travimo::RTSEnable(bool New_RTSEnable) {
  msComm1_.RTSEnable(New_RTSEnable);
  PropertyChanged("RTSEnable");
}

// The component holds these three as 16-bit values.
int32_t Travimo::InBufferCount() {
  return msComm1_.InBufferCount();
}
void Travimo::InBufferCount(int32_t New_InBufferCount) {
  msComm1_.InBufferCount(ToInteger16(New_InBufferCount));
  PropertyChanged("InBufferCount");
}

int32_t Travimo::InBufferSize() const {
  return msComm1_.InBufferSize();
}
void Travimo::InBufferSize(int32_t New_InBufferSize) {
  msComm1_.InBufferSize(ToInteger16(New_InBufferSize));
  PropertyChanged("InBufferSize");
}

int32_t Travimo::RThreshold() const {
  return msComm1_.RThreshold();
}
void Travimo::RThreshold(int32_t New_RThreshold) {
  msComm1_.RThreshold(ToInteger16(New_RThreshold));
  PropertyChanged("RThreshold");
}

}  // namespace travimo
