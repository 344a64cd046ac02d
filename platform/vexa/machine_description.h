#pragma once
// Reads a machine description: an INI file that sets up the simulated machine's feature frame,
// probe, real feature, dynamics and noise. Every key is optional and keeps the MachineConfig
// default when absent; docs/machine-description.ini lists them all with their defaults.
//
//   [Frame]     Centre, XAxis, Normal            three numbers "x, y, z", machine coordinates
//   [Probe]     MeasuringUnit (0 mm, 1 inch), ProbeType, HeadFlag   integers
//               HeadAngleA, HeadAngleB           degrees
//   [Feature]   SizeError, CentreOffsetX, CentreOffsetY             mm
//               Lobes   "k:amplitude:phase, ..." k >= 2 undulations, amplitude mm, phase rad
//   [Dynamics]  ReferenceSpeed (mm/s), NaturalFrequency (Hz), CentripetalGain,
//               Anisotropy (mm), AnisotropyPhase (rad), GlitchHeight (mm), GlitchWidth (deg),
//               TransientAmplitude (mm), TransientDecayLength (mm), TransientWavelength (mm)
//   [Noise]     Sigma (mm), Seed (unsigned integer)
//
// Section and key names are compared without regard to case. An unknown section or key, a key
// given twice, a value that does not read or is out of range, and a degenerate frame are
// errors: a description that says something the simulator would not do is refused rather than
// half applied.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vexa/simulated_machine.h"

namespace vexa_sim {

// The machine the file describes, or nullopt with *error (when given) saying what is wrong and
// where ("machine.ini:12: [Noise] Sigma: ...").
[[nodiscard]] std::optional<MachineConfig> LoadMachineDescription(const std::string& path,
                                                                  std::string* error = nullptr);

// The lobes of a [Feature] Lobes value; nullopt with *error when it does not read.
std::optional<std::vector<FormLobe>> ParseFormLobes(std::string_view text, std::string* error);

}  // namespace vexa_sim
