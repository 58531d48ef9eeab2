"""Failures reach Python as travimo.TravimoError with number, name and description."""
import pytest

import travimo


def _resolver(port):
    raise KeyError(port)


@pytest.mark.parametrize("read, named", [
    (lambda missing: travimo.read(device=missing), "no-such-tty"),
    (lambda missing: travimo.Control(device=_resolver).read_travimo(), "port 1"),
])
def test_a_port_that_cannot_be_opened_is_comport_error(tmp_path, read, named):
    with pytest.raises(travimo.TravimoError) as caught:
        read(tmp_path / "no-such-tty")
    error = caught.value
    assert (error.number, error.name) == (8002, "ComportError")
    assert named in error.description
    assert str(error).startswith("8002 ComportError: ")


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
def test_refused_assignments_keep_the_value(decoded, name, value, number):
    before = decoded.get(name)
    with pytest.raises(travimo.TravimoError) as caught:
        decoded.set(name, value)
    assert caught.value.number == number
    assert caught.value.name is None  # a standard number, no TravimoErrors member
    assert decoded.get(name) == before
