"""Type stubs of travimo, written from the built package."""
from typing import Any, Callable, Dict, List, Optional, Tuple, Union
from typing import NamedTuple
import datetime
import enum
import os
import numpy

__version__: str
__all__: list[str]

class Archive:
    """The reads kept in an archive: path, or the default one
    ($XDG_DATA_HOME/travimo/archive.sqlite) when None.
    
        archive = travimo.Archive()
        for entry in archive.reads(since="2026-12-01", type="lorvex"):
            records = archive.records(entry.number)
    
    Raises TravimoError for a file that is no archive or one of a newer version."""
    def __init__(self, path=...) -> Any:
        ...
    path: Any
    def raw(self, n) -> Any:
        """The bytes read n received, exactly (checked against their SHA-256)."""
    def reads(self, since=..., until=..., type=..., id_code=..., device=..., failed=...) -> Any:
        """The archived reads, oldest first, as ArchivedRead: those made at or after
        since and before until (datetime, date or ISO text; naive is UTC), of one
        instrument type ("lorvex", "ostrel", "brevane"), with a record of
        id_code, from device, or only the failed ones."""
    def records(self, n) -> Any:
        """The Records of read n, the same objects as a decode makes."""

class ArchivedRead(NamedTuple):
    """One archived read: its number, when it started (UTC), the local
    offset then, where it came from ("read", "demo", "parse", "import", "reparse",
    "python", "gui"), the device, the instrument, how many records it gave, its
    error number (0 for success) and name, and the read whose bytes a reparse
    decoded (None for the others)."""
    number: Any
    time: Any
    utc_offset_minutes: Any
    source: Any
    device: Any
    instrument: Any
    records: Any
    error_number: Any
    error_name: Any
    parent: Any

class BlueLineTriggerType(enum.IntEnum):
    BlueLineOff = 0
    BlueLineOn = 1
    BlueLineAuto = 2

class CBrevaneCls:
    """One Brevane measurement: header fields and two series."""
    fields: tuple[str, ...]
    def AddScan(self, sngScanArray: Any, booTemperature: bool) -> bool: ...
    BasisWeightUnit: str
    BasisWeightValue: float
    CalibrationConstantA: str
    CalibrationConstantB: str
    DateTime: Any
    DateTimeValue: float
    GradeNo: int
    IDCode: str
    MeasurementNumber: int
    MoistureUnit: str
    SamplingRate: float
    ScanData: SingleArray
    ScanNumber: int
    TempData: SingleArray
    TemperatureUnit: str
    TypeOfBasisWeight: str
    TypeOfMeasuringHead: str
    def __init__(self) -> None: ...
    cScanData: CScanDataCls
    cScanTemp: CScanDataCls
    @classmethod
    def from_dict(cls, values) -> Any:
        """A new record with the fields of values, a dict as to_dict() makes it;
        fields left out keep a new record's values. A key that is no field is a
        ValueError, before anything is set."""
    def to_dict(self) -> dict:
        """Every field by its property name (see fields): series as SingleArray,
        dates as datetime and as their day count. from_dict() takes it back."""

class CLorvexCls:
    """One Lorvex scan: moisture, temperature and burst series."""
    fields: tuple[str, ...]
    def AddScan(self, sngScanArray: Any, lngScanType: int) -> bool: ...
    BurstData: SingleArray
    ScanData: SingleArray
    ScanNumber: int
    TemperatureData: SingleArray
    def __init__(self) -> None: ...
    cScanBurst: CScanDataCls
    cScanData: CScanDataCls
    cScanTemp: CScanDataCls
    @classmethod
    def from_dict(cls, values) -> Any:
        """A new record with the fields of values, a dict as to_dict() makes it;
        fields left out keep a new record's values. A key that is no field is a
        ValueError, before anything is set."""
    def to_dict(self) -> dict:
        """Every field by its property name (see fields): series as SingleArray,
        dates as datetime and as their day count. from_dict() takes it back."""

class COstrelCls:
    """One Ostrel scan with the header of its measurement."""
    fields: tuple[str, ...]
    def AddScan(self, sngScanArray: Any) -> bool: ...
    BasisWeightValue: str
    CalibrationConstantA: str
    CalibrationConstantB: str
    DateTime: Any
    DateTimeValue: float
    MeasurementNumber: int
    SamplingRate: int
    ScanData: SingleArray
    ScanNumber: int
    def __init__(self) -> None: ...
    cScanData: CScanDataCls
    @classmethod
    def from_dict(cls, values) -> Any:
        """A new record with the fields of values, a dict as to_dict() makes it;
        fields left out keep a new record's values. A key that is no field is a
        ValueError, before anything is set."""
    def to_dict(self) -> dict:
        """Every field by its property name (see fields): series as SingleArray,
        dates as datetime and as their day count. from_dict() takes it back."""

