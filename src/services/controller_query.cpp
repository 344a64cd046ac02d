#include "src/services/controller_query.h"

#include "src/services/controller_objects.h"

namespace ombrixdc {

namespace {

std::optional<ProbeReport> ReadProbe(IVexa_link* link) {
  ComPtr<IVexa_probe_info> info;
  if (FAILED(CreateControllerObject(CLSID_Vexa_probe_info, &info)) || !info) {
    return std::nullopt;
  }
  LONG success = 0;
  info->InitialiseObject(link, &success);
  BYTE unit = 0, type = 0, head = 0;
  info->get_measuringUnit(&unit);
  info->get_probeType(&type);
  info->get_headFlag(&head);
  return ProbeReport{unit, type, head};
}

std::optional<HeadReport> ReadHead(IVexa_link* link, IVexa_axis_position_and_status* ps) {
  ComPtr<IVexa_head> head;
  if (FAILED(CreateControllerObject(CLSID_Vexa_head, &head)) || !head) {
    return std::nullopt;
  }
  LONG success = 0;
  head->InitialiseObject(link, ps, &success);
  HeadReport report;
  head->get_angleA(&report.angleA);
  head->get_angleB(&report.angleB);
  return report;
}

CMaPoint MapPoint(IVexa_frame* frame, IVexa_link* link, double x, double y, double z) {
  frame->SetPoint(link, x, y, z);
  CMaPoint p;
  frame->GetPoint(&p.x(), &p.y(), &p.z());
  return p;
}

}  // namespace

ControllerQueryResult QueryController(IVexa_link* link, IVexa_axis_position_and_status* ps) {
  ControllerQueryResult result;
  result.probe = ReadProbe(link);
  if (!result.probe) {
    result.ok = false;
  } else if (result.probe->headFlag != 0) {
    result.head = ReadHead(link, ps);
    if (!result.head) {
      result.ok = false;
    }
  }

  ComPtr<IVexa_frame> frame;
  if (FAILED(CreateControllerObject(CLSID_Vexa_frame, &frame)) || !frame) {
    result.ok = false;
    return result;
  }
  // The feature's origin and unit axes, mapped into machine coordinates.
  FrameReport report;
  report.centre = MapPoint(frame.Get(), link, 0.0, 0.0, 0.0);
  report.normal = MapPoint(frame.Get(), link, 0.0, 0.0, 1.0) - report.centre;
  report.xaxis = MapPoint(frame.Get(), link, 1.0, 0.0, 0.0) - report.centre;
  result.frame = report;
  return result;
}

}  // namespace ombrixdc
