#!/usr/bin/env python3
"""Learn the dynamic error of a bore on the simulated machine, then measure it again at the
fast speed and correct it with the learnt map.

    PYTHONPATH=build/python python3 examples/learn_and_compensate.py [--dir FOLDER]

Prints the form of the slow, fast and corrected scans and, when Matplotlib is installed, plots
their three radial profiles into FOLDER/radial-profiles.png.
"""
import argparse
import math
import pathlib
import tempfile

import numpy

import ombrixdc

SETTINGS = """; Tuning settings of the example machine
[MoveConfiguration]
PositionalTolerance=0.01

[KT410]
KnownPartScanAcceleration=200.0

[OmbrixDC]
BufferPitch=0.05
DCMapPitch=0.5
DCSpeedFactor=10.0
DCStartAngle=45.0
ScanSettlingTime=0
TimeOut=-1
WorkingDirectory={folder}/
"""
PROFILES = (("Slow", "slow reference"), ("Fast", "fast"), ("Corrected", "fast, corrected"))


def radial_profile(data):
    """Angle (degrees) and radial deviation (microns) of each point from the fitted circle."""
    dx = data.x - data.centre[0]
    dy = data.y - data.centre[1]
    angles = numpy.degrees(numpy.arctan2(dy, dx)) % 360.0
    deviation = (numpy.hypot(dx, dy) - data.radius) * 1000.0
    order = numpy.argsort(angles)
    return angles[order], deviation[order]


def run(dc, learning, title):
    print(title)
    dc.set(Learning=learning)
    result = dc.perform_circle()
    for name, value in result.events:
        print(f"  {name} {value}")
    if not result.ok:
        raise SystemExit(f"the run failed: {result.error_text}")


def plot(sets, picture):
    try:
        import matplotlib
    except ImportError:
        print("Matplotlib is not installed: no plot")
        return
    matplotlib.use("Agg")
    from matplotlib import pyplot
    figure, axes = pyplot.subplots(figsize=(8, 4.5))
    for key, label in PROFILES:
        angles, deviation = radial_profile(sets[key])
        axes.plot(angles, deviation, label=label)
    axes.set_xlabel("angle (degrees)")
    axes.set_ylabel("radial deviation (um)")
    axes.set_title("Radial profiles of the bore")
    axes.legend()
    figure.savefig(picture, dpi=100)
    print(f"Radial profiles plotted in {picture}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", help="folder for the settings and run files (default: new)")
    folder = pathlib.Path(parser.parse_args().dir or tempfile.mkdtemp(prefix="ombrixdc-"))
    folder.mkdir(parents=True, exist_ok=True)
    settings = folder / "OmbrixDC.ini"
    settings.write_text(SETTINGS.format(folder=folder.resolve()))

    dc = ombrixdc.Component(IniFilepath=str(settings), FeatureRadius=10.0, TipRadius=1.0,
                            ScanDeflection=0.3, SlowSpeed=5.0, ModeParameter=60.0,
                            Overwrite=1, HeaderInfo1="learn_and_compensate.py")
    run(dc, 1, "1. Learning: slow reference scan and fast scan")
    run(dc, 0, "2. Measuring: fast scan corrected with the stored map")

    sets = dc.get_data()
    print("\nForm of the bore of radius 10 mm:")
    for key, label in PROFILES:
        print(f"  {label:<18} {sets[key].form * 1000.0:8.3f} um")
    dc.save_data("learn-and-compensate")
    print(f"Data sets saved in {folder / 'Default' / 'learn-and-compensate.dat'}")
    plot(sets, folder / "radial-profiles.png")


if __name__ == "__main__":
    main()
