"""The session scripts of tests/console/sessions, each driven through the package in this
process instead of through the program's pipe: the same requests, the same answers."""

import json

import pytest

from conftest import SESSION_SCRIPTS, make_database
from dorsel import Component


def subset(expected, actual):
    """The scripts' comparison: every expected key present and matching, arrays matched
    element by element, "*" matching anything."""
    if expected == "*":
        return True
    if isinstance(expected, dict):
        return isinstance(actual, dict) and all(
            k in actual and subset(v, actual[k]) for k, v in expected.items())
    if isinstance(expected, list):
        return (isinstance(actual, list) and len(actual) == len(expected)
                and all(subset(e, a) for e, a in zip(expected, actual)))
    if isinstance(expected, (int, float)) and not isinstance(expected, bool):
        return isinstance(actual, (int, float)) and not isinstance(actual, bool) \
            and float(expected) == float(actual)
    return expected == actual


def read_script(path, temp):
    script = {"db": "demo", "options": {}, "steps": []}
    for raw in path.read_text(encoding="utf-8").splitlines():
        line = raw.replace("$TEMP", temp)
        if line.startswith("# db:"):
            script["db"] = line[5:].strip()
        elif line.startswith("# args:"):
            words = line[7:].split()
            while words:
                word = words.pop(0)
                if word == "--temp":
                    script["options"]["temp"] = words.pop(0)
                elif word == "--company":
                    script["options"]["company"] = int(words.pop(0))
                elif word == "--language":
                    script["options"]["language"] = words.pop(0)
                elif word == "--no-host":
                    script["options"]["no_host"] = True
                elif word == "--decimal-comma":
                    script["options"]["decimal_comma"] = True
                else:
                    raise ValueError(f"{path.name}: option {word} has no keyword here")
        elif line.startswith("> "):
            script["steps"].append([line[2:], None])
        elif line.startswith("< ") and script["steps"]:
            script["steps"][-1][1] = json.loads(line[2:])
    return script


@pytest.mark.parametrize("path", sorted(SESSION_SCRIPTS.glob("*.jsonl")), ids=lambda p: p.stem)
def test_script_gets_the_expected_answers(program, tmp_path, path):
    temp = tmp_path / "temp"
    temp.mkdir()
    script = read_script(path, str(temp))
    db = make_database(program, script["db"], tmp_path / "script.sqlite")
    with Component(db=db, **script["options"]) as component:
        for request, expected in script["steps"]:
            answer = component.request(request)
            if expected is not None:
                assert subset(expected, answer), f"request: {request}\nanswer: {answer}"
