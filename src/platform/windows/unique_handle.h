#pragma once
// Owns a kernel handle; closes it once. Also how a handle travels through the
// int-valued wait slot of an IoSource: kernel handles are 32-bit values that
// sign-extend back, so the slot carries them unchanged.
#include <cstdint>
#include <utility>

#include "platform/windows/win32.h"

namespace travimo::windows {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void Reset() {
    if (Valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

inline int WaitSlotOf(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

inline HANDLE HandleOfWaitSlot(int slot) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(slot));
}

}  // namespace travimo::windows
