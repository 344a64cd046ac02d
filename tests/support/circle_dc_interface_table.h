#pragma once
// The members of IVexa_CircleDC as clients know them, in the order of the interface's
// definition: DISPID, name, operations ("m" a method; "g", "p" or "gp" a property with its get
// and put, the get first) and, for a property, its value's type ('d' double, 'l' 32-bit integer
// or enumeration, 's' string). Each operation takes the next row of the function table (from 1,
// after the seven IUnknown and IDispatch operations). Written out by hand from the interface's
// definition so that tests can hold the implementation against it.
#include <cstdint>

struct InterfaceMember {
  int32_t dispid;
  const char* name;
  const char* kinds;
  char type;
};

inline constexpr InterfaceMember kCircleDCInterface[] = {  // DISPIDs run from 1 in order
    {1, "PerformCircle", "m", 0},
    {2, "Status", "g", 'l'},
    {3, "ModeParameter", "gp", 'd'},
    {4, "FilterNumber", "gp", 'l'},
    {5, "TipRadius", "gp", 'd'},
    {6, "FeatureRadius", "gp", 'd'},
    {7, "Mode", "gp", 'l'},
    {8, "Learning", "gp", 'l'},
    {9, "SlowSpeed", "gp", 'd'},
    {10, "ScanDeflection", "gp", 'd'},
    {11, "Overwrite", "gp", 'l'},
    {12, "BoreOrBoss", "gp", 'l'},
    {13, "ShowGraphics", "m", 0},
    {14, "ScanDirection", "gp", 'l'},
    {15, "ScanType", "gp", 'l'},
    {16, "MaxScanSpeed", "gp", 'd'},
    {17, "IniFilepath", "gp", 's'},
    {18, "WorkingFolder", "gp", 's'},
    {19, "GetData", "m", 0},
    {20, "GetCurrentCircleStatus", "m", 0},
    {21, "GetLastError", "g", 'l'},
    {22, "Abort", "m", 0},
    {23, "EnterProbeOffsets", "m", 0},
    {24, "GetStartPosition", "m", 0},
    {25, "InitialiseObject", "m", 0},
    {26, "GetPerformCircleComplete", "m", 0},
    {27, "SaveData", "m", 0},
    {28, "OfflineTesting", "p", 'l'},
    {29, "SaveRawData", "p", 'l'},
    {30, "HeaderInfo1", "gp", 's'},
    {31, "HeaderInfo2", "gp", 's'},
    {32, "HeaderInfo3", "gp", 's'},
    {33, "HeaderInfo4", "gp", 's'},
    {34, "HeaderInfo5", "gp", 's'},
    {35, "ShowGraphicsComplete", "m", 0},
    {36, "FilterMethod", "p", 'l'},
    {37, "Language", "gp", 's'},
    {38, "GetGraphicsClosed", "m", 0},
    {39, "WindowHandle", "g", 'l'},
    {40, "WindowVisible", "gp", 'l'}};

// Calls `visit(member, row, kind)` for every operation in the order of the function table.
template <class Visit>
void ForEachOperation(Visit visit) {
  int row = 1;
  for (const InterfaceMember& member : kCircleDCInterface) {
    for (const char* kind = member.kinds; *kind; ++kind) {
      visit(member, row++, *kind);
    }
  }
}
