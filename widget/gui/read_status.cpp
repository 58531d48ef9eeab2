#include "widget/gui/read_status.h"

#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>

namespace travimo::gui {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString NextStepFor(int32_t number) {
  switch (number) {
    case CommError::PortInvalid:
      return "Check that the device exists (choose it from the Device list), that you may open "
             "it, and that no other program holds it; then read again.";
    case CommError::ReadFailed:
    case ComportReadError:
      return "The line failed during the transfer: check the cable and the adapter, then start "
             "the transfer on the instrument and read again.";
    case UserCancel:
      return "The read was cancelled. Click the button to read again.";
    case InvalidOstrelDataError:
    case InvalidBrevaneDataError:
      return "The transfer is incomplete or not from this instrument: check the Instrument and "
             "line settings, start the transfer on the instrument again, then read.";
    case BlueLineError:
      return "Check the Blue line setting for this instrument, then read again.";
    default:
      return "Check the cable, the device and the line settings, start the transfer on the "
             "instrument, then read again.";
  }
}

QString Clock(double seconds) {
  const auto whole = static_cast<long>(std::max(0.0, seconds));
  return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
}

QString PhaseText(ReadPhase phase) {
  switch (phase) {
    case ReadPhase::Starting:
      return "starting";
    case ReadPhase::FirstByte:
      return "waiting for the first byte";
    case ReadPhase::Quiet:
      return "receiving";
    case ReadPhase::Polling:
      return "polling for the rest";
    case ReadPhase::Idle:
      break;
  }
  return {};
}

}  // namespace

QString ReadFailure::Headline() const {
  QString text = QString("Error %1").arg(number);
  if (!name.isEmpty()) text += " (" + name + ")";
  return text + ": " + description;
}

ReadFailure FailureOf(int32_t number, std::string_view description) {
  ReadFailure failure;
  failure.number = number;
  if (const auto name = MemberName("TravimoErrors", number)) failure.name = Text(*name);
  failure.description =
      description.empty() ? Text(StandardDescription(number)) : Text(description);
  failure.nextStep = NextStepFor(number);
  return failure;
}

QString ProgressText(size_t bytes, double elapsedSeconds, const PhaseProgress& phase,
                     double nowSeconds) {
  QString text = QString("%1 bytes · %2").arg(bytes).arg(Clock(elapsedSeconds));
  const QString what = PhaseText(phase.phase);
  if (what.isEmpty()) return text;
  const double left = std::max(0.0, phase.endsAt - nowSeconds);
  return text + QString(" · %1, %2 s left").arg(what).arg(std::ceil(left), 0, 'f', 0);
}

ReadStatusPanel::ReadStatusPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  banner_ = new QLabel(this);
  banner_->setObjectName("errorBanner");
  banner_->setWordWrap(true);
  banner_->setTextFormat(Qt::PlainText);
  banner_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  banner_->setStyleSheet(
      "QLabel { background: #c62828; color: white; padding: 8px; font-weight: bold; }");
  banner_->hide();
  origin_ = new QLabel(this);
  origin_->setObjectName("dataOrigin");
  progress_ = new QLabel(this);
  progress_->setObjectName("readProgress");
  progress_->hide();
  layout->addWidget(banner_);
  layout->addWidget(origin_);
  layout->addWidget(progress_);
}

void ReadStatusPanel::ShowOrigin(const QString& origin, bool stale) {
  origin_->setText(stale ? "Previous read's data: " + origin : origin);
  origin_->setStyleSheet(stale ? "QLabel { background: #fff3c4; color: #5d4200; padding: 4px; }"
                               : "QLabel { padding: 4px; }");
}

void ReadStatusPanel::ShowFailure(const ReadFailure& failure) {
  banner_->setText(failure.Headline() + "\n" + failure.nextStep);
  banner_->show();
}

void ReadStatusPanel::ClearFailure() {
  banner_->hide();
  banner_->clear();
}

void ReadStatusPanel::ShowProgress(const QString& text) {
  progress_->setText(text);
  progress_->setVisible(!text.isEmpty());
}

}  // namespace travimo::gui
