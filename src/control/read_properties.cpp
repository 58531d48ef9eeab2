// The members that start or serve a read: the cancel flag, the raw-data file
// settings, the pause, and the two ways of starting a cycle from the host.
#include <travimo/control/travimo.h>

#include "control/control_link.h"
#include <travimo/model/error.h>

namespace travimo {

bool Travimo::CancelTransfer() const {
  if (UserMode()) throw RuntimeError(ErrorNumber::GetNotAtRunTime);
  return m_CancelTransfer;
}

void Travimo::CancelTransfer(bool New_CancelTransfer) {
  m_CancelTransfer = New_CancelTransfer;
  PropertyChanged("CancelTransfer");
}

std::string Travimo::OutPutFileName() {
  if (m_OutPutFileName.empty()) m_OutPutFileName = kDefaultOutputFile;
  return m_OutPutFileName;
}

void Travimo::OutPutFileName(const std::string& New_OutPutFileName) {
  m_OutPutFileName = New_OutPutFileName;
  PropertyChanged("OutPutFileName");
}

bool Travimo::SaveRawData() const {
  return m_SaveRawData;
}

void Travimo::SaveRawData(bool New_SaveRawData) {
  m_SaveRawData = New_SaveRawData;
  PropertyChanged("SaveRawData");
}

void Travimo::BKWait(int32_t HowManySecs) {
  link_->Cycle().BKWait(HowManySecs);
}

void Travimo::ReadTravimo() {
  link_->Cycle().AcquireData();
}

// True presses the button: the whole click handling runs, Click event included.
void Travimo::Value(bool New_Value) {
  cmdReadData_.Value(New_Value);
  PropertyChanged("Value");
}

}  // namespace travimo
