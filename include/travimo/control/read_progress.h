#pragma once
// What a running read waits for, for hosts that show progress.

namespace travimo {

enum class ReadPhase { Idle, Starting, FirstByte, Quiet, Polling };

struct PhaseProgress {
  ReadPhase phase = ReadPhase::Idle;
  double endsAt = 0.0;  // host monotonic seconds; data arriving may move it
};

}  // namespace travimo
