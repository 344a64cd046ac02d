#include "platform/vexa/machine_description.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/vexa/ini_file.h"

namespace vexa_sim {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
    parts.push_back(Trimmed(text.substr(0, at)));
    text.remove_prefix(at + 1);
  }
  parts.push_back(Trimmed(text));
  return parts;
}

// The whole text as one number of type T; a leading '+' is allowed, blanks around it too.
template <class T>
bool ReadWhole(std::string_view text, T* value) {
  text = Trimmed(text);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
    text.remove_prefix(1);
  }
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, *value);
  return status == std::errc() && stop == end;
}

bool ReadFinite(std::string_view text, double* value) {
  return ReadWhole(text, value) && std::isfinite(*value);
}

enum class Bound { Any, NonNegative, Positive };

std::string SetNumber(std::string_view text, Bound bound, double* field) {
  double value = 0.0;
  if (!ReadFinite(text, &value)) {
    return "not a finite number";
  }
  if (bound == Bound::Positive && !(value > 0.0)) {
    return "must be greater than 0";
  }
  if (bound == Bound::NonNegative && !(value >= 0.0)) {
    return "must not be negative";
  }
  *field = value;
  return {};
}

std::string SetInteger(std::string_view text, int32_t lowest, int32_t highest, int32_t* field) {
  int32_t value = 0;
  if (!ReadWhole(text, &value)) {
    return "not a whole number";
  }
  if (value < lowest || value > highest) {
    return "must lie from " + std::to_string(lowest) + " to " + std::to_string(highest);
  }
  *field = value;
  return {};
}

std::string SetSeed(std::string_view text, uint64_t* field) {
  return ReadWhole(text, field) ? std::string() : "not a whole number from 0 to 2^64 - 1";
}

std::string SetTriple(std::string_view text, CMaPoint* field) {
  const auto parts = Split(text, ',');
  CMaPoint value;
  if (parts.size() != 3 || !ReadFinite(parts[0], &value.x()) || !ReadFinite(parts[1], &value.y()) ||
      !ReadFinite(parts[2], &value.z())) {
    return "not three finite numbers \"x, y, z\"";
  }
  *field = value;
  return {};
}

std::string SetLobes(std::string_view text, std::vector<FormLobe>* field) {
  std::string error;
  auto lobes = ParseFormLobes(text, &error);
  if (!lobes) {
    return error;
  }
  *field = std::move(*lobes);
  return {};
}

constexpr int32_t kAnyInt32 = std::numeric_limits<int32_t>::max();

// Sets one value of the machine; an empty result when it read, else what is wrong with it.
using Text = std::string_view;
using Apply = std::string (*)(Text value, MachineConfig& config);

struct KeyRule {
  const char* section;
  const char* key;
  Apply apply;
};

const KeyRule kRules[] = {
    {"Frame", "Centre", [](Text v, MachineConfig& c) { return SetTriple(v, &c.featureCentre); }},
    {"Frame", "XAxis", [](Text v, MachineConfig& c) { return SetTriple(v, &c.featureXaxis); }},
    {"Frame", "Normal", [](Text v, MachineConfig& c) { return SetTriple(v, &c.featureNormal); }},
    {"Probe", "MeasuringUnit",
     [](Text v, MachineConfig& c) { return SetInteger(v, 0, 1, &c.measuringUnit); }},
    {"Probe", "ProbeType",
     [](Text v, MachineConfig& c) {
       return SetInteger(v, -kAnyInt32 - 1, kAnyInt32, &c.probeType);
     }},
    {"Probe", "HeadFlag",
     [](Text v, MachineConfig& c) {
       return SetInteger(v, -kAnyInt32 - 1, kAnyInt32, &c.headFlag);
     }},
    {"Probe", "HeadAngleA",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.headAngleA); }},
    {"Probe", "HeadAngleB",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.headAngleB); }},
    {"Feature", "SizeError",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.feature.sizeError); }},
    {"Feature", "CentreOffsetX",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.feature.centreOffsetX); }},
    {"Feature", "CentreOffsetY",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.feature.centreOffsetY); }},
    {"Feature", "Lobes", [](Text v, MachineConfig& c) { return SetLobes(v, &c.feature.lobes); }},
    {"Dynamics", "ReferenceSpeed",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Positive, &c.dynamics.referenceSpeed);
     }},
    {"Dynamics", "NaturalFrequency",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Positive, &c.dynamics.naturalFrequency);
     }},
    {"Dynamics", "CentripetalGain",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Any, &c.dynamics.centripetalGain);
     }},
    {"Dynamics", "Anisotropy",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.dynamics.anisotropy); }},
    {"Dynamics", "AnisotropyPhase",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Any, &c.dynamics.anisotropyPhase);
     }},
    {"Dynamics", "GlitchHeight",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::Any, &c.dynamics.glitchHeight); }},
    {"Dynamics", "GlitchWidth",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Positive, &c.dynamics.glitchWidth);
     }},
    {"Dynamics", "TransientAmplitude",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Any, &c.dynamics.transientAmplitude);
     }},
    {"Dynamics", "TransientDecayLength",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Positive, &c.dynamics.transientDecayLength);
     }},
    {"Dynamics", "TransientWavelength",
     [](Text v, MachineConfig& c) {
       return SetNumber(v, Bound::Positive, &c.dynamics.transientWavelength);
     }},
    {"Noise", "Sigma",
     [](Text v, MachineConfig& c) { return SetNumber(v, Bound::NonNegative, &c.noise.sigma); }},
    {"Noise", "Seed", [](Text v, MachineConfig& c) { return SetSeed(v, &c.noise.seed); }},
};
constexpr size_t kRuleCount = sizeof(kRules) / sizeof(kRules[0]);

bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The rule for a key, kRuleCount when there is none; *knownSection tells a mistyped key from a
// section this file does not have.
size_t FindRule(const IniEntry& entry, bool* knownSection) {
  *knownSection = false;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (!SameName(entry.section, kRules[i].section)) {
      continue;
    }
    *knownSection = true;
    if (SameName(entry.key, kRules[i].key)) {
      return i;
    }
  }
  return kRuleCount;
}

// A frame whose normal vanishes or lies along its x axis gives no orientation.
bool FrameUsable(const MachineConfig& config) {
  const CMaVector x = config.featureXaxis;
  const CMaVector normal = config.featureNormal;
  const double scale = x.Length() * normal.Length();
  return scale > 0.0 && CrossProduct(x, normal).Length() > 1e-9 * scale;
}

std::optional<MachineConfig> Fail(std::string* error, std::string message) {
  if (error) {
    *error = std::move(message);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<FormLobe>> ParseFormLobes(std::string_view text, std::string* error) {
  std::vector<FormLobe> lobes;
  if (Trimmed(text).empty()) {
    return lobes;  // a round feature
  }
  const auto items = Split(text, ',');
  for (size_t i = 0; i < items.size(); ++i) {
    const auto fields = Split(items[i], ':');
    FormLobe lobe;
    std::string problem;
    if (fields.size() != 3) {
      problem = "not \"undulations:amplitude:phase\"";
    } else if (!ReadWhole(fields[0], &lobe.undulations) || lobe.undulations < 2 ||
               lobe.undulations > 10000) {
      problem = "the undulations must be a whole number from 2 to 10000";
    } else if (!ReadFinite(fields[1], &lobe.amplitude) || !ReadFinite(fields[2], &lobe.phase)) {
      problem = "the amplitude and the phase must be finite numbers";
    }
    if (!problem.empty()) {
      if (error) {
        *error = "lobe " + std::to_string(i + 1) + " \"" + std::string(items[i]) + "\": " + problem;
      }
      return std::nullopt;
    }
    lobes.push_back(lobe);
  }
  return lobes;
}

std::optional<MachineConfig> LoadMachineDescription(const std::string& path, std::string* error) {
  const auto entries = ReadIniEntries(path);
  if (!entries) {
    return Fail(error, path + ": cannot be read as an INI file");
  }
  MachineConfig config;
  std::vector<bool> given(kRuleCount, false);
  for (const IniEntry& entry : *entries) {
    const std::string where =
        path + ":" + std::to_string(entry.line) + ": [" + entry.section + "] " + entry.key + ": ";
    bool knownSection = false;
    const size_t rule = FindRule(entry, &knownSection);
    if (rule == kRuleCount) {
      return Fail(error, where + (knownSection ? "unknown key" : "unknown section"));
    }
    if (given[rule]) {
      return Fail(error, where + "given more than once");
    }
    given[rule] = true;
    if (std::string problem = kRules[rule].apply(entry.value, config); !problem.empty()) {
      return Fail(error, where + "\"" + entry.value + "\" " + problem);
    }
  }
  if (!FrameUsable(config)) {
    return Fail(error, path + ": [Frame] XAxis and Normal must be non-zero and not parallel");
  }
  return config;
}

}  // namespace vexa_sim
