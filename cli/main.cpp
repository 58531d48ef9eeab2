#include <unistd.h>

#include <cstring>
#include <iostream>

#include "cli/app.h"
#include "cli/exit_status.h"
#include "cli/stdout_buffer.h"

int main(int argc, char** argv) {
  travimo::cli::FdOutputBuffer outBuffer(STDOUT_FILENO);
  std::ostream out(&outBuffer);
  const travimo::cli::Streams streams{out, std::cerr, isatty(STDERR_FILENO) == 1, STDIN_FILENO};
  int status = travimo::cli::Run(argc, argv, streams);
  out.flush();
  if (outBuffer.Error() != 0) {
    std::cerr << "travimo: error 75: cannot write standard output: "
              << std::strerror(outBuffer.Error()) << '\n';
    if (status == travimo::cli::ExitStatus::Ok) status = travimo::cli::ExitStatus::File;
  }
  return status;
}
