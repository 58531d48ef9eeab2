#include "cli/keyboard.h"

#include <io.h>

#include "platform/windows/unique_handle.h"
#include "platform/windows/win32.h"

namespace travimo::cli {

namespace {

// The console's input handle behind a C descriptor; null when it is no console.
HANDLE ConsoleOf(int fd, DWORD& mode) {
  if (fd < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace

// A console input handle is signalled while input events wait, so the host
// wakes for a key without line input or echo changes.
EscapeWatch::EscapeWatch(HostServices& host, int fd) : fd_(fd) {
  DWORD mode = 0;
  if (ConsoleOf(fd_, mode) == nullptr) return;
  active_ = true;
  registration_ = host.AddSource(*this);
}

EscapeWatch::~EscapeWatch() {
  Restore();
}

// The console's mode is never changed here: only the registration goes.
void EscapeWatch::Restore() {
  registration_ = SourceRegistration();
  active_ = false;
}

int EscapeWatch::PollDescriptor() const {
  DWORD mode = 0;
  const HANDLE console = active_ ? ConsoleOf(fd_, mode) : nullptr;
  return console != nullptr ? windows::WaitSlotOf(console) : -1;
}

void EscapeWatch::Service() {
  DWORD mode = 0;
  const HANDLE console = active_ ? ConsoleOf(fd_, mode) : nullptr;
  if (console == nullptr) return;
  DWORD waiting = 0;
  while (GetNumberOfConsoleInputEvents(console, &waiting) && waiting > 0) {
    INPUT_RECORD records[16];
    DWORD count = 0;
    if (!ReadConsoleInputW(console, records, 16, &count)) {
      active_ = false;  // the console is gone: stop waking the host for it
      return;
    }
    for (DWORD i = 0; i < count; ++i) {
      const auto& record = records[i];
      if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
          record.Event.KeyEvent.wVirtualKeyCode == VK_ESCAPE) {
        pressed_ = true;
      }
    }
  }
}

}  // namespace travimo::cli
