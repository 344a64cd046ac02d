#pragma once
// Enumerators over a fixed list of connections or connection points, taken when the
// enumerator is made: later Advise and Unadvise calls do not disturb a client's walk.
#include <utility>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"

struct ConnectionEntry {
  ComPtr<IUnknown> sink;
  DWORD cookie = 0;
};

// Both are returned with one reference.
IEnumConnections* NewConnectionsEnumerator(std::vector<ConnectionEntry> connections);
IEnumConnectionPoints* NewConnectionPointsEnumerator(std::vector<ComPtr<IConnectionPoint>> points);
