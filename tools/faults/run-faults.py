#!/usr/bin/env python3
"""A deliberate-fault round: makes each one-line fault of a list, one at a time, in a copy of the
sources, builds the Debug tests and counts which faults the suite catches. Not run by CI.

    tools/faults/run-faults.py FAULTS [--build DIR] [--only LABEL...] [--tests REGEX]

FAULTS is a text file; each fault is one line of four fields separated by " ||| ", "\\n" in a
field standing for a line break:
    label ||| path/in/the/repository ||| exact text that occurs once ||| the text put in its place
Lines starting with # and blank lines are skipped. The build folder (default: build-faults) is
configured like scripts/build.sh's Debug build. The working tree itself is restored after each
fault, also when the run is interrupted.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]


def faults_from(path):
    for number, line in enumerate(pathlib.Path(path).read_text().splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        fields = [field.replace("\\n", "\n") for field in line.split(" ||| ")]
        if len(fields) != 4:
            sys.exit(f"{path}:{number}: expected four fields")
        yield fields


def run(command, timeout):
    try:
        return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("faults")
    parser.add_argument("--build", default="build-faults")
    parser.add_argument("--only", nargs="*", default=[])
    parser.add_argument("--tests", default="", help="ctest -R regex (default: every test)")
    parser.add_argument("--exclude", default="^(install|package|placement)$",
                        help="ctest -E regex")
    args = parser.parse_args()
    build = str(ROOT / args.build)
    env = dict(os.environ, CMAKE_CXX_COMPILER_LAUNCHER="ccache", CMAKE_C_COMPILER_LAUNCHER="ccache")
    if not (ROOT / args.build / "build.ninja").exists():
        subprocess.run(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DBELLTIDE_WARNINGS_AS_ERRORS=OFF"], cwd=ROOT, env=env, check=True)
    subprocess.run(["cmake", "--build", build], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    results = []
    for label, path, old, new in faults_from(args.faults):
        if args.only and label not in args.only:
            continue
        source = ROOT / path
        text = source.read_text()
        if text.count(old) != 1:
            results.append((label, "NOT APPLIED (text found %d times)" % text.count(old)))
            print(results[-1], flush=True)
            continue
        start = time.time()
        try:
            source.write_text(text.replace(old, new))
            built = run(["cmake", "--build", build], 1800)
            if built != 0:
                outcome = "caught by the build"
            else:
                command = ["ctest", "--test-dir", build, "-j2", "--stop-on-failure",
                           "--timeout", "600", "-E", args.exclude]
                if args.tests:
                    command += ["-R", args.tests]
                tested = run(command, 3600)
                outcome = "caught" if tested != 0 else "NOT CAUGHT"
        finally:
            source.write_text(text)
        results.append((label, f"{outcome} ({time.time() - start:.0f} s)"))
        print(results[-1], flush=True)
    subprocess.run(["cmake", "--build", build], cwd=ROOT, stdout=subprocess.DEVNULL)
    caught = sum(1 for _, outcome in results if outcome.startswith("caught"))
    applied = sum(1 for _, outcome in results if not outcome.startswith("NOT APPLIED"))
    print(f"\n{caught} caught of {applied} faults made")
    for label, outcome in results:
        if not outcome.startswith("caught"):
            print(f"  {label}: {outcome}")


if __name__ == "__main__":
    main()
