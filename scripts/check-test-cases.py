#!/usr/bin/env python3
"""Checks that ctest runs every test case and that each ctest entry runs something.

Usage: check-test-cases.py CTEST BUILD_FOLDER

Test discovery reads each test program's --gtest_list_tests; a printed parameter
with odd characters can garble the names it finds, and an entry whose filter then
matches nothing still counts as passed. So each program's own list is compared
with the ctest entries that run it:
- every case a program lists has an entry that runs exactly that case;
- every entry's --gtest_filter names a case its program lists;
- every entry's program (and the script an interpreter is given) exists.
Prints each finding and exits with 1 when there is any.
"""
import json
import os
import subprocess
import sys

INTERPRETERS = {"bash", "sh", "python3", "python"}


def ctest_entries(ctest, build):
    shown = subprocess.run([ctest, "--show-only=json-v1"], cwd=build, check=True,
                           capture_output=True, text=True).stdout
    return json.loads(shown)["tests"]


def environment_of(entry):
    env = dict(os.environ)
    for prop in entry.get("properties", []):
        if prop["name"] == "ENVIRONMENT":
            for item in prop["value"]:
                name, _, value = item.partition("=")
                env[name] = value
    return env


def listed_cases(program, env):
    """The full names of the cases the program lists ("Suite.Case")."""
    out = subprocess.run([program, "--gtest_list_tests"], env=env, check=True,
                         capture_output=True, text=True, errors="replace").stdout
    cases, suite = [], None
    for line in out.splitlines():
        if not line.strip():
            continue
        name = line.split("#", 1)[0].strip()
        if not line.startswith(" "):
            suite = name
        else:
            cases.append(suite + name)
    return cases


def program_and_filter(command):
    """The test program (the word before the filter: a wrapper may come first) and the filter."""
    for index, argument in enumerate(command[1:], start=1):
        if argument.startswith("--gtest_filter="):
            return command[index - 1], argument[len("--gtest_filter="):]
    return None, None


def check_program_exists(entry, problems):
    command = entry.get("command") or []
    if not command or not os.access(command[0], os.X_OK):
        problems.append(f"{entry['name']}: no program to run ({command[:1]})")
        return False
    if os.path.basename(command[0]) in INTERPRETERS:
        scripts = [a for a in command[1:] if not a.startswith("-")]
        if not scripts or not os.path.isfile(scripts[0]):
            problems.append(f"{entry['name']}: the script it runs does not exist ({scripts[:1]})")
            return False
    return True


def main():
    ctest, build = sys.argv[1], sys.argv[2]
    problems = []
    filters_by_program = {}
    env_by_program = {}
    for entry in ctest_entries(ctest, build):
        if not check_program_exists(entry, problems):
            continue
        program, test_filter = program_and_filter(entry["command"])
        if test_filter is not None:
            filters_by_program.setdefault(program, []).append((entry["name"], test_filter))
            env_by_program.setdefault(program, environment_of(entry))
    for program, filters in sorted(filters_by_program.items()):
        cases = listed_cases(program, env_by_program[program])
        run = {}
        for name, test_filter in filters:
            if test_filter not in cases:
                problems.append(f"{name}: its filter \"{test_filter}\" runs no case of {program}")
            run[test_filter] = name
        for case in cases:
            if case not in run:
                problems.append(f"{case} of {program} is run by no ctest entry")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
