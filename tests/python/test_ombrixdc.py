"""The Python module on the offline example: results against the example's expected data sets
file, the order of events, and the exceptions of refused calls."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

import numpy
import pytest

import ombrixdc

HERE = pathlib.Path(__file__).parent
TESTS = HERE.parent
# The six blocks of a data sets file, in the order of the data set types.
BLOCKS = ["Metrology Slow", "Metrology Fast", "Metrology Corrected",
          "Normalised Slow", "Normalised Fast", "Normalised Corrected"]
EXAMPLE = dict(Learning=1, FeatureRadius=8.0, TipRadius=1.5, ScanDeflection=0.3, SlowSpeed=5,
               ModeParameter=30, MaxScanSpeed=100, FilterNumber=20, FilterMethod=1,
               HeaderInfo1="Example")


def read_data_sets(path):
    """{block: (form, radius, points)} from a data sets file."""
    lines = path.read_text().splitlines()
    sets = {}
    for block in BLOCKS:
        at = lines.index(block + " Scan Data")
        form = float(lines[at + 1].split()[1])
        radius = float(lines[at + 2].split()[1])
        rows = lines[at + 6:at + 106]
        sets[block] = (form, radius, numpy.array([[float(v) for v in r.split()] for r in rows]))
    return sets


def make_run_folder(tmp_path):
    """A copy of the example whose settings name the run folder by its full path."""
    run = tmp_path / "work" / "Default"
    shutil.copytree(TESTS / "procedures" / "data" / "offline-learning", run)
    settings = (TESTS / "tools" / "data" / "settings.ini").read_text()
    ini = tmp_path / "settings.ini"
    ini.write_text(settings.replace("WorkingDirectory=work/", f"WorkingDirectory={tmp_path}/work/"))
    return ini, run


def test_offline_learning_matches_the_expected_data_sets(tmp_path):
    ini, run = make_run_folder(tmp_path)
    dc = ombrixdc.Component(offline=True, IniFilepath=str(ini), **EXAMPLE)
    arrived = []
    dc.on_event(lambda name, value: arrived.append((name, value)))
    result = dc.perform_circle()
    expected_events = [("OnStatusChange", 1), ("OnStatusChange", 2), ("OnStatusChange", 3),
                       ("OnStatusChange", 5), ("PerformCircleComplete", 1)]
    assert (result.events, arrived, result.ok, result.last_error) == \
        (expected_events, expected_events, True, 0)

    expected = read_data_sets(TESTS / "files" / "golden" / "offline-learning" / "results.dat")
    got = dc.get_data()
    assert list(got) == list(ombrixdc.DATA_SET_NAMES)
    for name, block in zip(ombrixdc.DATA_SET_NAMES, BLOCKS):
        form, radius, points = expected[block]
        data = got[name]
        assert data.form == pytest.approx(form, abs=5e-7), name
        assert data.radius == pytest.approx(radius, abs=5e-7), name
        numpy.testing.assert_allclose(numpy.column_stack([data.x, data.y, data.z]), points,
                                      rtol=1e-9, atol=1e-12, err_msg=name)
    dc.save_data("results")
    assert read_data_sets(run / "results.dat")[BLOCKS[1]][0] == expected[BLOCKS[1]][0]


# The codes themselves are the client suite's; here that they arrive as exceptions.
@pytest.mark.parametrize("properties, code", [
    (dict(FeatureRadius="wide"), 0x80020005),   # DISP_E_TYPEMISMATCH
    (dict(Status=1), 0x80020003),               # DISP_E_MEMBERNOTFOUND: read only
])
def test_refused_property_values_raise_with_code_and_text(properties, code):
    with pytest.raises(ombrixdc.Error) as refused:
        ombrixdc.Component(offline=True).set(**properties)
    assert refused.value.text != "" and f"0x{code:08X}" in str(refused.value)
    assert refused.value.code == code


def test_failed_run_reports_its_error_and_save_raises(tmp_path):
    ini, _ = make_run_folder(tmp_path)
    dc = ombrixdc.Component(offline=True, IniFilepath=str(ini), **dict(EXAMPLE, Learning=0))
    result = dc.perform_circle()
    assert (result.ok, result.success, result.last_error) == (False, 0, 0x83100009)
    assert "NoStoredMap" in result.error_text and dc.get_data(ombrixdc.SLOW) is None
    with pytest.raises(ombrixdc.Error) as refused:
        dc.save_data("results")
    assert refused.value.code == 0x83100007 and "NoData" in refused.value.text


def test_example_learns_then_compensates_on_the_simulated_machine(tmp_path):
    example = TESTS.parent / "examples" / "learn_and_compensate.py"
    out = subprocess.run([sys.executable, str(example), "--dir", str(tmp_path)],
                         env=dict(os.environ, MPLBACKEND="Agg"), capture_output=True, text=True,
                         timeout=120, check=True).stdout
    learning, measuring = out.split("2. Measuring")
    assert re.findall(r"OnStatusChange (\d)", learning) == ["1", "2", "3", "5"]
    assert re.findall(r"OnStatusChange (\d)", measuring) == ["1", "4", "5"]
    forms = dict(re.findall(r"^  (slow reference|fast|fast, corrected) +([0-9.]+) um$", out,
                            re.MULTILINE))
    slow, fast, corrected = (float(forms[k]) for k in ("slow reference", "fast", "fast, corrected"))
    assert abs(corrected - slow) < abs(fast - slow)  # the map takes out part of the fast error


def test_closed_component_refuses_calls():
    with ombrixdc.Component(offline=True) as dc:
        assert dc.get("FeatureRadius") == 0.0
    with pytest.raises(ombrixdc.Error, match="closed"):
        dc.get("FeatureRadius")


def test_list_maps_gives_the_records_of_maps_list(tmp_path):
    golden = TESTS / "files" / "golden" / "offline-learning"
    for number in (1, 2):
        for ext in ("rsm", "rsd"):
            shutil.copy(golden / f"_circle1.{ext}", tmp_path / f"_circle{number}.{ext}")
    text = (tmp_path / "_circle2.rsm").read_text()  # a nan in the first row of DcMapData
    row = text.index("\n\n", text.index("DataSize:", text.index("DcMapData"))) + 2
    rest = text[row:].lstrip().split(" ", 1)[1]
    (tmp_path / "_circle2.rsm").write_text(text[:row] + " nan " + rest)
    (tmp_path / "customer-part.rsd").write_text("not a map")
    maps = ombrixdc.list_maps(str(tmp_path))
    assert [(m["number"], m["sound"], m["feature"], m["radius"], m["points"]) for m in maps] == \
        [(1, True, "bore", 8.0, 100), (2, False, "bore", 8.0, 100)]
    assert maps[1]["problems"] == ["map file damaged: a number cannot be read"]
    program = pathlib.Path(ombrixdc.__file__).resolve().parent.parent / "bin" / "ombrixdc"
    if program.exists():
        import json
        printed = json.loads(subprocess.run([str(program), "maps", "list", str(tmp_path), "--json"],
                                            capture_output=True, text=True, check=True).stdout)
        for record in printed + maps:
            record.pop("ageHours")
        assert printed == maps


def test_every_call_on_a_closed_component_raises():
    dc = ombrixdc.Component(offline=True)
    dc.close()
    calls = [dc.perform_circle, dc.get_data, lambda: dc.get_data("Slow"), dc.abort,
             lambda: dc.last_error, lambda: dc.set(FeatureRadius=1.0), lambda: dc.feature_radius,
             lambda: dc.save_data("x"), lambda: dc.on_event(print), dc.graphics_closed]
    for call in calls:
        with pytest.raises(ombrixdc.Error, match="closed"):
            call()
    assert dc.closed


def learning_component(tmp_path):
    ini, _ = make_run_folder(tmp_path)
    dc = ombrixdc.Component(IniFilepath=str(ini), **dict(EXAMPLE, HeaderInfo1="Python"))
    dc.feature_radius = 10.0  # the simulated machine's default bore
    return dc


def test_an_aborted_run_is_not_ok_and_refused_arguments_raise(tmp_path):
    dc = learning_component(tmp_path)
    for arguments in [dict(timeout=0), dict(timeout=-1.0), dict(timeout=float("nan")),
                      dict(probe_offsets=[float("nan"), 0, 0])]:
        with pytest.raises(ombrixdc.Error) as refused:
            dc.perform_circle(**arguments)
        assert refused.value.code == 0x80070057 and "finite" in refused.value.text
    # Aborted by the client as the slow scan starts: the run ends, but not well.
    dc.on_event(lambda name, value: dc.abort() if (name, value) == ("OnStatusChange", 2) else 0)
    result = dc.perform_circle()
    assert (result.ok, result.status, result.timed_out) == (False, ombrixdc.Status.ABORTED, False)
    assert ("OnStatusChange", 6) in result.events


def test_properties_enumerations_and_data_set_names(tmp_path):
    dc = learning_component(tmp_path)
    dc.scan_direction = ombrixdc.ScanDirection.ANTICLOCKWISE
    assert (dc.get("FeatureRadius"), dc.tip_radius, dc.scan_direction) == (10.0, 1.5, 1)
    assert type(dc.scan_direction) is ombrixdc.ScanDirection and dc.status == 0
    with pytest.raises(AttributeError):
        dc.status = 1  # read only
    with pytest.raises(ombrixdc.Error):
        dc.feature_radius = "wide"
    assert dc.perform_circle().ok
    by_name = {name: dc.get_data(name) for name in ("Slow", "slow_map", "CORRECTED")}
    assert [d.name for d in by_name.values()] == ["Slow", "SlowMap", "Corrected"]
    assert by_name["Slow"].radius == dc.get_data(0).radius
    with pytest.raises(ValueError, match="unknown data set 'Slo'.*SlowMap"):
        dc.get_data("Slo")
    assert isinstance(by_name["Slow"], ombrixdc.DataSet) and isinstance(ombrixdc.SLOW, int)


def test_the_module_describes_itself():
    assert re.fullmatch(r"\d+\.\d+\.\d+", ombrixdc.__version__)
    stub = pathlib.Path(ombrixdc.__file__).with_name("ombrixdc.pyi").read_text()
    for name, member in vars(ombrixdc.Component).items():
        if not name.startswith("_"):
            assert member.__doc__, name
            assert re.search(rf"\b{name}\b", stub), f"{name} missing from the stub"


@pytest.mark.parametrize("properties, code, reason", [
    (dict(ScanDeflection=0.0), 0x83100001, "ScanDeflection is 0;"),
    (dict(IniFilepath="missing.ini"), 0x83100002, "IniFilepath missing.ini"),
])
def test_a_run_the_component_refuses_to_start_raises_with_the_reason(tmp_path, properties,
                                                                      code, reason):
    dc = learning_component(tmp_path)
    dc.set(**properties)
    with pytest.raises(ombrixdc.Error) as refused:
        dc.perform_circle()
    assert refused.value.code == code and reason in refused.value.text
