"""The Python module on the offline example: results against the example's expected data sets
file, the order of events, and the exceptions of refused calls."""
import pathlib
import re
import shutil
import subprocess
import sys

import numpy
import pytest

import ombrixdc

TESTS = pathlib.Path(__file__).parent.parent
# The six blocks of a data sets file, in the order of the data set types.
BLOCKS = ["Metrology Slow", "Metrology Fast", "Metrology Corrected",
          "Normalised Slow", "Normalised Fast", "Normalised Corrected"]
EXAMPLE = dict(Learning=1, FeatureRadius=8.0, TipRadius=1.5, ScanDeflection=0.3, SlowSpeed=5,
               ModeParameter=30, MaxScanSpeed=100, FilterNumber=20, FilterMethod=1,
               HeaderInfo1="Example")


def read_data_sets(path):
    """{block: (form, radius, points)} from a data sets file."""
    lines = path.read_text().splitlines()
    at = {block: lines.index(block + " Scan Data") for block in BLOCKS}
    return {block: (float(lines[i + 1].split()[1]), float(lines[i + 2].split()[1]),
                    numpy.array([[float(v) for v in row.split()] for row in lines[i + 6:i + 106]]))
            for block, i in at.items()}


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
    for (name, data), block in zip(got.items(), BLOCKS):
        form, radius, points = expected[block]
        assert (data.form, data.radius) == pytest.approx((form, radius), abs=5e-7), name
        numpy.testing.assert_allclose(numpy.column_stack([data.x, data.y, data.z]), points,
                                      rtol=1e-9, atol=1e-12, err_msg=name)
    dc.save_data("results")
    assert read_data_sets(run / "results.dat")[BLOCKS[1]][0] == expected[BLOCKS[1]][0]
    [stored] = ombrixdc.list_maps(str(run))
    assert (stored["number"], stored["sound"], stored["points"]) == (1, True, 100)
    with pytest.raises(ombrixdc.Error, match="no such run directory"):
        ombrixdc.list_maps(str(run / "none"))


# Threads of a script sharing one component: two get_data calls at once before the script has
# imported NumPy; perform_circle on two threads at once (one is refused, the other's run keeps
# its events); close() from another thread while perform_circle waits for the run (aborted).
SHARED_USE = """
import sys, threading, faulthandler, concurrent.futures
import ombrixdc
faulthandler.dump_traceback_later(60, exit=True)
dc = ombrixdc.Component(offline=True, IniFilepath=sys.argv[1], **eval(sys.argv[2]))
assert dc.perform_circle().ok
barrier = threading.Barrier(2)
def both(call):
    def one(_):
        barrier.wait()
        try:
            return call()
        except ombrixdc.Error as refused:
            return refused.text
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(one, range(2)))
assert all(set(sets) == set(ombrixdc.DATA_SET_NAMES) for sets in both(dc.get_data))
runs = both(dc.perform_circle)
assert sum(isinstance(r, str) and "under way" in r for r in runs) == 1, runs
assert [len(r.events) for r in runs if not isinstance(r, str)] == [5], runs
scanning, closed = threading.Event(), threading.Event()
def handler(name, value):
    if (name, value) == ("OnStatusChange", 2):
        scanning.set()
        closed.wait(30)
dc.on_event(handler)
with concurrent.futures.ThreadPoolExecutor(1) as pool:
    run = pool.submit(dc.perform_circle)
    scanning.wait(30)
    dc.close()
    closed.set()
assert not run.result().ok and dc.closed
"""


def test_threads_sharing_a_component(tmp_path):
    ini, _ = make_run_folder(tmp_path)
    done = subprocess.run([sys.executable, "-c", SHARED_USE, str(ini), repr(EXAMPLE)], timeout=300)
    assert done.returncode == 0


def test_failed_run_reports_its_error_and_save_raises(tmp_path):
    ini, _ = make_run_folder(tmp_path)
    dc = ombrixdc.Component(offline=True, IniFilepath=str(ini), **dict(EXAMPLE, Learning=0))
    result = dc.perform_circle()
    assert (result.ok, result.success, result.last_error) == (False, 0, 0x83100009)
    assert "NoStoredMap" in result.error_text and dc.get_data(ombrixdc.SLOW) is None
    with pytest.raises(ombrixdc.Error) as refused:
        dc.save_data("results")
    assert refused.value.code == 0x83100007 and "NoData" in refused.value.text


def test_every_call_on_a_closed_component_raises():
    with ombrixdc.Component(offline=True) as dc:
        assert dc.get("FeatureRadius") == 0.0
    calls = [dc.perform_circle, dc.get_data, lambda: dc.get_data("Slow"), dc.abort,
             lambda: dc.last_error, lambda: dc.set(FeatureRadius=1.0), lambda: dc.feature_radius,
             lambda: dc.save_data("x"), lambda: dc.on_event(print), dc.graphics_closed]
    for call in calls:
        with pytest.raises(ombrixdc.Error, match="closed"):
            call()
    assert dc.closed
    # A component refused in its constructor was never made: the interpreter exits cleanly.
    refused = "import ombrixdc\ntry:\n    ombrixdc.Component(Bogus=1)\nexcept ombrixdc.Error:\n    pass\n"
    assert subprocess.run([sys.executable, "-c", refused], timeout=120).returncode == 0


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
    with pytest.raises(ombrixdc.Error) as refused:  # DISP_E_TYPEMISMATCH, with its text
        dc.feature_radius = "wide"
    assert refused.value.code == 0x80020005 and "0x80020005" in str(refused.value)
    # No data yet: the answer is None, and nothing is left pending to fail the run.
    assert dc.get_data("Slow") is None and dc.get_data() == {}
    assert dc.perform_circle().ok
    by_name = {name: dc.get_data(name) for name in ("Slow", "slow_map", "CORRECTED")}
    assert [d.name for d in by_name.values()] == ["Slow", "SlowMap", "Corrected"]
    assert by_name["Slow"].radius == dc.get_data(0).radius
    with pytest.raises(ValueError, match="unknown data set 'Slo'.*SlowMap"):
        dc.get_data("Slo")
    for number in (6, -1):
        with pytest.raises(ValueError, match=f"no data set {number}; the data sets are 0 to 5"):
            dc.get_data(number)
    with pytest.raises(TypeError, match="on_event takes a callable"):
        dc.on_event(5)
    with pytest.raises(ombrixdc.Error, match="not a property that can be read"):
        dc.get("OfflineTesting")


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
def test_a_run_refused_at_its_start_raises_with_the_reason(tmp_path, properties, code, reason):
    dc = learning_component(tmp_path)
    dc.set(**properties)
    with pytest.raises(ombrixdc.Error) as refused:
        dc.perform_circle()
    assert refused.value.code == code and reason in refused.value.text
