#pragma once
// The Python side of the module `ombrixdc`: its enumerations (IntEnum), the typed results
// (dataclasses) and the properties as attributes, defined in Python in the module's namespace
// once the extension's classes exist.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>

namespace ombrixdc_python {

void DefinePythonTypes(pybind11::module_& module);

}  // namespace ombrixdc_python
