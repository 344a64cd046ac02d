#include "src/procedures/run_files.h"

#include <string>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/services/run_directory.h"

std::filesystem::path RunFolder(const CircleDCComponent& c) {
  const OptionalText runDirectory = c.RunDirectory.Get();
  return runDirectory ? RunDirectoryPath(*runDirectory) : std::filesystem::path();
}

std::filesystem::path MapFilePath(const CircleDCComponent& c, int32_t mapNumber) {
  return RunFolder(c) / ("_circle" + std::to_string(mapNumber) + ".rsm");
}

std::filesystem::path CircleDataFilePath(const CircleDCComponent& c, int32_t mapNumber) {
  return RunFolder(c) / ("_circle" + std::to_string(mapNumber) + ".rsd");
}

MapFileHeader CurrentMapFileHeader(const CircleDCComponent& c) {
  MapFileHeader h;
  h.measuringUnit = c.MeasuringUnit.Get();
  h.acceleration = c.KnownPartScanAcceleration.Get();
  h.bufferPitch = c.BufferPitch.Get();
  h.mapPitch = c.DCMapPitch.Get();
  h.dcStartAngle = c.DCStartAngle.Get();
  h.dcMapMethod = c.DCMapMethod;
  h.filterMethod = c.FilterMethod.Get();
  h.boreOrBoss = c.BoreOrBoss.Get();
  h.radius = c.FeatureRadius.Get();
  h.centre = c.Centre.Get();
  h.normal = c.Normal.Get();
  h.xaxis = c.Xaxis.Get();
  h.mode = c.Mode.Get();
  h.modeParameter = c.ModeParameter.Get();
  h.filterNumber = c.FilterNumber.Get();
  h.slowSpeed = c.SlowSpeed.Get();
  h.fastSpeed = c.FastSpeed.Get();
  h.scanDirection = c.ScanDirection.Get();
  h.scanDeflection = c.ScanDeflection.Get();
  h.headAngleA = c.HeadAngleA.Get();
  h.headAngleB = c.HeadAngleB.Get();
  h.probeType = c.ProbeType.Get();
  h.probeOffsets = c.ProbeOffsets.Get().value_or(CMaPoint(0.0, 0.0, 0.0));
  h.tipRadius = c.TipRadius.Get();
  return h;
}

MatchTolerances CurrentMatchTolerances() {
  const MapMatchTolerances& t = ProcessMapMatchTolerances();
  MatchTolerances tolerances;
  tolerances.centre = t.centre;
  tolerances.radius = t.radius;
  tolerances.speed = t.speed;
  tolerances.acceleration = t.acceleration;
  tolerances.startAngle = t.startAngle;
  tolerances.fine = t.fine;
  return tolerances;
}
