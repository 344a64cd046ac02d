#include "tools/ombrixdc/maps_command.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/vexa/ini_file.h"
#include "src/procedures/map_inventory.h"
#include "src/procedures/map_search.h"
#include "src/services/run_directory.h"
#include "tools/ombrixdc/json_text.h"
#include "tools/ombrixdc/map_plot.h"
#include "tools/ombrixdc/number_checks.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace fs = std::filesystem;

namespace {

struct MapsOptions {
  std::string directory;
  std::string ini;
  bool json = false;
  int32_t number = 0;
  std::string output;
  int32_t olderThanHours = 0;
  bool dryRun = false;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "ombrixdc maps: %s\n", message.c_str());
  return 1;
}

// The run directory: DIR as given, or the settings file's WorkingDirectory followed by the
// default working folder "Default", as a run forms it.
std::optional<fs::path> RunFolder(const MapsOptions& options, std::string& whyNot) {
  if (!options.directory.empty()) {
    return fs::path(options.directory);
  }
  const auto lookup = vexa_sim::LookUpIniValue(options.ini, "OmbrixDC", "WorkingDirectory");
  using Outcome = vexa_sim::IniLookup::Outcome;
  if (lookup.outcome == Outcome::Unreadable) {
    whyNot = "cannot read the settings file " + options.ini;
    return std::nullopt;
  }
  if (lookup.outcome == Outcome::Missing) {
    whyNot = "no OmbrixDC WorkingDirectory in " + options.ini;
    return std::nullopt;
  }
  return RunDirectoryPath(FormRunDirectory(lookup.value, std::string("Default")));
}

std::optional<fs::path> ExistingRunFolder(const MapsOptions& options, std::string& whyNot) {
  std::optional<fs::path> folder = RunFolder(options, whyNot);
  if (folder) {
    if (std::optional<std::string> problem = RunDirectoryProblem(*folder)) {
      whyNot = std::move(*problem);
      return std::nullopt;
    }
  }
  return folder;
}

std::string JsonValue(const StoredMapValue& value) {
  struct Writer {
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(int64_t n) const { return std::to_string(n); }
    std::string operator()(double d) const { return std::isfinite(d) ? ShortestText(d) : "null"; }
    std::string operator()(const std::string& s) const { return JsonText(s); }
    std::string operator()(const std::vector<std::string>& list) const {
      std::string out = "[";
      for (size_t i = 0; i < list.size(); ++i) {
        out += (i ? ", " : "") + JsonText(list[i]);
      }
      return out + "]";
    }
  };
  return std::visit(Writer{}, value);
}

std::string JsonRecord(const StoredMap& map) {
  std::string json = "{";
  const std::vector<StoredMapField> fields = StoredMapFields(map);
  for (size_t i = 0; i < fields.size(); ++i) {
    json += (i ? ", " : "") + JsonText(fields[i].key) + ": " + JsonValue(fields[i].value);
  }
  return json + "}";
}

std::string AgeText(double hours) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f h", hours);
  return text;
}

// One line a map number: its number, what the header says, its age and its state.
std::string TextLine(const StoredMap& map) {
  std::string line = std::to_string(map.mapNumber);
  if (map.headerRead) {
    const MapFileHeader& h = map.header;
    line += std::string(h.boreOrBoss == 1 ? " boss" : " bore") + " radius " +
            ShortestText(h.radius) + (h.measuringUnit == 1 ? " in " : " mm ") +
            (h.scanDirection == 1 ? "anticlockwise" : "clockwise") + " speeds " +
            ShortestText(h.slowSpeed) + "/" + ShortestText(h.fastSpeed) + " filter " +
            std::to_string(h.filterMethod) + "/" + std::to_string(h.filterNumber) + " pitch " +
            ShortestText(h.mapPitch) + " start " + ShortestText(h.dcStartAngle) + " points " +
            std::to_string(map.points) + " \"" + map.mapTitle + "\"";
  }
  if (!map.circleDataTitle.empty()) {
    line += " \"" + map.circleDataTitle + "\"";
  }
  line += " age " + AgeText(map.ageHours);
  if (map.Sound()) {
    line += " ok";
  } else {
    line += map.complete ? (map.readable ? " inconsistent:" : " damaged:") : " incomplete:";
    for (size_t i = 0; i < map.problems.size(); ++i) {
      line += (i ? "; " : " ") + map.problems[i];
    }
  }
  // A number without a map file of its own is the gap; the note is for those beyond it.
  if (!map.reachable && !map.mapFile.empty()) {
    line += " (never used: a lower number has no map file)";
  }
  return line;
}

int List(const MapsOptions& options) {
  std::string whyNot;
  const std::optional<fs::path> folder = ExistingRunFolder(options, whyNot);
  if (!folder) {
    return Fail(whyNot);
  }
  const std::vector<StoredMap> maps = ListStoredMaps(*folder);
  if (options.json) {
    std::string json = "[";
    for (size_t i = 0; i < maps.size(); ++i) {
      json += (i ? ", " : "") + JsonRecord(maps[i]);
    }
    std::printf("%s]\n", json.c_str());
    return 0;
  }
  for (const StoredMap& map : maps) {
    std::printf("%s\n", TextLine(map).c_str());
  }
  return 0;
}

