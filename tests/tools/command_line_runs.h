#pragma once
// Runs of `ombrixdc run` on the simulated machine, for the tests that start the program.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/files/golden_files.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

inline const std::string kProgram = OMBRIXDC_PROGRAM;

// A learning (1) or compensated (0) run of a 10 mm bore with its run directory in
// `folder`/Default; no settling wait and no ageing, so runs are short and nothing is deleted
// behind the test.
inline std::vector<std::string> RunArgs(const TempFolder& folder, int learning, int overwrite) {
  const std::filesystem::path ini =
      folder.Write("settings.ini",
                   "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.05\n"
                   "DCMapPitch=0.5\nDCSpeedFactor=10\nDCStartAngle=45\nScanSettlingTime=0\n"
                   "TimeOut=-1\nWorkingDirectory=" +
                       folder.Path().string() + "/\n");
  std::vector<std::string> args{kProgram, "run", "--ini", ini.string()};
  for (const std::string& value :
       {"Learning=" + std::to_string(learning), "Overwrite=" + std::to_string(overwrite),
        std::string("FeatureRadius=10"), std::string("TipRadius=1"),
        std::string("ScanDeflection=0.3"), std::string("SlowSpeed=5"),
        std::string("ModeParameter=60")}) {
    args.insert(args.end(), {"--set", value});
  }
  return args;
}

}  // namespace ombrixdc
