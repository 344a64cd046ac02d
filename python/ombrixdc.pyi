"""Circle dynamic compensation on the simulated coordinate measuring machine."""
import dataclasses
import enum
from typing import Callable, Dict, List, Optional, Sequence, Tuple, Union

import numpy

__version__: str

class Error(RuntimeError):
    """A refused call: .code (the HRESULT or GetLastError code) and .text (what it means)."""
    code: int
    text: str

class DataType(enum.IntEnum):
    SLOW = 0
    FAST = 1
    CORRECTED = 2
    SLOW_MAP = 3
    FAST_MAP = 4
    CORRECTED_MAP = 5

class Status(enum.IntEnum):
    NOT_INITIALISED = 0
    INITIALISED = 1
    LEARNING_SLOW_SCAN = 2
    LEARNING_FAST_SCAN = 3
    REPLAYING_FAST_SCAN = 4
    FINISHED = 5
    ABORTED = 6
    ERROR = 7

class Mode(enum.IntEnum):
    INPUT_SPEED = 0
    CAL_FORM = 1
    CAL_DIA = 2

class Learning(enum.IntEnum):
    NO_LEARNING = 0
    LEARNING = 1
    AUTO = 2

class Overwrite(enum.IntEnum):
    NO_OVERWRITE_EXISTING_MAP = 0
    OVERWRITE_EXISTING_MAP = 1

class BoreOrBoss(enum.IntEnum):
    BORE = 0
    BOSS = 1

class ScanDirection(enum.IntEnum):
    CLOCKWISE = 0
    ANTICLOCKWISE = 1

class ScanType(enum.IntEnum):
    KNOWNPT_DISCREET_SCAN = 0
    OTHER_SCAN = 1

SLOW: DataType
FAST: DataType
CORRECTED: DataType
SLOW_MAP: DataType
FAST_MAP: DataType
CORRECTED_MAP: DataType
DATA_SET_NAMES: Tuple[str, str, str, str, str, str]

@dataclasses.dataclass(frozen=True)
class DataSet:
    """The least-squares circle's form, radius and centre (feature frame) and the points."""
    name: str
    form: float
    radius: float
    centre: Tuple[float, float, float]
    x: numpy.ndarray
    y: numpy.ndarray
    z: numpy.ndarray

@dataclasses.dataclass(frozen=True)
class RunResult:
    """How perform_circle() ended; ok only for a completed run without error or abort."""
    events: List[Tuple[str, Optional[int]]]
    success: Optional[int]
    status: Status
    last_error: int
    error_text: str
    timed_out: bool
    @property
    def ok(self) -> bool: ...

PropertyValue = Union[int, float, str]
DataSetKey = Union[DataType, int, str]

def error_text(code: int) -> str:
    """What an error code means."""

class Component:
    """A component on the simulated controller."""
    def __init__(self, machine: str = "", offline: bool = False,
                 **properties: PropertyValue) -> None: ...
    def set(self, **properties: PropertyValue) -> None: ...
    def get(self, name: str) -> PropertyValue: ...
    def on_event(self, callback: Optional[Callable[[str, Optional[int]], object]]) -> None: ...
    def perform_circle(self, probe_offsets: Sequence[float] = (0.0, 0.0, 0.0),
                       timeout: float = 600.0) -> RunResult: ...
    def get_data(self, type: Optional[DataSetKey] = None) -> Union[Optional[DataSet],
                                                                   Dict[str, DataSet]]: ...
    def save_data(self, name: str) -> None: ...
    def show_graphics(self, left: int = 0, top: int = 0, width: int = 0, height: int = 0,
                      filename: str = "") -> None: ...
    def graphics_closed(self) -> bool: ...
    def abort(self) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Component": ...
    def __exit__(self, *args: object) -> None: ...
    @property
    def last_error(self) -> int: ...
    @property
    def closed(self) -> bool: ...
    # The properties, by their snake_case names.
    @property
    def status(self) -> Status: ...
    mode_parameter: float
    filter_number: int
    tip_radius: float
    feature_radius: float
    mode: Mode
    learning: Learning
    slow_speed: float
    scan_deflection: float
    overwrite: Overwrite
    bore_or_boss: BoreOrBoss
    scan_direction: ScanDirection
    scan_type: ScanType
    max_scan_speed: float
    ini_filepath: str
    working_folder: str
    offline_testing: int  # write only
    save_raw_data: int  # write only
    header_info1: str
    header_info2: str
    header_info3: str
    header_info4: str
    header_info5: str
    filter_method: int  # write only
    language: str
    @property
    def window_handle(self) -> int: ...
    window_visible: int
