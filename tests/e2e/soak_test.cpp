// Many failing reads in a row on the real platform, the device missing and
// the device vanishing right after the open in turn: no file descriptor and
// no memory may be left behind by any of them. The full thousand runs in
// bench/soak_bench; a vanishing read costs the second a read always waits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "control/travimo.h"
#include "model/enums.h"
#include "platform/ms_comm.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/termios_serial.h"
#include "sim/simulator.h"
#include "support/process_usage.h"
#include "support/recording_container.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRAVIMO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAVIMO_ASAN 1
#endif
#endif

namespace travimo::testing {
namespace {

TEST(Soak, FailingReadsLeaveNoDescriptorsOrMemoryBehind) {
  constexpr int kReads = 100;
  constexpr int kWarmUp = 10;
  RecordingContainer container;
  posix::PosixHost host{"C"};
  posix::PosixFileSystem files;
  std::string device;
  posix::TermiosBackend serial([&device](int16_t) { return device; });
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  control.CommPort(1);

  sim::Script vanishing;
  vanishing.firstByteDelay = 0.0;
  vanishing.hangUpAfter = 0;  // the line drops as soon as the request arrives
  long descriptorsAfterWarmUp = 0;
  long residentAfterWarmUp = 0;
  for (int read = 1; read <= kReads; ++read) {
    std::optional<sim::Simulator> simulator;
    if (read % 2 == 0) {
      simulator.emplace(vanishing);
      simulator->Start();
      device = simulator->SlavePath();
    } else {
      device = "/nonexistent/travimo-soak";
    }
    control.ReadTravimo();
    ASSERT_EQ(container.ErrorNumbers().size(), static_cast<size_t>(read));
    ASSERT_EQ(container.ErrorNumbers().back(),
              read % 2 == 0 ? CommError::ReadFailed : CommError::PortInvalid)
        << "read " << read;
    ASSERT_FALSE(control.MSComm1().PortOpen());
    ASSERT_TRUE(control.fraButton().Enabled());
    simulator.reset();
    if (read == kWarmUp) {
      descriptorsAfterWarmUp = OpenDescriptors();
      residentAfterWarmUp = ResidentKiB();
    }
  }
  const long descriptors = OpenDescriptors();
  const long resident = ResidentKiB();
  std::printf("after %d reads: %ld descriptors, %ld KiB resident\n", kWarmUp,
              descriptorsAfterWarmUp, residentAfterWarmUp);
  std::printf("after %d reads: %ld descriptors, %ld KiB resident\n", kReads, descriptors, resident);
  EXPECT_EQ(descriptors, descriptorsAfterWarmUp);
#ifndef TRAVIMO_ASAN
  // The sanitizer's quarantine holds freed memory back, so only plain builds judge memory.
  EXPECT_LE(resident - residentAfterWarmUp, 1024);
#endif
}

}  // namespace
}  // namespace travimo::testing
