#pragma once
// The operations of IVexa_CircleDC as clients know them: function table order (from 1, after
// the seven IUnknown and IDispatch operations), DISPID, kind and name. Written out by hand
// from the interface's definition so that tests can hold the implementation against it.
#include <cstdint>

struct InterfaceRow {
  int row;
  int32_t dispid;
  char kind;  // 'm' method, 'g' property get, 'p' property put
  const char* name;
};

inline constexpr InterfaceRow kCircleDCInterface[] = {
    {1, 1, 'm', "PerformCircle"},
    {2, 2, 'g', "Status"},
    {3, 3, 'g', "ModeParameter"},
    {4, 3, 'p', "ModeParameter"},
    {5, 4, 'g', "FilterNumber"},
    {6, 4, 'p', "FilterNumber"},
    {7, 5, 'g', "TipRadius"},
    {8, 5, 'p', "TipRadius"},
    {9, 6, 'g', "FeatureRadius"},
    {10, 6, 'p', "FeatureRadius"},
    {11, 7, 'g', "Mode"},
    {12, 7, 'p', "Mode"},
    {13, 8, 'g', "Learning"},
    {14, 8, 'p', "Learning"},
    {15, 9, 'g', "SlowSpeed"},
    {16, 9, 'p', "SlowSpeed"},
    {17, 10, 'g', "ScanDeflection"},
    {18, 10, 'p', "ScanDeflection"},
    {19, 11, 'g', "Overwrite"},
    {20, 11, 'p', "Overwrite"},
    {21, 12, 'g', "BoreOrBoss"},
    {22, 12, 'p', "BoreOrBoss"},
    {23, 13, 'm', "ShowGraphics"},
    {24, 14, 'g', "ScanDirection"},
    {25, 14, 'p', "ScanDirection"},
    {26, 15, 'g', "ScanType"},
    {27, 15, 'p', "ScanType"},
    {28, 16, 'g', "MaxScanSpeed"},
    {29, 16, 'p', "MaxScanSpeed"},
    {30, 17, 'g', "IniFilepath"},
    {31, 17, 'p', "IniFilepath"},
    {32, 18, 'g', "WorkingFolder"},
    {33, 18, 'p', "WorkingFolder"},
    {34, 19, 'm', "GetData"},
    {35, 20, 'm', "GetCurrentCircleStatus"},
    {36, 21, 'g', "GetLastError"},
    {37, 22, 'm', "Abort"},
    {38, 23, 'm', "EnterProbeOffsets"},
    {39, 24, 'm', "GetStartPosition"},
    {40, 25, 'm', "InitialiseObject"},
    {41, 26, 'm', "GetPerformCircleComplete"},
    {42, 27, 'm', "SaveData"},
    {43, 28, 'p', "OfflineTesting"},
    {44, 29, 'p', "SaveRawData"},
    {45, 30, 'g', "HeaderInfo1"},
    {46, 30, 'p', "HeaderInfo1"},
    {47, 31, 'g', "HeaderInfo2"},
    {48, 31, 'p', "HeaderInfo2"},
    {49, 32, 'g', "HeaderInfo3"},
    {50, 32, 'p', "HeaderInfo3"},
    {51, 33, 'g', "HeaderInfo4"},
    {52, 33, 'p', "HeaderInfo4"},
    {53, 34, 'g', "HeaderInfo5"},
    {54, 34, 'p', "HeaderInfo5"},
    {55, 35, 'm', "ShowGraphicsComplete"},
    {56, 36, 'p', "FilterMethod"},
    {57, 37, 'g', "Language"},
    {58, 37, 'p', "Language"},
    {59, 38, 'm', "GetGraphicsClosed"},
    {60, 39, 'g', "WindowHandle"},
    {61, 40, 'g', "WindowVisible"},
    {62, 40, 'p', "WindowVisible"},
};
