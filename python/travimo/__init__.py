"""Travimo - Retrieve Data From Lorvex, Ostrel, Brevane.

The control that reads the stored measurements of a Lorvex, Brevane or Ostrel
over a serial line, for Python:

    import travimo
    records = travimo.read(device="/dev/ttyUSB0", type="lorvex", data="moisture")
    for scan in records:
        print(scan.ScanNumber, list(scan.ScanData)[:5])

One call
    read(device=..., type=..., ...)  reads an instrument once -> Records
    parse_file(path, kind=None, ...) decodes a saved raw-data file -> Records

Results
    Records      the records of one read or decode: a sequence of CLorvexCls,
                 COstrelCls or CBrevaneCls, with instrument and type_letters
    CLorvexCls, COstrelCls, CBrevaneCls
                 one record each; its fields are properties named as in the
                 type library, listed in fields; to_dict() and from_dict()
                 convert to and from a plain dict of those fields
    SingleArray  a series of float32 with its own bounds: a[lower]..a[upper],
                 len(), iteration, numpy.asarray() without a copy
    CScanDataCls one series object, shared by the record that holds it

The control
    Control      the control itself, its properties under their own names,
                 its methods (read_travimo, decode, BKWait, ...) and events
                 (errors, on_error, on_click)
    members()    the type library's members with their help strings

Errors
    TravimoError raised for a failed read or parse: number, name, source,
                 description; TravimoErrors names the numbers

Enumerations
    TravimoTypeEnum, TravimoDataTypeEnum, NumberOfPointsEnum,
    TemperatureTypeEnum, BlueLineTriggerType

Trying it and looking back
    Simulator    an instrument on a pseudo-terminal, for use without hardware
    sample_transfer(...)  the bytes such an instrument sends
    Archive      the reads kept in an archive; ArchivedRead one of them
"""

import collections
import datetime
import os
import sys

from ._travimo import (  # noqa: F401
    _Archive,
    BlueLineTriggerType,
    CBrevaneCls,
    CLorvexCls,
    Control,
    COstrelCls,
    CScanDataCls,
    NumberOfPointsEnum,
    Records,
    SingleArray,
    Simulator,
    StdFont,
    StdPicture,
    TemperatureTypeEnum,
    TravimoDataTypeEnum,
    TravimoError,
    TravimoErrors,
    TravimoTypeEnum,
    __version__,
    _read_raw_file,
    members,
    sample_transfer,
)

__all__ = [
    "Archive", "ArchivedRead", "BlueLineTriggerType", "CBrevaneCls", "CLorvexCls", "Control", "COstrelCls", "CScanDataCls",
    "NumberOfPointsEnum", "Records", "SingleArray", "Simulator", "StdFont", "StdPicture",
    "TemperatureTypeEnum", "TravimoDataTypeEnum", "TravimoError", "TravimoErrors",
    "TravimoTypeEnum", "members", "parse_file", "read", "sample_transfer",
]

# The names the command-line tool takes for the same settings.
_TYPES = {"lorvex": TravimoTypeEnum.Lorvex, "brevane": TravimoTypeEnum.Brevane,
          "ostrel": TravimoTypeEnum.Ostrel}
_DATA = {"moisture": TravimoDataTypeEnum.Moisture, "temperature": TravimoDataTypeEnum.Temperature,
         "burst": TravimoDataTypeEnum.Burst}
_POINTS = {"512": NumberOfPointsEnum.Max512, "256": NumberOfPointsEnum.Max256,
           "nolimit": NumberOfPointsEnum.NoLimit}
_UNITS = {"celsius": TemperatureTypeEnum.Celsius, "fahrenheit": TemperatureTypeEnum.Fahrenheit}
_BLUE_LINE = {"off": BlueLineTriggerType.BlueLineOff, "on": BlueLineTriggerType.BlueLineOn,
              "auto": BlueLineTriggerType.BlueLineAuto}


def _choice(what, names, value):
    if value is None or isinstance(value, int):
        return value
    try:
        return names[str(value).lower()]
    except KeyError:
        raise ValueError(f"{what} is one of {', '.join(names)}, not {value!r}") from None


def _apply(control, type=None, data=None, points=None, units=None, settings=None,
           blue_line=None, port=None, raw=None):
    # The names become values here; the order they are set in is the library's.
    control._apply_read_options(
        type=_choice("type", _TYPES, type), points=_choice("points", _POINTS, points),
        data=_choice("data", _DATA, data), units=_choice("units", _UNITS, units),
        blue_line=_choice("blue_line", _BLUE_LINE, blue_line), settings=settings, port=port,
        raw=raw)


