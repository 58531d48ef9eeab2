"""Failures reach Python as travimo.TravimoError with number, name and description."""
import pytest

import travimo


def _resolver(port):
    raise KeyError(port)


@pytest.mark.parametrize("fail, number, name, named", [
    (lambda missing: travimo.read(device=missing), 8002, "ComportError", "no-such-tty"),
    (lambda missing: travimo.Control(device=_resolver).read_travimo(), 8002, "ComportError",
     "port 1"),
    (lambda _: travimo.Control().decode(b"S\r01#x\r"), 32770, "InvalidBrevaneDataError", ""),
])
def test_ports_that_cannot_be_opened_and_parser_failures(tmp_path, fail, number, name, named):
    with pytest.raises(travimo.TravimoError) as caught:
        fail(tmp_path / "no-such-tty")
    error = caught.value
    assert (error.number, error.name) == (number, name)
    assert named in error.description and error.description
    assert str(error).startswith(f"{number} {name}: ")


@pytest.mark.parametrize("name, value, number", [
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
