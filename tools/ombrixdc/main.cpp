// ombrixdc: the command-line front end of the circle dynamic compensation component.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "tools/ombrixdc/demo.h"
#include "tools/ombrixdc/errors_command.h"
#include "tools/ombrixdc/idl_command.h"
#include "tools/ombrixdc/maps_command.h"
#include "tools/ombrixdc/number_checks.h"
#include "tools/ombrixdc/register_command.h"
#include "tools/ombrixdc/render_command.h"
#include "tools/ombrixdc/run_command.h"
#include "tools/ombrixdc/sweep_command.h"
#include "tools/ombrixdc/view_command.h"

namespace {

// A command is one short run. Its heap keeps what it frees for the next allocation instead of
// giving it back and faulting fresh pages in again (a raw scan file's text, a chain's arrays),
// and the run's worker allocates from it too rather than from an arena of its own: page faults
// are a large part of a run's cost on a virtual machine. The component's module leaves its
// host's allocator alone; this is the command's own process.
//
// The pages a run's heap comes to (about 430 KB for the offline example, 270 KB for the
// parser alone) are faulted in with one call at start: a fault costs about ten times as much
// as a page filled by the kernel in a batch on such a machine. A kernel without the call
// (before 5.14) refuses it and the pages fault in as they are touched.
void KeepHeapForTheRun() {
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
  mallopt(M_TRIM_THRESHOLD, 8 << 20);
  constexpr std::size_t kRunHeap = 448 << 10;
  const long pageSize = sysconf(_SC_PAGESIZE);
  void* block = pageSize > 0 ? std::malloc(kRunHeap) : nullptr;
  if (block != nullptr) {
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto first = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + kRunHeap) & ~(page - 1);
    if (end > first) {
      madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    }
    std::free(block);
  }
}

// What a command printed must have reached standard output (a full disk, a closed pipe): a
// command whose output was lost has not done its job, whatever it returned.
int WithOutputChecked(int status) {
  std::cout.flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout.good()) {
    // The failed write may have come before this flush; its errno is the reason when it is
    // one a write gives.
    const int reason = errno;
    const bool writeError = reason == ENOSPC || reason == EPIPE || reason == EIO ||
                            reason == EFBIG || reason == EDQUOT || reason == EBADF;
    std::fprintf(stderr, "ombrixdc: cannot write standard output: %s\n",
                 writeError ? std::strerror(reason) : "write failed");
    return status == 0 ? 1 : status;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  KeepHeapForTheRun();
  CLI::App app{"OmbrixDC: circle dynamic compensation for coordinate measuring machines"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "ombrixdc " OMBRIXDC_VERSION);
  app.footer(
      "Run 'ombrixdc COMMAND --help' for a command's options and 'ombrixdc errors' for the "
      "error codes.");

  DemoOptions demo;
  CLI::App* demoCommand =
      app.add_subcommand("demo", "Run the main job on the built-in simulated machine");
  demoCommand
      ->add_option("--dir", demo.directory,
                   "Folder for the settings file and the run files (default: a private folder "
                   "of the user's, see README)")
      ->check(NonEmptyText());
  demoCommand->callback([&demo] { throw CLI::RuntimeError(RunDemo(demo)); });
  AddRunCommand(app);
  AddSweepCommand(app);
  AddViewCommand(app);
  AddRegisterCommand(app);
  AddIdlCommand(app);
  AddRenderCommand(app);
  AddMapsCommand(app);
  AddErrorsCommand(app);

  int status = 0;
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& result) {
    status = result.get_exit_code();
  } catch (const CLI::ParseError& e) {
    status = app.exit(e) == 0 ? 0 : 2;  // help is not a usage error
  }
  return WithOutputChecked(status);
}
