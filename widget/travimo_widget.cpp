#include "widget/travimo_widget.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>

#include <travimo/model/error.h>
#include "platform/posix/atomic_file.h"
#include "platform/posix/device_backend.h"
#include <travimo/platform/posix/posix_file_system.h>
#include "platform/recording_serial.h"
#include "rawdata/control_sidecar.h"
#include "widget/qt_mapping.h"

using travimo::ButtonChange;
using travimo::qt::ToQString;
using travimo::qt::ToStdString;

namespace {
constexpr int16_t kEscape = 27;

// The focus moves to another widget of the form. A menu or another window
// taking the keyboard is no such move: the focus comes back when it closes.
bool FocusLeftForTheForm(const QFocusEvent& event) {
  return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::ActiveWindowFocusReason;
}
}  // namespace

struct TravimoWidget::Line {
  travimo::posix::PosixFileSystem files;
  travimo::RawDataCapture rawData{files};  // so that a saved raw-data file gets its sidecar
  PortResolver resolver = travimo::posix::DefaultDeviceFor;
  travimo::posix::DeviceBackend serial{[this](int16_t port) { return resolver(port); }};
  travimo::TracingBackend traced{serial};
  travimo::RecordingSerial recorded{traced};
};

TravimoWidget::TravimoWidget(QWidget* parent)
    : QWidget(parent), line_(std::make_unique<Line>()), button_(new QPushButton(this)) {
  control_ = std::make_unique<travimo::Travimo>(
      travimo::ControlSite{*this, host_, line_->rawData, line_->recorded});
  control_->cmdReadData().OnChanged([this](ButtonChange change) { SyncButton(change); });
  control_->InitProperties();

  button_->setMouseTracking(true);
  button_->installEventFilter(this);
  setFocusProxy(button_);
  // Queued, so that the button has finished its release before the read runs.
  connect(button_, &QPushButton::clicked, this, &TravimoWidget::click, Qt::QueuedConnection);
  SyncAll();
}

TravimoWidget::~TravimoWidget() {
  control_->cmdReadData().OnChanged(nullptr);
  button_->removeEventFilter(this);
}

void TravimoWidget::setPortResolver(PortResolver resolver) {
  line_->resolver = resolver ? std::move(resolver) : travimo::posix::DefaultDeviceFor;
}

void TravimoWidget::setSerialTrace(travimo::TraceSink* sink) { line_->traced.Attach(sink); }

const std::string& TravimoWidget::received() const { return line_->recorded.Received(); }

// ---- Reads -------------------------------------------------------------------

void TravimoWidget::RunRead(const std::function<void()>& read) {
  if (control_->Reading()) return;
  emit readStarted();
  line_->rawData.Forget();
  const travimo::RawDataSidecar started = travimo::SidecarOfControl(*control_);
  read();
  host_.SyncSources();  // the port has closed
  emit readFinished();
  SaveSidecar(started);
}

void TravimoWidget::SaveSidecar(const travimo::RawDataSidecar& started) {
  try {
    travimo::SaveSidecarOfRead(line_->rawData,
                               travimo::SidecarAtEnd(started, line_->recorded.LastDevice()),
                               [](const std::string& name, std::string_view text) {
                                 travimo::posix::ReplaceFileContent(name, text);
                               });
  } catch (const travimo::RuntimeError& error) {
    emit propertyError("SaveRawData", error.Number(), ToQString(error.Description()));
  }
}

void TravimoWidget::click() {
  RunRead([this] { control_->ButtonClick(); });
}

void TravimoWidget::readTravimo() {
  RunRead([this] { control_->ReadTravimo(); });
}

// ---- The button ----------------------------------------------------------------

void TravimoWidget::SyncButton(ButtonChange change) {
  const travimo::CommandButton& source = control_->cmdReadData();
  switch (change) {
    case ButtonChange::Caption:
      button_->setText(ToQString(source.Caption()));
      break;
    case ButtonChange::BackColor: {
      QPalette colours = button_->palette();
      colours.setColor(QPalette::Button, travimo::qt::ToQColor(source.BackColor(), palette()));
      button_->setPalette(colours);
      break;
    }
    case ButtonChange::Enabled:
      button_->setEnabled(source.Enabled());
      break;
    case ButtonChange::Font:
      if (source.Font()) button_->setFont(travimo::qt::ToQFont(*source.Font()));
      break;
    case ButtonChange::Picture:
      button_->setIcon(source.Picture() ? QIcon(ToQString(source.Picture()->path)) : QIcon());
      break;
    case ButtonChange::Geometry: {
      const travimo::Rect& bounds = source.Bounds();
      button_->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
      break;
    }
  }
  emit buttonChanged(static_cast<int>(change));
}

void TravimoWidget::SyncAll() {
  for (const auto change : {ButtonChange::Caption, ButtonChange::BackColor, ButtonChange::Enabled,
                            ButtonChange::Font, ButtonChange::Picture, ButtonChange::Geometry}) {
    SyncButton(change);
  }
}

void TravimoWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  control_->Resize(event->size().width(), event->size().height());
}

// ---- Input -------------------------------------------------------------------

void TravimoWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  control_->GotFocus();
}

void TravimoWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (FocusLeftForTheForm(*event)) control_->LostFocus();
}

// Keys the button does not take (Escape among them) come up to the widget.
void TravimoWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    control_->KeyPress(kEscape);
  } else if (event->text().size() == 1 && event->text().at(0).unicode() < 128) {
    control_->KeyPress(static_cast<int16_t>(event->text().at(0).unicode()));
  }
  QWidget::keyPressEvent(event);
}

