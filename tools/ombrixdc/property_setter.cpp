#include "tools/ombrixdc/property_setter.h"

#include <charconv>
#include <functional>
#include <map>

#include "src/component/circle_dc_component.h"
#include "src/files/token_reader.h"

namespace {

std::optional<int32_t> ParseInteger(std::string_view text) {
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::optional<double> ParseDouble(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

using Setter = std::function<bool(CircleDCComponent&, std::string_view)>;

Setter Integer(SharedScalar<int32_t> CircleDCComponent::*field) {
  return [field](CircleDCComponent& c, std::string_view text) {
    auto v = ParseInteger(text);
    if (v)
      (c.*field).Set(*v);
    return v.has_value();
  };
}
Setter Double(SharedScalar<double> CircleDCComponent::*field) {
  return [field](CircleDCComponent& c, std::string_view text) {
    auto v = ParseDouble(text);
    if (v)
      (c.*field).Set(*v);
    return v.has_value();
  };
}
Setter Text(SharedValue<OptionalText> CircleDCComponent::*field) {
  return [field](CircleDCComponent& c, std::string_view text) {
    (c.*field).Set(std::string(text));
    return true;
  };
}
Setter HeaderText(size_t index) {
  return [index](CircleDCComponent& c, std::string_view text) {
    c.HeaderInfo[index].Set(std::string(text));
    return true;
  };
}

const std::vector<std::pair<std::string_view, Setter>>& Setters() {
  using C = CircleDCComponent;
  static const std::vector<std::pair<std::string_view, Setter>> setters = {
      {"ModeParameter", Double(&C::ModeParameter)},
      {"FilterNumber", Integer(&C::FilterNumber)},
      {"TipRadius", Double(&C::TipRadius)},
      {"FeatureRadius", Double(&C::FeatureRadius)},
      {"Mode", Integer(&C::Mode)},
      {"Learning", Integer(&C::Learning)},
      {"SlowSpeed", Double(&C::SlowSpeed)},
      {"ScanDeflection", Double(&C::ScanDeflection)},
      {"Overwrite", Integer(&C::Overwrite)},
      {"BoreOrBoss", Integer(&C::BoreOrBoss)},
      {"ScanDirection", Integer(&C::ScanDirection)},
      {"ScanType", Integer(&C::ScanType)},
      {"MaxScanSpeed", Double(&C::MaxScanSpeed)},
      {"IniFilepath", Text(&C::IniFilepath)},
      {"WorkingFolder", Text(&C::WorkingFolder)},
      {"HeaderInfo1", HeaderText(0)},
      {"HeaderInfo2", HeaderText(1)},
      {"HeaderInfo3", HeaderText(2)},
      {"HeaderInfo4", HeaderText(3)},
      {"HeaderInfo5", HeaderText(4)},
      {"Language", Text(&C::Language)},
      {"OfflineTesting", Integer(&C::OfflineTesting)},
      {"SaveRawData", Integer(&C::SaveRawData)},
      {"FilterMethod",
       [](C& c, std::string_view text) {
         auto v = ParseInteger(text);
         if (v)
           c.SetFilterMethod(*v);
         return v.has_value();
       }},
      {"WindowVisible", Integer(&C::WindowVisible)},
  };
  return setters;
}

}  // namespace

bool SetPropertyByName(CircleDCComponent& c, std::string_view assignment, std::string* error) {
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    *error = "expected NAME=VALUE";
    return false;
  }
  const std::string_view name = assignment.substr(0, equals);
  const std::string_view value = assignment.substr(equals + 1);
  for (const auto& [propertyName, setter] : Setters()) {
    if (!EqualsIgnoringCase(propertyName, name))
      continue;
    if (setter(c, value))
      return true;
    *error = "not a valid value for " + std::string(propertyName);
    return false;
  }
  *error = "no such property";
  return false;
}
