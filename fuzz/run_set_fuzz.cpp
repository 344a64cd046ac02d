// `ombrixdc run --set NAME=VALUE` on any text: each line is one assignment put through the
// component's dispatch interface as the tool does; a refused one always says why.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "tools/ombrixdc/set_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view assignment = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    std::string error;
    if (!SetProperty(static_cast<IVexa_CircleDC*>(object.Get()), assignment, &error)) {
      FUZZ_CHECK(!error.empty());
    }
  }
  return 0;
}