bool TravimoWidget::ForwardMouse(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
    return false;
  }
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const auto shift = travimo::qt::ShiftCode(mouse->modifiers());
  const auto x = static_cast<float>(mouse->position().x());
  const auto y = static_cast<float>(mouse->position().y());
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      control_->ButtonMouseDown(travimo::qt::MouseButtonCode(mouse->button()), shift, x, y);
      return true;
    case QEvent::MouseMove:
      control_->ButtonMouseMove(travimo::qt::MouseButtonCode(mouse->buttons()), shift, x, y);
      return true;
    case QEvent::MouseButtonRelease:
      control_->ButtonMouseUp(travimo::qt::MouseButtonCode(mouse->button()), shift, x, y);
      return true;
    default:
      return false;
  }
}

bool TravimoWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == button_) {
    switch (event->type()) {
      case QEvent::FocusIn:
        control_->GotFocus();
        break;
      case QEvent::FocusOut:
        if (FocusLeftForTheForm(*static_cast<QFocusEvent*>(event))) control_->LostFocus();
        break;
      default:
        ForwardMouse(event);
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Container and events ----------------------------------------------------

travimo::FontPtr TravimoWidget::AmbientFont() const {
  return std::make_shared<travimo::StdFont>(travimo::qt::ToStdFont(font()));
}

void TravimoWidget::PropertyChanged(std::string_view name) {
  emit propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void TravimoWidget::MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  emit mouseDown(Button, Shift, X, Y);
}

void TravimoWidget::MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  emit mouseMove(Button, Shift, X, Y);
}

void TravimoWidget::MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  emit mouseUp(Button, Shift, X, Y);
}

void TravimoWidget::Click() {
  emit clicked();
}

void TravimoWidget::TravimoError(int32_t& ReadError) {
  emit travimoError(ReadError);
}

// ---- Properties ----------------------------------------------------------------

void TravimoWidget::Assign(const char* name, const std::function<void()>& let) {
  try {
    let();
  } catch (const travimo::RuntimeError& error) {
    emit propertyError(QString::fromLatin1(name), error.Number(), ToQString(error.Description()));
  } catch (const std::exception& error) {
    emit propertyError(QString::fromLatin1(name), travimo::ErrorNumber::InvalidArgument,
                       QString::fromLocal8Bit(error.what()));
  }
}

QString TravimoWidget::caption() const {
  return ToQString(control_->Caption());
}
void TravimoWidget::setCaption(const QString& value) {
  Assign("Caption", [&] { control_->Caption(ToStdString(value)); });
}
void TravimoWidget::setCommPort(int value) {
  Assign("CommPort", [&] {
    if (value < INT16_MIN || value > INT16_MAX) {
      throw travimo::RuntimeError(travimo::ErrorNumber::Overflow, "Travimo", "Overflow");
    }
    control_->CommPort(static_cast<int16_t>(value));
  });
}
QString TravimoWidget::settings() const {
  return ToQString(control_->Settings());
}
void TravimoWidget::setSettings(const QString& value) {
  Assign("Settings", [&] { control_->Settings(ToStdString(value)); });
}
void TravimoWidget::setTravimoType(int value) {
  Assign("TravimoType", [&] { control_->TravimoType(value); });
}
void TravimoWidget::setNumberOfPoints(int value) {
  Assign("NumberOfPoints", [&] { control_->NumberOfPoints(value); });
}
void TravimoWidget::setScanDataType(int value) {
  Assign("ScanDataType", [&] { control_->ScanDataType(value); });
}
void TravimoWidget::setTempUnits(int value) {
  Assign("Temp_Units", [&] { control_->Temp_Units(value); });
}
void TravimoWidget::setBlueLineTrigger(int value) {
  Assign("BlueLineTrigger", [&] { control_->BlueLineTrigger(value); });
}
void TravimoWidget::setContPower(bool value) {
  Assign("ContPower", [&] { control_->ContPower(value); });
}
void TravimoWidget::setScanNumber(int value) {
  Assign("ScanNumber", [&] { control_->ScanNumber(value); });
}
void TravimoWidget::setSaveRawData(bool value) {
  Assign("SaveRawData", [&] { control_->SaveRawData(value); });
}
QString TravimoWidget::outPutFileName() const {
  try {
    return ToQString(control_->OutPutFileName());
  } catch (const travimo::RuntimeError&) {
    return {};
  }
}
void TravimoWidget::setOutPutFileName(const QString& value) {
  Assign("OutPutFileName", [&] { control_->OutPutFileName(ToStdString(value)); });
}
void TravimoWidget::setBackColor(uint value) {
  Assign("BackColor", [&] { control_->BackColor(value); });
}
void TravimoWidget::setFlashColor(uint value) {
  Assign("FlashColor", [&] { control_->FlashColor(value); });
}
void TravimoWidget::setTravimoEnabled(bool value) {
  Assign("Enabled", [&] { control_->Enabled(value); });
}
void TravimoWidget::setHandshaking(int value) {
  Assign("Handshaking", [&] { control_->Handshaking(value); });
}
void TravimoWidget::setInBufferSize(int value) {
  Assign("InBufferSize", [&] { control_->InBufferSize(value); });
}
void TravimoWidget::setRThreshold(int value) {
  Assign("RThreshold", [&] { control_->RThreshold(value); });
}
void TravimoWidget::setRtsEnable(bool value) {
  Assign("RTSEnable", [&] { control_->RTSEnable(value); });
}
// With no scan to look at the control raises; a property read in Qt must not.
QString TravimoWidget::currentScanDataType() const {
  try {
    return ToQString(control_->CurrentScanDataType());
  } catch (const travimo::RuntimeError&) {
    return {};
  }
}
