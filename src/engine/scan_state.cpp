#include "src/engine/scan_state.h"

ScanState& ProcessScanState() {
  static ScanState state;
  return state;
}
