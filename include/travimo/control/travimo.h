#pragma once
// Travimo: the control a host places to read a Lorvex, Brevane or Ostrel over
// a serial line. Its public members are those of the _Travimo interface, named
// as there: Name() reads a property, Name(value) assigns it (Let, or Set for
// objects). Everything the host supplies arrives through ControlSite.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <travimo/control/command_button.h>
#include <travimo/control/read_progress.h>
#include <travimo/model/colour.h>
#include <travimo/model/scan_state.h>
#include <travimo/model/single_array.h>
#include <travimo/model/transfer_kind.h>
#include <travimo/platform/container.h>
#include <travimo/platform/file_system.h>
#include <travimo/platform/host_services.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/serial_backend.h>
#include <travimo/platform/version.h>

namespace travimo {

// The services a control is created with; all must outlive it.
struct ControlSite {
  Container& container;
  HostServices& host;
  FileSystem& files;
  SerialBackend& serial;
  VersionRecord version = kLibraryVersion;
};

class ControlLink;

class Travimo {
 public:
  explicit Travimo(ControlSite site);
  ~Travimo();
  Travimo(const Travimo&) = delete;
  Travimo& operator=(const Travimo&) = delete;

  // ---- _Travimo, in slot order -------------------------------------------
  int32_t ScanDataType() const;
  void ScanDataType(int32_t New_ScanDataType);
  void BKWait(int32_t HowManySecs);
  int32_t ScanNumber() const;
  void ScanNumber(int32_t New_ScanNumber);
  float ScanDataElement(int32_t ScanNumber, int32_t ScanDataItem);
  int32_t NumberOfPoints() const;
  void NumberOfPoints(int32_t New_NumberOfPoints);
  bool Enabled() const;
  void Enabled(bool New_Enabled);
  FontPtr Font() const;
  void Font(FontPtr New_Font);
  int32_t Handshaking() const;
  void Handshaking(int32_t New_Handshaking);
  int32_t hWnd() const;
  int32_t InBufferCount();
  void InBufferCount(int32_t New_InBufferCount);
  int32_t InBufferSize() const;
  void InBufferSize(int32_t New_InBufferSize);
  PicturePtr MouseIcon() const;
  void MouseIcon(PicturePtr New_MouseIcon);
  int16_t MousePointer() const;
  void MousePointer(int16_t New_MousePointer);
  PicturePtr Picture() const;
  void Picture(PicturePtr New_Picture);
  int32_t RThreshold() const;
  void RThreshold(int32_t New_RThreshold);
  bool RTSEnable() const;
  void RTSEnable(bool New_RTSEnable);
  std::string Settings() const;
  void Settings(const std::string& New_Settings);
  PicturePtr DisabledPicture() const;
  void DisabledPicture(PicturePtr New_DisabledPicture);
  PicturePtr DownPicture() const;
  void DownPicture(PicturePtr New_DownPicture);
  int16_t CommPort() const;
  void CommPort(int16_t New_CommPort);
  std::string Caption() const;
  void Caption(const std::string& New_Caption);
  int16_t Style() const;
  int32_t NumberOfScans() const;
  void NumberOfScans(int32_t New_NumberOfScans);  // always refused
  int32_t ArrayStart() const;
  void ArrayStart(int32_t New_ArrayStart);  // always refused
  int32_t Temp_Units() const;
  void Temp_Units(int32_t New_Temp_Units);
  // Runs a read cycle; its result is an empty Variant, so nothing is returned.
  void ReadTravimo();
  void Value(bool New_Value);
  bool ContPower() const;
  void ContPower(bool New_ContPower);
  int32_t TravimoType() const;
  void TravimoType(int32_t New_TravimoType);
  bool CancelTransfer() const;  // refused (393) at run time
  void CancelTransfer(bool New_CancelTransfer);
  int32_t BlueLineTrigger() const;
  void BlueLineTrigger(int32_t New_BlueLineTrigger);
  std::string CurrentScanDataType();
  void CurrentScanDataType(const std::string& New_CurrentScanDataType);  // always refused
  std::string GetScanDataType(int32_t ScanNum) const;
  std::string StringScanData();
  void StringScanData(const std::string& New_StringScanData);  // always refused
  OstrelPtr OstrelData() const;
  void OstrelData(OstrelPtr New_OstrelData);  // always refused
  BrevanePtr BrevaneData() const;
  void BrevaneData(BrevanePtr New_BrevaneData);  // always refused
  SingleArray OneScanDataArray() const;
  LorvexPtr LorvexData() const;
  void LorvexData(LorvexPtr New_LorvexData);
  Colour BackColor() const;
  void BackColor(Colour New_BackColor);
  Colour FlashColor() const;
  void FlashColor(Colour New_FlashColor);
  std::string OutPutFileName();
  void OutPutFileName(const std::string& New_OutPutFileName);
  bool SaveRawData() const;
  void SaveRawData(bool New_SaveRawData);

