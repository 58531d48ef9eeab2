"""Reads kept in a real archive file and looked through again."""
import datetime

import numpy as np
import pytest

import travimo


@pytest.fixture(scope="module")
def kept(tmp_path_factory):
    """An archive holding a Lorvex read and a Brevane read, and the Records read."""
    path = tmp_path_factory.mktemp("archive") / "archive.sqlite"
    records = []
    for kind in ("lorvex", "brevane"):
        with travimo.Simulator(type=kind, scans=2, points=32) as sim:
            records.append((travimo.read(device=sim.device, type=kind, archive=path), sim.device))
    return path, records


def test_a_read_kept_comes_back_as_the_same_records_and_bytes(kept):
    path, [(records, device), _] = kept
    assert records.archive_entry == 1
    archive = travimo.Archive(path)
    entry = archive.reads()[0]
    assert (entry.number, entry.source, entry.instrument, entry.records) == (1, "python", "Lorvex", 2)
    assert entry.device == device and entry.error_number == 0 and entry.parent is None
    assert abs(entry.time - datetime.datetime.now(datetime.timezone.utc)) < datetime.timedelta(minutes=5)

    back = archive.records(1)
    assert back.instrument == "Lorvex" and back.type_letters == records.type_letters
    for read, again in zip(records, back, strict=True):
        assert type(again) is travimo.CLorvexCls
        np.testing.assert_array_equal(np.asarray(again.ScanData), np.asarray(read.ScanData))
    decoded = travimo.Control().decode(archive.raw(1))
    assert [r.ScanNumber for r in decoded] == [r.ScanNumber for r in records]


@pytest.mark.parametrize("filters, found", [
    ({}, [1, 2]),
    ({"type": "Brevane"}, [2]),
    ({"type": "ostrel"}, []),
    ({"failed": True}, []),
    ({"since": "2999-01-01"}, []),
    ({"until": datetime.date(2000, 1, 1)}, []),
    ({"since": datetime.datetime(2000, 1, 1, tzinfo=datetime.timezone.utc)}, [1, 2]),
])
def test_filters_pick_the_reads(kept, filters, found):
    assert [r.number for r in travimo.Archive(kept[0]).reads(**filters)] == found


def test_an_archive_that_cannot_keep_the_read_never_costs_it(tmp_path):
    broken = tmp_path / "broken.sqlite"
    broken.write_bytes(b"x" * 4096)
    with travimo.Simulator(type="ostrel", scans=1, points=8) as sim:
        with pytest.warns(RuntimeWarning, match="not archived.*broken.sqlite"):
            records = travimo.read(device=sim.device, type="ostrel", archive=broken)
    assert len(records) == 1 and records.archive_entry is None
    with pytest.raises(travimo.TravimoError):
        travimo.Archive(broken)
    with pytest.raises(travimo.TravimoError):
        travimo.Archive(tmp_path / "new.sqlite").records(1)  # no such read
