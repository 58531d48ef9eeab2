"""The control's properties under their own names, by attribute and by string."""
import datetime

import numpy as np
import pytest

import travimo


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
    assert (record.TemperatureData.lower, record.TemperatureData.upper) == (5, 6)
    assert record.TemperatureData.At(6) == 2.5
    record.ScanData = np.arange(3)
    assert record.ScanData.lower == 0 and record.ScanData.values.dtype == np.float32
    record.cScanData = None
    with pytest.raises(travimo.TravimoError) as caught:
        record.ScanData
    assert caught.value.number == 91

    record = travimo.CBrevaneCls()  # dates, and texts of Latin-1 bytes
    record.IDCode = "Zürich"
    assert record.IDCode == "Zürich"
    with pytest.raises(travimo.TravimoError):
        record.IDCode = "東京"  # no byte holds it
    record.DateTime = 2.5
    assert record.DateTime.isoformat() == "1900-01-01T12:00:00"
    record.DateTime = datetime.datetime(2024, 3, 15, 10, 30)
    assert record.DateTimeValue == pytest.approx(45366.4375)
