#include "python/module_types.h"

namespace ombrixdc_python {

namespace {

// Run in the module's namespace after Component is defined. Kept in step with ombrixdc.pyi.
constexpr const char* kPythonTypes = R"py(
import dataclasses as _dataclasses
import enum as _enum
import re as _re
import typing as _typing

# NumPy (a dependency of the module) is imported when the first data set is made, so that a
# script that only runs and reads results imports the module without it.

class DataType(_enum.IntEnum):
    """The data sets of a run, as get_data() takes them (also by name: get_data("Slow"))."""
    SLOW = 0
    FAST = 1
    CORRECTED = 2
    SLOW_MAP = 3
    FAST_MAP = 4
    CORRECTED_MAP = 5


class Status(_enum.IntEnum):
    """The run status (the Status property and OnStatusChange)."""
    NOT_INITIALISED = 0
    INITIALISED = 1
    LEARNING_SLOW_SCAN = 2
    LEARNING_FAST_SCAN = 3
    REPLAYING_FAST_SCAN = 4
    FINISHED = 5
    ABORTED = 6
    ERROR = 7


class Mode(_enum.IntEnum):
    """What ModeParameter means: the fast scan speed, or a calibrating mode's parameter."""
    INPUT_SPEED = 0
    CAL_FORM = 1
    CAL_DIA = 2


class Learning(_enum.IntEnum):
    """Whether a run learns a map or uses a stored one."""
    NO_LEARNING = 0
    LEARNING = 1
    AUTO = 2


class Overwrite(_enum.IntEnum):
    """Whether learning may replace a stored map of the same feature."""
    NO_OVERWRITE_EXISTING_MAP = 0
    OVERWRITE_EXISTING_MAP = 1


class BoreOrBoss(_enum.IntEnum):
    """The kind of feature."""
    BORE = 0
    BOSS = 1


class ScanDirection(_enum.IntEnum):
    """The direction of the scans."""
    CLOCKWISE = 0
    ANTICLOCKWISE = 1


class ScanType(_enum.IntEnum):
    """Stored and reported only."""
    KNOWNPT_DISCREET_SCAN = 0
    OTHER_SCAN = 1


SLOW, FAST, CORRECTED, SLOW_MAP, FAST_MAP, CORRECTED_MAP = DataType


@_dataclasses.dataclass(frozen=True)
class DataSet:
    """One data set: the least-squares circle's form, radius and centre (in the feature frame,
    whose origin is the feature's nominal centre) and the points as NumPy arrays."""
    name: str
    form: float
    radius: float
    centre: _typing.Tuple[float, float, float]
    x: "numpy.ndarray"
    y: "numpy.ndarray"
    z: "numpy.ndarray"


@_dataclasses.dataclass(frozen=True)
class RunResult:
    """How a perform_circle() ended. ok only when the run completed with success 1 (the run's
    own outcome: no error of its own), was neither aborted nor failed, and ended within the
    timeout. last_error is what GetLastError gave after the run; another thread's failing call
    meanwhile can put its own error there without changing ok."""
    events: _typing.List[_typing.Tuple[str, _typing.Optional[int]]]
    success: _typing.Optional[int]
    status: Status
    last_error: int
    error_text: str
    timed_out: bool

    @property
    def ok(self) -> bool:
        return (self.success == 1 and not self.timed_out
                and self.status not in (Status.ABORTED, Status.ERROR))


def _snake(name):
    return _re.sub(r"(?<=[a-z0-9])(?=[A-Z])", "_", name).lower()


def _attribute(name, gettable, settable, kind):
    def read(self):
        if not gettable:
            raise AttributeError(f"{name} can be set but not read")
        value = self.get(name)
        if kind is not None and value in kind._value2member_map_:
            return kind(value)
        return value  # a value the enumeration does not name is kept as it was stored

    def write(self, value):
        self.set(**{name: value})

    doc = f"The property {name}" + ("" if settable else " (read only)") + \
        ("" if gettable else " (write only)")
    return property(read, write if settable else None, doc=doc)


_ENUMERATIONS = {"ECircleStatus": Status, "EMode": Mode, "ELearning": Learning,
                 "EOverwriteExistingMap": Overwrite, "EBoreOrBoss": BoreOrBoss,
                 "EScanDirection": ScanDirection, "EScanType": ScanType}
# GetLastError is read (and cleared) through last_error.
for _name, _gettable, _settable, _enum_name in _property_table():
    if _name != "GetLastError":
        setattr(Component, _snake(_name),
                _attribute(_name, _gettable, _settable, _ENUMERATIONS.get(_enum_name)))
del _name, _gettable, _settable, _enum_name
)py";

}  // namespace

void DefinePythonTypes(pybind11::module_& module) {
  pybind11::exec(kPythonTypes, module.attr("__dict__"));
}

}  // namespace ombrixdc_python
