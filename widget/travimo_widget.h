#pragma once
// TravimoWidget: the control placed on a Qt form. The widget is the control's
// container; a QPushButton renders cmdReadData and feeds it the user's input;
// the __Travimo events come out as Qt signals and the control's properties
// are Q_PROPERTYs under the control's own names.
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include <travimo/control/travimo.h>
#include <travimo/platform/serial_trace.h>

// Beside this header wherever it is installed.
#include "qt_host.h"

namespace travimo {
struct RawDataSidecar;
}  // namespace travimo

class TravimoWidget : public QWidget, private travimo::Container, private travimo::TravimoEvents {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(int CommPort READ commPort WRITE setCommPort)
  Q_PROPERTY(QString Settings READ settings WRITE setSettings)
  Q_PROPERTY(int TravimoType READ travimoType WRITE setTravimoType)
  Q_PROPERTY(int NumberOfPoints READ numberOfPoints WRITE setNumberOfPoints)
  Q_PROPERTY(int ScanDataType READ scanDataType WRITE setScanDataType)
  Q_PROPERTY(int Temp_Units READ tempUnits WRITE setTempUnits)
  Q_PROPERTY(int BlueLineTrigger READ blueLineTrigger WRITE setBlueLineTrigger)
  Q_PROPERTY(bool ContPower READ contPower WRITE setContPower)
  Q_PROPERTY(int ScanNumber READ scanNumber WRITE setScanNumber)
  Q_PROPERTY(int NumberOfScans READ numberOfScans)
  Q_PROPERTY(int ArrayStart READ arrayStart)
  Q_PROPERTY(bool SaveRawData READ saveRawData WRITE setSaveRawData)
  Q_PROPERTY(QString OutPutFileName READ outPutFileName WRITE setOutPutFileName)
  Q_PROPERTY(uint BackColor READ backColor WRITE setBackColor)
  Q_PROPERTY(uint FlashColor READ flashColor WRITE setFlashColor)
  Q_PROPERTY(bool Enabled READ travimoEnabled WRITE setTravimoEnabled)
  Q_PROPERTY(int Handshaking READ handshaking WRITE setHandshaking)
  Q_PROPERTY(int InBufferSize READ inBufferSize WRITE setInBufferSize)
  Q_PROPERTY(int RThreshold READ rThreshold WRITE setRThreshold)
  Q_PROPERTY(bool RTSEnable READ rtsEnable WRITE setRtsEnable)
  Q_PROPERTY(int Style READ buttonStyle)
  Q_PROPERTY(int hWnd READ hWndValue)
  Q_PROPERTY(QString CurrentScanDataType READ currentScanDataType)

 public:
  using PortResolver = std::function<std::string(int16_t commPort)>;

  explicit TravimoWidget(QWidget* parent = nullptr);
  ~TravimoWidget() override;

  travimo::Travimo& control() { return *control_; }
  const travimo::Travimo& control() const { return *control_; }
  travimo::qt::QtHost& host() { return host_; }
  QPushButton* button() const { return button_; }

  // Port number -> device path; by default port N is /dev/ttyS{N-1}.
  void setPortResolver(PortResolver resolver);
  // Traces the serial traffic of every read that starts after this to sink
  // (a posix::TraceFile, say); nullptr stops tracing. The sink must outlive
  // the reads it traces.
  void setSerialTrace(travimo::TraceSink* sink);
  // A form being designed: the control's UserMode is false.
  void setDesignMode(bool design) { designMode_ = design; }
  bool reading() const { return control_->Reading(); }
  // Every byte the line delivered to the last read, kept also when it failed.
  const std::string& received() const;

  QString caption() const;
  void setCaption(const QString& value);
  int commPort() const { return control_->CommPort(); }
  void setCommPort(int value);
  QString settings() const;
  void setSettings(const QString& value);
  int travimoType() const { return control_->TravimoType(); }
  void setTravimoType(int value);
  int numberOfPoints() const { return control_->NumberOfPoints(); }
  void setNumberOfPoints(int value);
  int scanDataType() const { return control_->ScanDataType(); }
  void setScanDataType(int value);
  int tempUnits() const { return control_->Temp_Units(); }
  void setTempUnits(int value);
  int blueLineTrigger() const { return control_->BlueLineTrigger(); }
  void setBlueLineTrigger(int value);
  bool contPower() const { return control_->ContPower(); }
  void setContPower(bool value);
  int scanNumber() const { return control_->ScanNumber(); }
  void setScanNumber(int value);
  int numberOfScans() const { return control_->NumberOfScans(); }
  int arrayStart() const { return control_->ArrayStart(); }
  bool saveRawData() const { return control_->SaveRawData(); }
  void setSaveRawData(bool value);
  QString outPutFileName() const;
  void setOutPutFileName(const QString& value);
  uint backColor() const { return control_->BackColor(); }
  void setBackColor(uint value);
  uint flashColor() const { return control_->FlashColor(); }
  void setFlashColor(uint value);
  bool travimoEnabled() const { return control_->Enabled(); }
  void setTravimoEnabled(bool value);
  int handshaking() const { return control_->Handshaking(); }
  void setHandshaking(int value);
  int inBufferSize() const { return control_->InBufferSize(); }
  void setInBufferSize(int value);
  int rThreshold() const { return control_->RThreshold(); }
  void setRThreshold(int value);
  bool rtsEnable() const { return control_->RTSEnable(); }
  void setRtsEnable(bool value);
  int buttonStyle() const { return control_->Style(); }
  int hWndValue() const { return control_->hWnd(); }
  QString currentScanDataType() const;

  QSize sizeHint() const override { return {160, 48}; }

 public slots:
  // A click on the button: caption handling, the read, then clicked().
  void click();
  // ReadTravimo: the read alone, without the caption handling or clicked().
  void readTravimo();

 signals:
  void mouseDown(int button, int shift, float x, float y);
  void mouseMove(int button, int shift, float x, float y);
  void mouseUp(int button, int shift, float x, float y);
  void clicked();
  void travimoError(int readError);
  void propertyChanged(const QString& name);
  // An assignment the control refused; the property keeps its value.
  void propertyError(const QString& name, int number, const QString& description);
  void readStarted();
  void readFinished();
  // The button was redrawn after the control changed it; change is a travimo::ButtonChange.
  void buttonChanged(int change);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Container
  bool UserMode() const override { return !designMode_; }
  travimo::FontPtr AmbientFont() const override;
  void PropertyChanged(std::string_view name) override;
  travimo::TravimoEvents& Events() override { return *this; }

  // TravimoEvents
  void MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y) override;
  void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y) override;
  void MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y) override;
  void Click() override;
  void TravimoError(int32_t& ReadError) override;

  void SyncButton(travimo::ButtonChange change);
  void SyncAll();
  bool ForwardMouse(QEvent* event);
  // Runs one Let; a refusal becomes propertyError instead of an exception in Qt's code.
  void Assign(const char* name, const std::function<void()>& let);
  void RunRead(const std::function<void()>& read);
  void SaveSidecar(const travimo::RawDataSidecar& started);

  // The files and the serial line the control is given, kept out of this header.
  struct Line;

  travimo::qt::QtHost host_;
  std::unique_ptr<Line> line_;
  QPushButton* button_;
  std::unique_ptr<travimo::Travimo> control_;
  bool designMode_ = false;
};
