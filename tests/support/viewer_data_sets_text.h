#pragma once
// A small data sets file as SaveData writes one, for loading into the viewer.
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/trivell/geometry.h"

// A data sets file with four points per set, every set a circle of radius 8 with form `form`
// around `centre0` (the reference set) or `centre1` (all others).
inline std::string DataSetsFileText(CMaPoint centre0, CMaPoint centre1, double form) {
  std::string text =
      "MeasuringUnit (0 mm, 1 inches):  0\r\nRadius:  8.0\r\nCentre:  1.0 2.0 3.0\r\n"
      "Normal:  0.0 0.0 1.0\r\nXaxis:  1.0 0.0 0.0\r\nSlowSpeed:  5.0\r\nFastSpeed:  30.0\r\n"
      "ScanDirection (0 clockwise, 1 anti-clockwise):  1\r\nSize of Data Set:  4\r\n";
  char line[200];
  for (int k = 0; k < 6; ++k) {
    const CMaPoint c = k == 0 ? centre0 : centre1;
    std::snprintf(line, sizeof line,
                  "Form:  %.6f\r\nRadius:  8.0\r\nCentre:  %.6f %.6f 0.0\r\nData:\r\n", form, c.x(),
                  c.y());
    text += line;
    for (int i = 0; i < 4; ++i) {
      const double a = i * M_PI / 2.0;
      std::snprintf(line, sizeof line, " %.9f %.9f 0.0\r\n", c.x() + 8.0 * std::cos(a),
                    c.y() + 8.0 * std::sin(a));
      text += line;
    }
  }
  return text;
}
