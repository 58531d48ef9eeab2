"""Reads through the module from the simulator, on the real serial backend, and
the archive that keeps them."""
import datetime
import json
import subprocess
import sys
import textwrap

import numpy as np
import pytest

import travimo


SIMULATED = {  # scans, points, record class, lower bound of the series
    "lorvex": (3, 512, travimo.CLorvexCls, 1),
    "ostrel": (2, 20, travimo.COstrelCls, 1),
    "brevane": (2, 20, travimo.CBrevaneCls, 0),
}


@pytest.fixture(scope="module")
def kept(tmp_path_factory):
    """One read of each instrument from the simulator, all kept in one archive:
    its path, and per instrument the Records read and the device."""
    path = tmp_path_factory.mktemp("archive") / "archive.sqlite"
    reads = {}
    for kind, (scans, points, _, _) in SIMULATED.items():
        with travimo.Simulator(type=kind, scans=scans, points=points) as sim:
            reads[kind] = travimo.read(device=sim.device, type=kind, archive=path), sim.device
    return path, reads


@pytest.mark.parametrize("kind", SIMULATED)
def test_demo_read_returns_every_record_with_its_series(kept, kind):
    scans, points, record_class, lower = SIMULATED[kind]
    records = kept[1][kind][0]
    assert (records.instrument, len(records)) == (kind.capitalize(), scans)
    assert all(type(r) is record_class for r in records)
    values = np.asarray(records[0].ScanData)
    assert (records[0].ScanData.lower, values.dtype, len(values)) == (lower, np.float32, points)
    offline = travimo.Control().decode(travimo.sample_transfer(kind, scans=scans, points=points))
    for read, saved in zip(records, offline, strict=True):
        fields = read.to_dict()  # whole records, which round trip through a dict
        assert fields == saved.to_dict() and list(fields) == list(read.fields)
        again = type(read).from_dict(fields)
        assert again.to_dict() == fields and again is not read


def test_a_read_kept_comes_back_as_the_same_records_and_bytes(kept):
    path, reads = kept
    records, device = reads["lorvex"]
    assert records.archive_entry == 1
    archive = travimo.Archive(path)
    entry = archive.reads()[0]
    assert (entry.number, entry.source, entry.instrument, entry.records, entry.device,
            entry.error_number, entry.parent) == (1, "python", "Lorvex", 3, device, 0, None)
    now = datetime.datetime.now(datetime.timezone.utc)
    assert abs(entry.time - now) < datetime.timedelta(minutes=5)

    back = archive.records(1)
    assert back.instrument == "Lorvex" and back.type_letters == records.type_letters
    assert all(type(again) is travimo.CLorvexCls for again in back)
    assert [again.to_dict() for again in back] == [read.to_dict() for read in records]
    decoded = travimo.Control().decode(archive.raw(1))
    assert [r.ScanNumber for r in decoded] == [r.ScanNumber for r in records]


@pytest.mark.parametrize("filters, found", [
    ({}, [1, 2, 3]),
    ({"type": "Brevane"}, [3]),
    ({"type": "ostrel"}, [2]),
    ({"failed": True}, []),
    ({"since": "2999-01-01"}, []),
    ({"until": datetime.date(2000, 1, 1)}, []),
    ({"since": datetime.datetime(2000, 1, 1, tzinfo=datetime.timezone.utc)}, [1, 2, 3]),
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


def test_pressing_the_button_reads_the_port_the_resolver_names(tmp_path):
    trace = tmp_path / "serial.trace"
    with travimo.Simulator(type="lorvex", scans=2, points=16) as sim:
        asked = []
        control = travimo.Control(device=lambda port: asked.append(port) or sim.device,
                                  trace=trace)
        control.CommPort = 5
        control.Value = True  # presses the button: a whole read, then Click
    assert (asked, control.clicks, control.errors, len(control.records())) == ([5], 1, [], 2)
    text = trace.read_text()
    for event in ("open COM5", "opened " + sim.device, "write 2 bytes", "|D.|", "read "):
        assert event in text


def test_records_are_the_controls_own_objects_and_bad_queries_are_events(decoded):
    seen = []
    decoded.on_error = seen.append
    last = decoded.LorvexData
    last.ScanNumber = 9
    assert decoded.records()[-1].ScanNumber == 9  # one object, not a copy
    assert np.array_equal(decoded.OneScanDataArray.values, last.ScanData.values)
    assert decoded.ScanDataElement(2, 3) == last.ScanData.At(3)
    assert decoded.ScanDataElement(5, 1) == 0.0  # an event, not an exception
    assert (seen, decoded.errors) == ([travimo.TravimoErrors.DataAccessError], [2])
    decoded.on_error = lambda number: [][number]  # a failing handler reaches the caller
    with pytest.raises(IndexError):
        decoded.ScanDataElement(99, 99)


@pytest.mark.parametrize("instrument", [
    "silent=True",  # a silent instrument alone holds a read for 7 s
    "scans=30, burst_size=100, burst_pause=0.1",  # one that sends for 30 s
])
def test_ctrl_c_cancels_a_waiting_read(instrument):
    # In a child process, so that the interrupt cannot reach the test runner.
    script = textwrap.dedent("""
        import json, os, signal, threading, time, travimo
        with travimo.Simulator(type="lorvex", INSTRUMENT) as sim:
            control = travimo.Control(device=sim.device)
            threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
            start = time.monotonic()
            try:
                control.read_travimo()
                outcome = "returned"
            except KeyboardInterrupt:
                outcome = "interrupted"
            print(json.dumps([outcome, control.errors, control.Reading,
                              time.monotonic() - start]))
    """).replace("INSTRUMENT", instrument)
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                         timeout=60)
    assert run.returncode == 0, run.stderr
    *result, seconds = json.loads(run.stdout)
    assert result == ["interrupted", [travimo.TravimoErrors.UserCancel], False] and seconds < 5


def test_a_raw_file_keeps_its_reads_settings_for_parse_file(tmp_path, capsys):
    raw = tmp_path / "RawData.dat"
    with travimo.Simulator(type="lorvex", scans=2, points=16) as sim:
        read = travimo.read(device=sim.device, data="temperature", units="fahrenheit", raw=raw)
    sidecar = json.loads((tmp_path / "RawData.dat.json").read_text())
    assert (sidecar["ScanDataType"], sidecar["Temp_Units"], sidecar["bytes"]) == (
        1, 1, raw.stat().st_size)

    parsed = travimo.parse_file(raw)
    assert "RawData.dat.json" in capsys.readouterr().err
    assert parsed.temp_units == read.temp_units
    np.testing.assert_array_equal(parsed[0].ScanData.values, read[0].ScanData.values)
    assert travimo.parse_file(raw, units="celsius").temp_units != read.temp_units

    raw.write_bytes(raw.read_bytes() + b"x")
    travimo.parse_file(raw)
    assert "not applied" in capsys.readouterr().err