def read(device=None, port=None, type="lorvex", data=None, points=None, units=None,
         settings=None, blue_line=None, raw=None, props=None, trace=None,
         archive=None) -> "Records":
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

    Raises TravimoError when the read fails, KeyboardInterrupt after Ctrl-C.
    """
    control = Control(device=device, trace=trace)
    if props is not None:
        control.load_properties(props)
    _apply(control, type, data, points, units, settings, blue_line, port, raw)
    try:
        return control.read_travimo(archive=archive)
    finally:
        if props is not None:
            control.save_properties(props)


def parse_file(path, kind=None, data=None, points=None, units=None,
               blue_line=None) -> "Records":
    """Decodes a saved raw-data file offline, as the end of a read would.

    The text decides the parser unless kind ("lorvex", "ostrel", "brevane")
    says otherwise; data, points, units and blue_line shape a Lorvex parse as
    for read(). When the file's settings sidecar (path + ".json", written by
    read() with raw) describes these very bytes, the read's settings apply
    wherever an argument is left out; stderr says so. Returns the Records;
    raises TravimoError when the file cannot be read or the parser fails.
    """
    text, saved, note = _read_raw_file(os.fspath(path))
    if note:
        print(f"travimo: {note}", file=sys.stderr)
    given = {"data": data, "points": points, "units": units, "blue_line": blue_line}
    settings = {**(saved or {}), **{k: v for k, v in given.items() if v is not None}}
    control = Control()
    _apply(control, **settings)
    return control.decode(text, kind)


ArchivedRead = collections.namedtuple(
    "ArchivedRead", "number time utc_offset_minutes source device instrument records "
                    "error_number error_name parent")
ArchivedRead.__doc__ = """One archived read: its number, when it started (UTC), the local
offset then, where it came from ("read", "demo", "parse", "import", "reparse",
"python", "gui"), the device, the instrument, how many records it gave, its
error number (0 for success) and name, and the read whose bytes a reparse
decoded (None for the others)."""


def _utc_ms(when):
    # Naive datetimes and dates are UTC, as the command line's --since is.
    if when is None:
        return None
    if isinstance(when, str):
        when = datetime.datetime.fromisoformat(when.replace("Z", "+00:00"))
    if isinstance(when, datetime.date) and not isinstance(when, datetime.datetime):
        when = datetime.datetime(when.year, when.month, when.day)
    if when.tzinfo is None:
        when = when.replace(tzinfo=datetime.timezone.utc)
    return int(when.timestamp() * 1000)


class Archive:
    """The reads kept in an archive: path, or the default one
    ($XDG_DATA_HOME/travimo/archive.sqlite) when None.

        archive = travimo.Archive()
        for entry in archive.reads(since="2026-12-01", type="lorvex"):
            records = archive.records(entry.number)

    Raises TravimoError for a file that is no archive or one of a newer version.
    """

    def __init__(self, path=None):
        self._store = _Archive(None if path is None else os.fspath(path))

    @property
    def path(self):
        return self._store.path

    def reads(self, since=None, until=None, type=None, id_code=None, device=None, failed=False):
        """The archived reads, oldest first, as ArchivedRead: those made at or after
        since and before until (datetime, date or ISO text; naive is UTC), of one
        instrument type ("lorvex", "ostrel", "brevane"), with a record of
        id_code, from device, or only the failed ones."""
        rows = self._store.reads(_utc_ms(since), _utc_ms(until), type, id_code, device, failed)
        utc = datetime.timezone.utc
        return [ArchivedRead(row[0], datetime.datetime.fromtimestamp(row[1] / 1000, utc), *row[2:])
                for row in rows]

    def records(self, n):
        """The Records of read n, the same objects as a decode makes."""
        return self._store.records(n)

    def raw(self, n):
        """The bytes read n received, exactly (checked against their SHA-256)."""
        return self._store.raw(n)

    def __repr__(self):
        return f"Archive({self.path!r})"


def _to_dict(self) -> dict:
    """Every field by its property name (see fields): series as SingleArray,
    dates as datetime and as their day count. from_dict() takes it back."""
    return {name: getattr(self, name) for name in self.fields}


def _from_dict(cls, values: dict):
    """A new record with the fields of values, a dict as to_dict() makes it;
    fields left out keep a new record's values. A key that is no field is a
    ValueError, before anything is set."""
    unknown = [name for name in values if name not in cls.fields]
    if unknown:
        raise ValueError(f"{cls.__name__} has no field {unknown[0]!r}; its fields: "
                         + ", ".join(cls.fields))
    record = cls()
    # In the order of fields: a date's day count comes after its datetime,
    # so the exact value wins.
    for name in cls.fields:
        if name in values:
            setattr(record, name, values[name])
    return record


for _cls in (CLorvexCls, COstrelCls, CBrevaneCls):
    _cls.to_dict = _to_dict
    _cls.from_dict = classmethod(_from_dict)
del _cls
