"""The Python interface itself: SingleArray as a sequence and an array, the
records' dict round trip, and the shipped type stubs."""
import ast
import pathlib
import pydoc

import numpy as np
import pytest

import travimo

PACKAGE = pathlib.Path(travimo.__file__).parent


def test_single_array_is_a_sequence_by_its_own_bounds_and_a_numpy_view():
    a = travimo.SingleArray([1.5, 2.5, 3.5], lower=-1)
    assert len(a) == 3
    assert [a[-1], a[0], a[1]] == [1.5, 2.5, 3.5]
    assert list(a) == [1.5, 2.5, 3.5]
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


@pytest.mark.parametrize("kind,sample", [
    ("lorvex", dict(scans=2, points=16)),
    ("ostrel", dict(scans=2, points=16)),
    ("brevane", dict(scans=2, points=12)),
])
def test_records_round_trip_through_dicts(kind, sample):
    control = travimo.Control()
    for record in control.decode(travimo.sample_transfer(kind, **sample), kind):
        fields = record.to_dict()
        assert list(fields) == list(record.fields)
        again = type(record).from_dict(fields)
        assert again.to_dict() == fields
        assert again is not record
    # An unknown field is refused before any is set.
    with pytest.raises(ValueError, match="'Nonsense'"):
        travimo.CLorvexCls.from_dict({"ScanNumber": 4, "Nonsense": 1})
    assert travimo.CLorvexCls.from_dict({"ScanNumber": 4}).ScanNumber == 4


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
