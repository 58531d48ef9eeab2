// The instrument type and the settings that depend on it: the blue-line mode,
// the keep-alive timer and the serial component's configuration.
#include "acquisition/port_configuration.h"
#include <travimo/control/travimo.h>
#include <travimo/model/enums.h>

namespace travimo {

int32_t Travimo::TravimoType() const {
  return state_.travimoType;
}

void Travimo::TravimoType(int32_t New_TravimoType) {
  // Stored first: the property calls below already see the new type.
  state_.travimoType = New_TravimoType;
  if (New_TravimoType != Lorvex) {
    NumberOfPoints(NoLimit);
    BlueLineTrigger(BlueLineOff);
    ContPower(false);
    if (ScanDataType() == Burst) ScanDataType(Moisture);
  } else if (state_.numberOfPoints == NoLimit || state_.pointLimit == NoLimit) {
    // An Ostrel or Brevane parse overwrites the stored number of points with
    // its last index, but the limit it worked under is still "No Limit".
    NumberOfPoints(Max512);
    BlueLineTrigger(BlueLineAuto);
  }
  ConfigurePort();
  PropertyChanged("TravimoType");
}

int32_t Travimo::BlueLineTrigger() const {
  return state_.blueLineTrigger;
}

void Travimo::BlueLineTrigger(int32_t New_BlueLineTrigger) {
  state_.blueLineTrigger = TravimoType() == Lorvex ? New_BlueLineTrigger : BlueLineOff;
  PropertyChanged("BlueLineTrigger");
}

bool Travimo::ContPower() const {
  return timer1_->Enabled();
}

void Travimo::ContPower(bool New_ContPower) {
  // Only a Lorvex takes the keep-alive character.
  timer1_->Enabled(TravimoType() == Lorvex && New_ContPower);
  PropertyChanged("ContPower");
}

void Travimo::ConfigurePort() {
  ::travimo::ConfigurePort(msComm1_, TravimoType());
}

// Each step on its own: a failed write must not leave the port open.
void Travimo::KeepAliveTick() {
  try {
    msComm1_.PortOpen(true);
  } catch (...) {
  }
  try {
    msComm1_.Output("W");
  } catch (...) {
  }
  try {
    msComm1_.PortOpen(false);
  } catch (...) {
  }
}

}  // namespace travimo