  // ---- What the container calls --------------------------------------------
  void InitProperties();
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag);

  // ---- What the host delivers (resize, focus, keys, mouse, clicks) ----------
  void Resize(int32_t width, int32_t height);
  void GotFocus();
  void LostFocus();
  void KeyPress(int16_t keyAscii);
  void ButtonClick();  // a user's click on cmdReadData, honoured when the frame is enabled
  void ButtonMouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void ButtonMouseMove(int16_t Button, int16_t Shift, float X, float Y);
  void ButtonMouseUp(int16_t Button, int16_t Shift, float X, float Y);

  // Decodes a saved transfer as the finish of a read would, without a port:
  // same dispatch by text, errors reported through TravimoError.
  void DecodeTransfer(std::string text);
  // The same with the parser chosen by the caller rather than by the text.
  void DecodeTransfer(std::string text, TransferKind kind);

  // ---- Constituent parts, for hosts that render them and for tests ----------
  const CommandButton& cmdReadData() const { return cmdReadData_; }
  CommandButton& cmdReadData() { return cmdReadData_; }
  const Frame& fraButton() const { return fraButton_; }
  MSComm& MSComm1() { return msComm1_; }
  const MSComm& MSComm1() const { return msComm1_; }
  Timer& Timer1() { return *timer1_; }
  Timer& Timer2() { return *timer2_; }
  Colour SurfaceBackColor() const { return surfaceBackColor_; }  // behind the frame
  bool Reading() const;
  const std::string& ReceivedSoFar() const;
  PhaseProgress ReadProgress() const;
  // The description of the failure behind the last TravimoError event; empty
  // when it carried none (a query's DataAccessError, say).
  const std::string& LastErrorDescription() const { return lastErrorDescription_; }
  const ScanState& State() const { return state_; }
  const VersionRecord& Version() const { return site_.version; }

 private:
  // The read cycle and the parsers reach the control through its link.
  friend class ControlLink;

  void ResetFlash();
  void ConfigurePort();
  void ParseReceived(std::string& transfer, TransferKind kind);
  void RaiseTravimoError(int32_t number);

  // Shared helpers
  bool UserMode() const { return site_.container.UserMode(); }
  void PropertyChanged(const char* name) { site_.container.PropertyChanged(name); }
  [[noreturn]] void Refuse(int32_t atDesignTime, int32_t atRunTime) const;
  TravimoEvents& Events() { return site_.container.Events(); }
  // Raises one event; whatever the host's handler throws stays with the host.
  void RaiseEvent(const std::function<void(TravimoEvents&)>& raise);
  static int16_t ToInteger16(int32_t value);  // fails with 6 outside -32768..32767

  // Queries
  // The current record's data array for the instrument type; none for other types.
  std::optional<SingleArray> CurrentRecordArray() const;
  float MemberElement(int32_t position, int32_t element) const;
  std::string SingleArrayToString(const SingleArray& sngArray);

  // Button and feedback
  void ClickHandling();
  void FlashTick();
  void KeepAliveTick();

  ControlSite site_;
  ScanState state_;
  CommandButton cmdReadData_;
  Frame fraButton_;
  MSComm msComm1_;
  std::unique_ptr<Timer> timer1_;
  std::unique_ptr<Timer> timer2_;
  std::unique_ptr<ControlLink> link_;  // after everything it refers to

  Colour surfaceBackColor_ = kButtonFace;
  bool m_CancelTransfer = false;
  bool m_SaveRawData = false;
  static constexpr const char* kDefaultOutputFile = "RawData.dat";
  std::string m_OutPutFileName = kDefaultOutputFile;
  Colour m_FlashColor = kDefaultFlashColour;
  std::string m_FlashChar;
  int32_t m_FlashPos = 0;
  std::string lastErrorDescription_;
};

}  // namespace travimo
