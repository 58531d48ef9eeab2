"""The Python interface itself: the control's properties under their own names,
by attribute and by string; SingleArray as a sequence and an array; the
records' series, dates and texts; the shipped type stubs; and failures, which
reach Python as travimo.TravimoError with number, name and description."""
import ast
import datetime
import pathlib
import pydoc

import numpy as np
import pytest

import travimo

PACKAGE = pathlib.Path(travimo.__file__).parent


def test_single_array_is_a_sequence_by_its_own_bounds_and_a_numpy_view():
    a = travimo.SingleArray([1.5, 2.5, 3.5], lower=-1)
    assert (len(a), [a[-1], a[0], a[1]], list(a)) == (3, [1.5, 2.5, 3.5], [1.5, 2.5, 3.5])
    assert 2.5 in a
    for outside in (-2, 2):  # never counted from the end
        with pytest.raises(IndexError, match=r"-1\.\.1"):
            a[outside]
    assert list(travimo.SingleArray()) == []

    a = travimo.SingleArray([1.0, 2.0, 3.0])  # numpy gets a read-only view
    view = np.asarray(a)
    assert view.dtype == np.float32 and not view.flags.writeable
    assert np.shares_memory(view, np.asarray(a))  # no copy
    del a
    assert view.tolist() == [1.0, 2.0, 3.0]  # the view keeps its array alive
    wider = np.asarray(travimo.SingleArray([0.5]), dtype=np.float64)
    assert wider.dtype == np.float64 and wider.tolist() == [0.5]
    copy = travimo.SingleArray([1.0]).values
    copy[0] = 9.0  # values is the caller's own copy
    assert copy.flags.writeable


def test_the_shipped_stubs_and_help_name_every_class_function_and_field():
    stub = PACKAGE / "__init__.pyi"
    assert (PACKAGE / "py.typed").exists()
    tree = ast.parse(stub.read_text(encoding="utf-8"))
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    functions = {node.name for node in tree.body if isinstance(node, ast.FunctionDef)}
    assert set(travimo.__all__) <= set(classes) | functions
    for record in (travimo.CLorvexCls, travimo.COstrelCls, travimo.CBrevaneCls):
        body = classes[record.__name__].body
        members = {node.target.id for node in body if isinstance(node, ast.AnnAssign)}
        members |= {node.name for node in body if isinstance(node, ast.FunctionDef)}
        assert set(record.fields) | {"to_dict", "from_dict"} <= members, record.__name__
    text = pydoc.render_doc(travimo, renderer=pydoc.plaintext)
    for name in ("read(", "parse_file(", "SingleArray", "from_dict", "TravimoError"):
        assert name in text


def test_each_property_of_the_interface_reads_and_takes_its_value_back(decoded):
    interface = {m["name"] for m in travimo.members() if not m["method"]}
    assert set(travimo.Control.property_names) == interface
    untouched = {"NumberOfScans", "ArrayStart", "CurrentScanDataType", "StringScanData",
                 "OstrelData", "BrevaneData", "hWnd", "Style", "OneScanDataArray"}
    # Value is write-only (assigning True runs a read); reading CancelTransfer
    # at run time is refused.
    refused = {"Value": AttributeError, "CancelTransfer": travimo.TravimoError}
    for name in travimo.Control.property_names:
        assert getattr(travimo.Control, name).__doc__
        if name in refused:
            with pytest.raises(refused[name]):
                decoded.get(name)
            continue
        value = decoded.get(name)
        if name not in untouched:
            decoded.set(name, value)
            assert decoded.get(name) == value, name


def test_member_names_and_numbers_survive_a_property_file(tmp_path):
    control = travimo.Control()
    control.TravimoType = "Ostrel"
    assert control.TravimoType == travimo.TravimoTypeEnum.Ostrel
    assert "TravimoType" in control.property_changes
    control.NumberOfPoints = "Max 256"
    assert control.NumberOfPoints == 256
    control.set("CommPort", 4)
    with pytest.raises(AttributeError):
        control.set("NoSuchProperty", 1)
    control.save_properties(tmp_path / "props.json")
    again = travimo.Control(init=False)
    again.load_properties(tmp_path / "props.json")
    assert (again.TravimoType, again.CommPort) == (3, 4)


def test_series_keep_their_bounds_dates_and_latin1_texts():
    record = travimo.CLorvexCls()
    assert (record.ScanData.lower, list(record.ScanData)) == (0, [0.0])
    record.AddScan(travimo.SingleArray([1.5, 2.5], lower=5), 2)
    temperature = record.TemperatureData
    assert (temperature.lower, temperature.upper, temperature.At(6)) == (5, 6, 2.5)
    record.ScanData = np.arange(3)
    assert record.ScanData.lower == 0 and record.ScanData.values.dtype == np.float32
    record.cScanData = None
    with pytest.raises(travimo.TravimoError, match="^91:"):
        record.ScanData
    with pytest.raises(ValueError, match="'Nonsense'"):  # an unknown field
        travimo.CLorvexCls.from_dict({"ScanNumber": 4, "Nonsense": 1})
    assert travimo.CLorvexCls.from_dict({"ScanNumber": 4}).ScanNumber == 4

    record = travimo.CBrevaneCls()  # dates, and texts of Latin-1 bytes
    record.IDCode = "Zürich"
    assert record.IDCode == "Zürich"
    with pytest.raises(travimo.TravimoError):
        record.IDCode = "東京"  # no byte holds it
    record.DateTime = 2.5
    assert record.DateTime.isoformat() == "1900-01-01T12:00:00"
    record.DateTime = datetime.datetime(2024, 3, 15, 10, 30)
    assert record.DateTimeValue == pytest.approx(45366.4375)


@pytest.mark.parametrize("fail, number, name, named", [
    (lambda missing: travimo.read(device=missing), 8002, "ComportError", "no-such-tty"),
    (lambda _: travimo.Control(device={}.__getitem__).read_travimo(),  # a resolver that fails
     8002, "ComportError", "port 1"),
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
    # A standard number, no TravimoErrors member.
    assert (caught.value.number, caught.value.name) == (number, None)
    assert decoded.get(name) == before
