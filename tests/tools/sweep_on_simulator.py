#!/usr/bin/env python3
"""`ombrixdc sweep` on the simulated machine: each speed is learnt and measured compensated,
the compensation leaves less than the dynamic error it corrects, a speed above what the
settings allow is held, and the recommendation is the highest speed within the limit (from
--limit-um, else the machine repeatability of the settings file)."""
import json
import math
import pathlib
import subprocess
import sys
import tempfile

PROGRAM = sys.argv[1]


def sweep(*args):
    r = subprocess.run([PROGRAM, "sweep", *args], capture_output=True, text=True, check=False)
    return r.returncode, r.stdout, r.stderr


with tempfile.TemporaryDirectory() as work:
    work = pathlib.Path(work)

    # Without --ini: the demonstration's settings (fast speeds held to 2 x 10 x 10 mm/s).
    code, out, err = sweep("--speeds", "20,80,400", "--json", "-o", str(work / "sweep.png"))
    assert code == 0, f"sweep exited {code}: {err}"
    doc = json.loads(out)
    rows = doc["speeds"]
    assert [r["speed"] for r in rows] == [20, 80, 400], out
    assert [r["fastSpeed"] for r in rows] == [20, 80, 200], out
    assert doc["limitUm"] == 1, "default limit without a repeatability: " + out
    for r in rows:
        assert 0 < r["residualUm"] < r["dynamicUm"], f"residual not below dynamic: {r}"
        # One path (a revolution and its overtravel) at each speed.
        assert math.isclose(r["scanSeconds"] * r["fastSpeed"],
                            rows[0]["scanSeconds"] * rows[0]["fastSpeed"]), str(r)
    assert rows[0]["dynamicUm"] < rows[1]["dynamicUm"] < rows[2]["dynamicUm"], \
        "the dynamic error grows with the speed: " + out
    assert rows[2]["formErrorUm"] > rows[0]["formErrorUm"] + 1, \
        "scanning fast adds to the form: " + out
    assert doc["recommendedSpeed"] == 200, out
    assert (work / "sweep.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n", "no PNG chart"

    # The machine repeatability of the settings file is the default limit; a limit equal to
    # one residual admits that speed.
    limit = min(r["residualUm"] for r in rows)
    (work / "Default").mkdir()
    ini = work / "settings.ini"
    ini.write_text("[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.05\n"
                   "DCMapPitch=0.5\nDCSpeedFactor=10\nDCStartAngle=45\nScanSettlingTime=0\n"
                   f"TimeOut=-1\nSlowSpeedRepeatability={limit / 1000!r}\n"
                   f"WorkingDirectory={work}/\n")
    code, out, err = sweep("--ini", str(ini), "--speeds", "20,80,400", "--json")
    assert code == 0, f"sweep --ini exited {code}: {err}"
    doc = json.loads(out)
    assert math.isclose(doc["limitUm"], limit), "limit from the settings: " + out
    within = [r["fastSpeed"] for r in doc["speeds"] if r["residualUm"] <= doc["limitUm"]]
    assert within and doc["recommendedSpeed"] == max(within), "recommendation: " + out
    assert list(work.glob("Default/_circle*.rsm")), "no map learnt in the run directory"

    # No speed within the limit; the table says so.
    code, out, err = sweep("--speeds", "20", "--limit-um", "0.001")
    assert code == 0 and "No speed keeps the compensated residual within 0.001 um" in out, \
        f"exit {code}: {out}{err}"
    assert out.splitlines()[2].split()[0] == "20.0", "table row: " + out
    # No speed measured at all: each row says why, and the table blames no speed.
    code, out, err = sweep("--speeds", "20", "--ini", str(work / "none.ini"))
    assert "none.ini does not exist" in out and "No speed was measured" in out, \
        f"exit {code}: {out}{err}"

    # Usage errors are found before anything runs.
    for args, message in [(["--speeds", "20,0"], "greater than 0"),
                          (["--speeds", "20", "--set", "Nonsense=1"], "--set Nonsense=1")]:
        code, out, err = sweep(*args)
        assert code == 2 and message in err, f"{args}: exit {code}: {err}"
print("sweep checks passed")
