"""parse_file agrees field by field with the command-line tool's JSON."""
import json
import subprocess

import numpy as np
import pytest

import travimo


def _same_value(ours, theirs, name):
    if isinstance(theirs, dict):  # a series
        assert ours.lower == theirs["lower"], name
        expected = np.array([np.nan if v is None else v for v in theirs["values"]],
                            dtype=np.float32)
        np.testing.assert_array_equal(np.asarray(ours), expected, err_msg=name)
    elif name == "DateTime":
        assert ours.isoformat() == theirs
    elif isinstance(theirs, float) or isinstance(ours, float):
        assert np.float32(ours) == np.float32(theirs), name
    else:
        assert ours == theirs, name


@pytest.mark.parametrize("kind, sample, options", [
    ("lorvex", dict(scans=3, points=512), {}),
    ("lorvex", dict(scans=2, points=256, data_type=1), {"data": "temperature"}),
    ("ostrel", dict(scans=3, points=40), {}),
    ("brevane", dict(scans=2, points=12), {}),
])
def test_parse_file_matches_the_cli(cli, tmp_path, kind, sample, options):
    data = travimo.sample_transfer(kind, **sample)
    if kind == "brevane":  # a Latin-1 identification survives both ways
        data = data.replace(b"PM2 reel 4410", b"Z\xfcrich")
    path = tmp_path / f"{kind}.dat"
    path.write_bytes(data)
    arguments = [cli, "parse", str(path), "--format", "json"]
    for option, value in options.items():
        arguments += [f"--{option}", value]
    run = subprocess.run(arguments, capture_output=True, text=True, timeout=30)
    assert run.returncode == 0, run.stderr
    document = json.loads(run.stdout)

    records = travimo.parse_file(path, **options)
    assert records.instrument == document["instrument"]
    assert len(records) == document["count"] == len(document["records"])
    for position, (record, theirs) in enumerate(zip(records, document["records"])):
        assert theirs["record"] == position + 1
        for field, value in theirs.items():
            if field == "TypeLetter":
                assert records.type_letters[position] == value
            elif field != "record":
                _same_value(getattr(record, field), value, field)
        assert set(record.fields) <= set(theirs) | {"DateTimeValue"}
