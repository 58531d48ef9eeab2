"""Travimo - Retrieve Data From Lorvex, Ostrel, Brevane.

The control that reads the stored measurements of a Lorvex, Brevane or Ostrel
over a serial line, for Python:

    import travimo
    records = travimo.read(device="/dev/ttyUSB0", type="lorvex", data="moisture")
    for scan in records:
        print(scan.ScanNumber, scan.ScanData.values[:5])

Control is the control itself, with its properties under their own names;
read() and parse_file() are the one-call forms; Simulator is an instrument
on a pseudo-terminal for trying it without hardware.
"""

import os

from ._travimo import (  # noqa: F401
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
    members,
    sample_transfer,
)

__all__ = [
    "BlueLineTriggerType", "CBrevaneCls", "CLorvexCls", "Control", "COstrelCls", "CScanDataCls",
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
    # The type first: its Let resets the points, the blue-line mode and the
    # data type, which the other settings then override.
    for name, value in (
        ("TravimoType", _choice("type", _TYPES, type)),
        ("NumberOfPoints", _choice("points", _POINTS, points)),
        ("ScanDataType", _choice("data", _DATA, data)),
        ("Temp_Units", _choice("units", _UNITS, units)),
        ("BlueLineTrigger", _choice("blue_line", _BLUE_LINE, blue_line)),
        ("Settings", settings),
        ("CommPort", port),
    ):
        if value is not None:
            control.set(name, value)
    if raw is not None:
        control.OutPutFileName = os.fspath(raw)
        control.SaveRawData = True


def read(device=None, port=None, type="lorvex", data=None, points=None, units=None,
         settings=None, blue_line=None, raw=None, props=None, trace=None):
    """Reads an instrument once and returns its Records.

    device is the serial device (every port number goes to it): a path,
    socket://HOST:PORT or rfc2217://HOST:PORT; without it,
    port N is /dev/ttyS{N-1}. type, data, points, units and blue_line take the
    command-line tool's names ("lorvex", "moisture", "512", "celsius", "auto")
    or the enumerations' values; what is left out keeps the value the type
    sets, or the one of the property file props. settings is the line text
    ("9600,n,8,1"); raw saves the received bytes to that file; trace appends
    a trace of the serial traffic to that file ("-" for stderr).

    Raises TravimoError when the read fails, KeyboardInterrupt after Ctrl-C.
    """
    control = Control(device=device, trace=trace)
    if props is not None:
        control.load_properties(props)
    _apply(control, type, data, points, units, settings, blue_line, port, raw)
    try:
        return control.read_travimo()
    finally:
        if props is not None:
            control.save_properties(props)


def parse_file(path, kind=None, data=None, points=None, units=None, blue_line=None):
    """Decodes a saved raw-data file offline, as the end of a read would.

    The text decides the parser unless kind ("lorvex", "ostrel", "brevane")
    says otherwise; data, points, units and blue_line shape a Lorvex parse as
    for read(). Returns the Records; raises TravimoError when the parser fails.
    """
    with open(path, "rb") as file:
        text = file.read()
    control = Control()
    _apply(control, data=data, points=points, units=units, blue_line=blue_line)
    return control.decode(text, kind)


def _to_dict(record):
    """Every field by its property name; series as SingleArray."""
    return {name: getattr(record, name) for name in record.fields}


for _cls in (CLorvexCls, COstrelCls, CBrevaneCls):
    _cls.to_dict = _to_dict
del _cls
