#include "platform/windows/windows_host.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <span>
#include <vector>

#include "platform/windows/unique_handle.h"
#include "platform/windows/win32.h"

namespace travimo::windows {

namespace {

// The longest a yield sleeps when nothing is ready: short enough for a
// responsive wait loop, long enough to cost no noticeable CPU.
constexpr double kMaxWaitSeconds = 0.005;

double Monotonic() {
  static const double frequency = [] {
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// Sources' descriptors are wait slots carrying their handles.
void WaitForHandles(std::span<const int> slots, double until) {
  std::vector<HANDLE> handles;
  for (const int slot : slots) {
    if (handles.size() < MAXIMUM_WAIT_OBJECTS) handles.push_back(HandleOfWaitSlot(slot));
  }
  const double wait = std::min(kMaxWaitSeconds, until - Monotonic());
  const auto milliseconds = static_cast<DWORD>(std::ceil(std::max(wait, 0.0) * 1000.0));
  if (handles.empty()) {
    Sleep(milliseconds);
  } else if (WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                    milliseconds) == WAIT_FAILED) {
    Sleep(milliseconds);  // a source offered a stale handle: still no spinning
  }
}

}  // namespace

WindowsHost::WindowsHost() : loop_(Monotonic, WaitForHandles) {}

WindowsHost::~WindowsHost() = default;

double WindowsHost::SecondsSinceMidnight() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0;
}

double WindowsHost::MonotonicSeconds() {
  return Monotonic();
}

void WindowsHost::YieldUntil(double until) {
  loop_.RunOnce(until);
}

std::unique_ptr<Timer> WindowsHost::CreateTimer(std::function<void()> onTick) {
  return loop_.CreateTimer(std::move(onTick));
}

SourceRegistration WindowsHost::AddSource(IoSource& source) {
  return loop_.AddSource(source);
}

MessageBoxResult WindowsHost::ShowMessageBox(const MessageBoxRequest& request) {
  if (messageBox_) return messageBox_(request);
  std::cerr << (request.title.empty() ? "" : request.title + ": ") << request.text << '\n';
  return MessageBoxResult::Ok;
}

std::string WindowsHost::BytesToText(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

RegionalSettings WindowsHost::Regional() {
  return UserRegionalSettings();
}

}  // namespace travimo::windows
