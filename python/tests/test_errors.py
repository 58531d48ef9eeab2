"""Failures reach Python as travimo.TravimoError with number, name and description."""
import pytest

import travimo


def test_missing_device_is_comport_error(tmp_path):
    missing = tmp_path / "no-such-tty"
    with pytest.raises(travimo.TravimoError) as caught:
        travimo.read(device=missing)
    error = caught.value
    assert (error.number, error.name) == (8002, "ComportError")
    assert str(missing) in error.description
    assert str(error).startswith("8002 ComportError: ")


def test_failing_resolver_is_comport_error():
    def resolver(port):
        raise KeyError(port)

    with pytest.raises(travimo.TravimoError) as caught:
        travimo.Control(device=resolver).read_travimo()
    assert caught.value.name == "ComportError"
    assert "port 1" in caught.value.description


@pytest.mark.parametrize("data, number, name", [
    (b"Sxyz", 32769, "InvalidOstrelDataError"),
    (b"S\r01#x\r", 32770, "InvalidBrevaneDataError"),
    (b"", 1, "ComportReadError"),
])
def test_parser_failures(data, number, name):
    with pytest.raises(travimo.TravimoError) as caught:
        travimo.Control().decode(data)
    assert (caught.value.number, caught.value.name) == (number, name)
    assert caught.value.description


# Properties only the control may change; at run time their Let or Set is refused.
@pytest.mark.parametrize("name, number", [
    ("NumberOfScans", 393), ("ArrayStart", 393), ("CurrentScanDataType", 393),
    ("StringScanData", 382), ("OstrelData", 382), ("BrevaneData", 382),
])
def test_refused_assignments_keep_the_value(name, number):
    control = travimo.Control()
    control.decode(travimo.sample_transfer("lorvex", scans=2, points=8))
    before = control.get(name)
    value = {"OstrelData": travimo.COstrelCls(), "BrevaneData": travimo.CBrevaneCls(),
             "CurrentScanDataType": "B", "StringScanData": b"x"}.get(name, 7)
    with pytest.raises(travimo.TravimoError) as caught:
        control.set(name, value)
    assert caught.value.number == number
    assert caught.value.name is None  # a standard number, no TravimoErrors member
    assert control.get(name) == before


@pytest.mark.parametrize("name, value, number", [
    ("CommPort", 40000, 6),         # a 16-bit property
    ("InBufferSize", 40000, 6),     # the serial control's own 16-bit check
    ("TravimoType", "Quenta", 13),  # not a member name
    ("Settings", "fast", 380),
])
def test_bad_values(name, value, number):
    control = travimo.Control()
    before = control.get(name)
    with pytest.raises(travimo.TravimoError) as caught:
        control.set(name, value)
    assert caught.value.number == number
    assert control.get(name) == before


def test_callback_exception_reaches_the_caller():
    control = travimo.Control()

    def fail(number):
        raise LookupError(number)

    control.on_error = fail
    with pytest.raises(LookupError):
        control.ScanDataElement(99, 99)
