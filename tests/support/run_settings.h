#pragma once
// The controller's settings file of a run, and the offline example's input (raw scan files of a
// bore of radius 8, tip 1.5, scanned clockwise, and its System.dat).
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

// Settings that pass every check, with the run directory under `workingDirectory`; `tuning`
// holds the buffer pitch, speed factor and start angle.
inline std::string SettingsText(
    const std::filesystem::path& workingDirectory,
    const std::string& tuning = "BufferPitch=0.1\r\nDCSpeedFactor=5.0\r\nDCStartAngle=90.0\r\n") {
  return "[MoveConfiguration]\r\nPositionalTolerance=0.01\r\n"
         "[KT19]\r\nKnownPartScanAcceleration=999.0\r\n"
         "[KT410]\r\nKnownPartScanAcceleration=200.0\r\n"
         "[OmbrixDC]\r\nDCMapPitch=0.5\r\nScanSettlingTime=0\r\nTimeOut=-1\r\n" +
         tuning + "WorkingDirectory=" + workingDirectory.string() + "/\r\n";
}

// Copies the example's input into the run directory "Default" of `folder` and writes its
// settings file there; returns the settings file.
inline std::filesystem::path WriteOfflineExample(const TempFolder& folder) {
  const std::filesystem::path data =
      std::filesystem::path(OMBRIXDC_SOURCE_DIR) / "tests/procedures/data/offline-learning";
  std::filesystem::create_directories(folder.Path() / "Default");
  for (const char* name : {"ScanSlow.dat", "ScanFast.dat", "System.dat"}) {
    std::filesystem::copy_file(data / name, folder.Path() / "Default" / name);
  }
  return folder.Write("settings.ini", SettingsText(folder.Path(),
                                                   "BufferPitch=0.05\r\nDCSpeedFactor=2.0\r\n"
                                                   "DCStartAngle=30.0\r\n"));
}