class CScanDataCls:
    """One data series. Reads hand out a copy, writes store one."""
    def ElementData(self, lngElement: int) -> float: ...
    def PassScanData(self, sngData: Any) -> bool: ...
    ScanData: SingleArray
    def __init__(self) -> None: ...

class Control:
    """Travimo - Retrieve Data From Lorvex, Ostrel, Brevane
    
    The control on this machine's serial ports. device is None (port N is
    /dev/ttyS{N-1}), one device for every port, or a callable from the port
    number to a device. A device is a path, socket://HOST:PORT (a raw TCP port)
    or rfc2217://HOST:PORT (a device server that takes the line settings).
    user_mode False stands for a form being designed. trace names a file that
    every open, write, read and hang-up of the serial line is appended to as
    it happens ("-" for stderr)."""
    ArrayStart: Any
    def BKWait(self, HowManySecs: int) -> int: ...
    BackColor: Any
    BlueLineTrigger: Any
    BrevaneData: Any
    def ButtonClick(self) -> None: ...
    CancelTransfer: Any
    Caption: Any
    CommPort: Any
    ContPower: Any
    CurrentScanDataType: Any
    def DecodeTransfer(self, text: Any, kind: Any = ...) -> None: ...
    DisabledPicture: Any
    DownPicture: Any
    Enabled: Any
    FlashColor: Any
    Font: Any
    def GetScanDataType(self, ScanNum: int) -> str: ...
    Handshaking: Any
    InBufferCount: Any
    InBufferSize: Any
    def InitProperties(self) -> None: ...
    def KeyPress(self, keyAscii: int) -> None: ...
    LastErrorDescription: str
    LorvexData: Any
    MouseIcon: Any
    MousePointer: Any
    NumberOfPoints: Any
    NumberOfScans: Any
    OneScanDataArray: Any
    OstrelData: Any
    OutPutFileName: Any
    Picture: Any
    RTSEnable: Any
    RThreshold: Any
    def ReadTravimo(self) -> None: ...
    Reading: bool
    ReceivedSoFar: bytes
    SaveRawData: Any
    def ScanDataElement(self, ScanNumber: int, ScanDataItem: int) -> float: ...
    ScanDataType: Any
    ScanNumber: Any
    Settings: Any
    StringScanData: Any
    Style: Any
    Temp_Units: Any
    TravimoType: Any
    Value: Any
    def __init__(self, device: Any = ..., user_mode: bool = ..., locale: str = ..., init: bool = ..., trace: Any = ...) -> None: ...
    def clear_events(self) -> None: ...
    clicks: int
    def decode(self, data: Any, kind: Any = ...) -> Records: ...
    errors: List[int]
    def get(self, name: str) -> Any: ...
    hWnd: Any
    def load_properties(self, path: Any) -> None: ...
    on_click: Any
    on_error: Any
    property_changes: List[str]
    property_names: list
    def read_travimo(self, archive: Any = ...) -> Records: ...
    def records(self) -> Records: ...
    def save_properties(self, path: Any) -> None: ...
    def set(self, name: str, value: Any) -> None: ...

class NumberOfPointsEnum(enum.IntEnum):
    Max512 = 512
    Max256 = 256
    NoLimit = 32768

class Records:
    """The records a read or a decode produced, in collection order.
    
    instrument is "Lorvex", "Ostrel" or "Brevane"; for a Lorvex,
    type_letters holds each scan's type letter, data_type and temp_units
    the scaling that applied."""
    def __bool__(self) -> bool: ...
    def __getitem__(self, arg0: Any) -> Any: ...
    def __iter__(self) -> Any: ...
    def __len__(self) -> int: ...
    archive_entry: Optional[int]
    data_type: int
    instrument: str
    temp_units: int
    type_letters: list

class Simulator:
    """A simulated instrument at the far end of a pseudo-terminal.
    
    As a Lorvex it answers the control's request; as an Ostrel or a Brevane it
    sends its transfer a while after the port is opened. Use it as a context
    manager (it runs on a thread of its own while inside) and read from .device.
    transfer replaces the sample records by the given bytes."""
    def __init__(self, type: Any = ..., scans: int = ..., points: int = ..., delay: float = ..., burst_size: int = ..., burst_pause: float = ..., silent: bool = ..., garbage: str = ..., end_marker: bool = ..., hang_up_after: Optional[int] = ..., transfer: Any = ...) -> None: ...
    device: str
    def start(self) -> None: ...
    stats: dict
    def stop(self) -> None: ...

