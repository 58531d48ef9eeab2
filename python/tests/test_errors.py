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


@pytest.mark.parametrize("name, value, number", [
    ("NumberOfScans", 7, 393),           # only the control may change it
    ("OstrelData", travimo.COstrelCls(), 382),
    ("CommPort", 40000, 6),              # a 16-bit property
    ("TravimoType", "Quenta", 13),       # not a member name
])
def test_refused_assignments_keep_the_value(name, value, number):
    control = travimo.Control()
    control.decode(travimo.sample_transfer("lorvex", scans=2, points=8))
    before = control.get(name)
    with pytest.raises(travimo.TravimoError) as caught:
        control.set(name, value)
    assert caught.value.number == number
    assert caught.value.name is None  # a standard number, no TravimoErrors member
    assert control.get(name) == before


def test_callback_exception_reaches_the_caller():
    control = travimo.Control()

    def fail(number):
        raise LookupError(number)

    control.on_error = fail
    with pytest.raises(LookupError):
        control.ScanDataElement(99, 99)