int Check(const MapsOptions& options) {
  std::string whyNot;
  const std::optional<fs::path> folder = ExistingRunFolder(options, whyNot);
  if (!folder) {
    return Fail(whyNot);
  }
  int32_t unsound = 0;
  const std::vector<StoredMap> maps = ListStoredMaps(*folder);
  for (const StoredMap& map : maps) {
    if (!map.Sound()) {
      ++unsound;
      std::printf("%s\n", TextLine(map).c_str());
    }
  }
  std::printf("%zu map numbers, %d not sound\n", maps.size(), unsound);
  return unsound == 0 ? 0 : 1;
}

int Show(const MapsOptions& options) {
  std::string whyNot;
  const std::optional<fs::path> folder = ExistingRunFolder(options, whyNot);
  if (!folder) {
    return Fail(whyNot);
  }
  for (const StoredMap& map : ListStoredMaps(*folder)) {
    if (map.mapNumber != options.number) {
      continue;
    }
    if (!map.complete || !map.readable) {
      return Fail("map " + std::to_string(map.mapNumber) + " cannot be shown: " + TextLine(map));
    }
    if (!WriteMapPlot(map, options.output, &whyNot)) {
      return Fail(whyNot);
    }
    std::printf("%s\n", options.output.c_str());
    return 0;
  }
  return Fail("no map " + std::to_string(options.number) + " in " + folder->string());
}

int Prune(const MapsOptions& options) {
  std::string whyNot;
  const std::optional<fs::path> folder = ExistingRunFolder(options, whyNot);
  if (!folder) {
    return Fail(whyNot);
  }
  const int32_t count =
      AgeMapFiles(*folder, options.olderThanHours, [&options](const fs::path& path) {
        if (options.dryRun) {
          std::printf("would remove %s\n", path.string().c_str());
          return true;
        }
        std::error_code ec;
        if (!fs::remove(path, ec) || ec) {
          std::fprintf(stderr, "ombrixdc maps: cannot remove %s\n", path.string().c_str());
          return false;
        }
        std::printf("removed %s\n", path.string().c_str());
        return true;
      });
  std::printf("%d files %s\n", count, options.dryRun ? "would be removed" : "removed");
  return 0;
}

// DIR or --ini PATH, exactly one.
void AddFolderOptions(CLI::App* command, const std::shared_ptr<MapsOptions>& options) {
  CLI::Option* dir =
      command->add_option("DIR", options->directory, "Run directory holding the map pairs");
  CLI::Option* ini = command->add_option(
      "--ini", options->ini,
      "Settings file: its OmbrixDC WorkingDirectory followed by Default is the run directory");
  dir->excludes(ini);
}

// Runs a subcommand once its folder is given.
int WithFolder(const MapsOptions& options, int (*command)(const MapsOptions&)) {
  if (options.directory.empty() && options.ini.empty()) {
    std::fprintf(stderr, "ombrixdc maps: give the run directory DIR or --ini PATH\n");
    return 2;
  }
  return command(options);
}

}  // namespace

void AddMapsCommand(CLI::App& app) {
  auto options = std::make_shared<MapsOptions>();
  CLI::App* maps = app.add_subcommand("maps", "List, show, check and prune stored map pairs");
  maps->require_subcommand(1);

  CLI::App* list = maps->add_subcommand("list", "One line for each map number of a run directory");
  AddFolderOptions(list, options);
  list->add_flag("--json", options->json, "One JSON array of records instead");
  list->final_callback([options] { throw CLI::RuntimeError(WithFolder(*options, List)); });

  CLI::App* show =
      maps->add_subcommand("show", "Draw a map's correction and profiles into PNG, SVG or PDF");
  show->add_option("N", options->number, "Map number")->required()->check(PositiveWholeNumber("N"));
  AddFolderOptions(show, options);
  show->add_option("-o,--output", options->output, "Picture to write: OUT.png, OUT.svg or OUT.pdf")
      ->required()
      ->check(PictureName());
  show->final_callback([options] { throw CLI::RuntimeError(WithFolder(*options, Show)); });

  CLI::App* check = maps->add_subcommand(
      "check", "Every pair complete, readable and consistent (exit status 1 otherwise)");
  AddFolderOptions(check, options);
  check->final_callback([options] { throw CLI::RuntimeError(WithFolder(*options, Check)); });

  CLI::App* prune = maps->add_subcommand(
      "prune", "Remove map pairs older than HOURS by the rule a run applies with TimeOut");
  AddFolderOptions(prune, options);
  // A run with TimeOut 0 removes nothing, so no limit of 0 (which would remove every pair).
  prune->add_option("--older-than", options->olderThanHours, "Age limit in whole hours (1 or more)")
      ->required()
      ->check(PositiveWholeNumber("HOURS", "number of hours"));
  prune->add_flag("--dry-run", options->dryRun, "Print what would be removed, remove nothing");
  prune->final_callback([options] { throw CLI::RuntimeError(WithFolder(*options, Prune)); });
}
