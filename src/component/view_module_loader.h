#pragma once
// The view module (src/viewer/view_module.h), loaded on first use: by the component's
// ShowGraphics and by the command line's pictures. Nothing else loads it, so a process that
// only runs measurements never maps the drawing libraries.
#include <string>

#include "src/viewer/view_module.h"

namespace ombrixdc {

// The module's table, loaded on the first call: the module linked into the program when it
// is (the viewer's tests), else libombrixdc-view.so from the first of these folders that holds
// it: the folder of the file that holds this code (libombrixdc.so, a program, the Python
// module), then the library folder of the build tree or install around it (build/lib beside
// build/bin and build/python; P/lib/<triplet> for P/bin and P/lib/python3/dist-packages).
// A module that is missing, cannot be loaded or belongs to another build gives null, and
// `whyNot` (may be null) says so in words for the user; the outcome stays for the process.
const ViewModule* LoadViewModule(std::string* whyNot);

// The table when an earlier call loaded the module, else null: what was never shown needs no
// closing.
const ViewModule* LoadedViewModule();

}  // namespace ombrixdc
