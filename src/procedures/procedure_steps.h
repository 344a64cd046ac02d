#pragma once
// Steps shared by the learning and the compensated procedure.
#include "src/engine/compensation.h"
#include "src/engine/error_number.h"
#include "src/procedures/scan_circle.h"

class CircleDCComponent;

// When an abort is requested: stops the machine, clears the error number and returns true.
bool StopIfAborted(CircleDCComponent& c);

// The scan of the current stage: replayed from the raw scan file in offline testing, made on
// the machine otherwise. Returns 0 or the error number.
int32_t ScanOrReplay(CircleDCComponent& c, double speed, ScanOutput& out);

// The run's settings for the computation.
CompensationParameters Parameters(const CircleDCComponent& c);

// Records a computation's failure (error number, Status 7, OnStatusChange); true when failed.
bool Failed(CircleDCComponent& c, ErrorNumber error);

// The compensated procedure; `learning` when called by the learning procedure. True when
// the corrected data sets were computed.
bool RunCompensatedStep(CircleDCComponent& c, bool learning);