class SingleArray:
    """An array of 4-byte floats with its own lower and upper bound.
    
    A sequence indexed by its own bounds: a[lower] .. a[upper] (an
    index outside them is an IndexError, never counted from the end),
    len(a), iteration in index order. numpy.asarray(a) is a read-only
    float32 view without a copy; values is a writable copy."""
    def At(self, index: int) -> float: ...
    def __array__(self, dtype: Any = ..., *, copy: Any = ...) -> Any: ...
    def __eq__(self, arg0: SingleArray) -> bool: ...
    def __getitem__(self, index: int) -> float: ...
    def __init__(self, values: Any = ..., lower: int = ...) -> None: ...
    def __iter__(self) -> Any: ...
    def __len__(self) -> int: ...
    lower: int
    upper: int
    values: numpy.ndarray

class StdFont:
    """The button's font, shared by reference."""
    def __eq__(self, arg0: StdFont) -> bool: ...
    def __init__(self) -> None: ...
    bold: bool
    charset: int
    italic: bool
    name: str
    size: float
    strikethrough: bool
    underline: bool
    weight: int

class StdPicture:
    """A picture, kept as the file it came from."""
    def __eq__(self, arg0: StdPicture) -> bool: ...
    def __init__(self, path: str = ...) -> None: ...
    path: str

class TemperatureTypeEnum(enum.IntEnum):
    Celsius = 0
    Fahrenheit = 1

class TravimoDataTypeEnum(enum.IntEnum):
    Moisture = 0
    Temperature = 1
    Burst = 2

class TravimoError:
    """A failure of the control, a query or a read.
    
    number       the error number: a TravimoErrors code or a standard run-time number
    name         the TravimoErrors member name ("ComportError"), None for other numbers
    description  what went wrong, as the library describes it
    source       the component that raised it"""
    def __init__(self, number, description=..., source=..., name=...) -> Any:
        ...

class TravimoErrors(enum.IntEnum):
    ComportReadError = 1
    DataAccessError = 2
    BlueLineError = 3
    ComportError = 8002
    UserCancel = 9999
    InvalidOstrelDataError = 32769
    InvalidBrevaneDataError = 32770

class TravimoTypeEnum(enum.IntEnum):
    Lorvex = 1
    Brevane = 2
    Ostrel = 3

def members() -> list: ...

def parse_file(path, kind=..., data=..., points=..., units=..., blue_line=...) -> Records:
    """Decodes a saved raw-data file offline, as the end of a read would.
    
    The text decides the parser unless kind ("lorvex", "ostrel", "brevane")
    says otherwise; data, points, units and blue_line shape a Lorvex parse as
    for read(). When the file's settings sidecar (path + ".json", written by
    read() with raw) describes these very bytes, the read's settings apply
    wherever an argument is left out; stderr says so. Returns the Records;
    raises TravimoError when the file cannot be read or the parser fails."""

def read(device=..., port=..., type=..., data=..., points=..., units=..., settings=..., blue_line=..., raw=..., props=..., trace=..., archive=...) -> Records:
    """Reads an instrument once and returns its Records.
    
    device is the serial device (every port number goes to it): a path,
    socket://HOST:PORT or rfc2217://HOST:PORT; without it,
    port N is /dev/ttyS{N-1}. type, data, points, units and blue_line take the
    command-line tool's names ("lorvex", "moisture", "512", "celsius", "auto")
    or the enumerations' values; what is left out keeps the value the type
    sets, or the one of the property file props. settings is the line text
    ("9600,n,8,1"); raw saves the received bytes to that file and the read's
    settings beside it (raw + ".json", which parse_file applies); trace
    appends a trace of the serial traffic to that file ("-" for stderr). archive=True
    keeps the read, failed or not, in the default archive, a path in that
    one (see Archive); the Records' archive_entry is its number there. An
    archive that cannot keep it is a RuntimeWarning, never the read's end.
    
    Raises TravimoError when the read fails, KeyboardInterrupt after Ctrl-C."""

def sample_transfer(type: Any = ..., scans: int = ..., points: int = ..., data_type: int = ..., end_marker: bool = ...) -> bytes: ...

