"""Runs every ```sh and ```python block of README.md as written, each in a new folder that
looks like the project's folder (its entries linked, `build` the build folder), with
PYTHONPATH=build/python as the README says. A ```text block right after a ```sh block is the
block's standard output: the same words, and numbers equal to 1e-9 relative (the last digits
of a 17-digit number may differ with the order of floating-point operations). Blocks in
SKIPPED are not run; each says why. Blocks of other languages are not commands: the command
synopsis, the summary's layout, and the ```cmake fragment, whose find_package and pkg-config
lines tests/install/install_and_consume.sh builds a client with.

    python3 run_readme_blocks.py SOURCE_DIR BUILD_DIR
"""
import math
import os
import pathlib
import re
import subprocess
import sys
import tempfile

# First line of a block that is not run, and why.
SKIPPED = {
    # Its `make test` builds and runs the whole suite, this test among it (make demo alone is
    # the demo the command-line tests run).
    "make demo": "runs the test suite that runs it",
}
RUNNERS = {"sh": ["bash", "-euo", "pipefail", "-c"], "python": [sys.executable, "-c"]}
FENCE = re.compile(r"^```([A-Za-z]*)\n(.*?)^```\n", re.MULTILINE | re.DOTALL)


def blocks(readme):
    """(language, code, expected output or None, line number) of each block to run."""
    found = list(FENCE.finditer(readme))
    for match, following in zip(found, found[1:] + [None]):
        language, code = match.groups()
        if language not in RUNNERS:
            continue
        expected = None
        if (language == "sh" and following and following.group(1) == "text"
                and readme[match.end():following.start()].strip() == ""):
            expected = following.group(2)
        yield language, code, expected, readme.count("\n", 0, match.start()) + 1


def same_word(want, got):
    try:
        return math.isclose(float(want), float(got), rel_tol=1e-9, abs_tol=1e-12)
    except ValueError:
        return want == got


def same_output(expected, printed):
    want, got = ([line.split() for line in text.splitlines()] for text in (expected, printed))
    return ([len(line) for line in want] == [len(line) for line in got]
            and all(map(same_word, sum(want, []), sum(got, []))))


def project_like_folder(source, build):
    folder = pathlib.Path(tempfile.mkdtemp(prefix="readme-"))
    for entry in source.iterdir():
        if entry.name not in ("build", ".git") and not entry.name.startswith("build-"):
            (folder / entry.name).symlink_to(entry)
    (folder / "build").symlink_to(build)
    return folder


def main():
    source, build = pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()
    failures, ran = [], 0
    for language, code, expected, line in blocks((source / "README.md").read_text()):
        if any(code.startswith(key) for key in SKIPPED):
            continue
        folder = project_like_folder(source, build)
        env = dict(os.environ, PYTHONPATH="build/python", MPLBACKEND="Agg")
        done = subprocess.run(RUNNERS[language] + [code], cwd=folder, env=env,
                              capture_output=True, text=True, timeout=300)
        ran += 1
        if done.returncode != 0:
            failures.append(f"README.md:{line} ({language}) exited {done.returncode}:\n"
                            f"{done.stdout}{done.stderr}")
        elif expected is not None and not same_output(expected, done.stdout):
            failures.append(f"README.md:{line}: standard output differs from the README:\n"
                            f"--- README\n{expected}--- printed\n{done.stdout}")
        subprocess.run(["rm", "-rf", str(folder)], check=False)
    print(f"{ran} README blocks run")
    if failures:
        print("\n\n".join(failures), file=sys.stderr)
        return 1
    return 0 if ran else 1


if __name__ == "__main__":
    sys.exit(main())
