#!/usr/bin/env python3
"""Tests of check-layers.py on small trees written for each case: every fault it must find is
planted once, and a clean tree passes."""
import os
import tempfile
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
# The checker's file name has a dash, so it is loaded by path rather than imported.
CHECKER = os.path.join(HERE, "check-layers.py")
check_layers = types.ModuleType("check_layers")
with open(CHECKER, encoding="utf-8") as source:
    exec(compile(source.read(), CHECKER, "exec"), check_layers.__dict__)

TREES = {
    "stub": {"roots": ["stub"], "layers": ["text", "format", "rules", "win", "app"],
             "pure": ["text", "format", "rules"], "twin_may_include": ["stub/win/Owners.h"]},
    "viewer": {"roots": ["viewer"], "layers": [], "pure": []},
}

# A clean stub: every include runs down, the Win32 header only in a *_win twin.
CLEAN = {
    "stub/text/Words.h": "#pragma once\n",
    "stub/rules/Decide.h": '#include "text/Words.h"\n',
    "stub/rules/Decide.cpp": '#include "rules/Decide.h"\n',
    "stub/format/Source_win.cpp": "#include <windows.h>\n#include \"win/Owners.h\"\n",
    "stub/win/Owners.h": "#include <windows.h>\n",
    "stub/format/Source_posix.cpp": '#include "text/Words.h"\n',
    "stub/win/Files.h": "#include <windows.h>\n#include \"rules/Decide.h\"\n",
    "stub/app/Window.cpp": '#include "win/Files.h"\n#include "app/Agent.h"\n',
    "stub/app/Agent.h": '#include "rules/Decide.h"\n',
    "viewer/shell/scene.cpp": '#include "shell/camera.h"\n',
    "viewer/shell/camera.h": "#pragma once\n",
}


def run(files, known=()):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        return check_layers.check(root, TREES, [list(k) for k in known])


class CheckLayers(unittest.TestCase):
    def test_clean_tree_passes(self):
        self.assertEqual(run(CLEAN), [])

    def test_each_planted_fault_is_found(self):
        cases = [
            # The window and the agent including each other through header and source.
            ("unit circle", {"stub/app/Agent.cpp": '#include "app/Window.h"\n',
                             "stub/app/Window.h": "#pragma once\n"},
             "include circle: stub/app/Agent <-> stub/app/Window"),
            # Three units in a ring in a tree without layers.
            ("ring in the viewer", {"viewer/shell/camera.h": '#include "shell/pose.h"\n',
                                    "viewer/shell/pose.h": '#include "shell/scene.h"\n',
                                    "viewer/shell/scene.h": "#pragma once\n"},
             "include circle: viewer/shell/camera <-> viewer/shell/pose <-> viewer/shell/scene"),
            ("include up the layers", {"stub/win/Net.cpp": '#include "app/Agent.h"\n'},
             "stub/win/Net.cpp: includes app/Agent.h from the higher layer app/"),
            ("pure layer includes the window", {"stub/rules/Decide.cpp": "#include <Windows.h>\n"},
             "stub/rules/Decide.cpp: includes a Win32 header in the pure layer rules/"),
            ("only a _win twin may use the owners",
             {"stub/format/Source_posix.cpp": '#include "win/Owners.h"\n',
              "stub/win/Owners.h": "#pragma once\n"},
             "stub/format/Source_posix.cpp: includes win/Owners.h from the higher layer win/"),
            ("text includes format", {"stub/text/Words.cpp": '#include "format/Source.h"\n',
                                      "stub/format/Source.h": "#pragma once\n"},
             "stub/text/Words.cpp: includes format/Source.h from the higher layer format/"),
        ]
        for what, planted, fault in cases:
            with self.subTest(what):
                self.assertIn(fault, run({**CLEAN, **planted}))

    def test_known_circle_is_reported_and_a_stale_one_fails(self):
        ring = {"viewer/shell/camera.h": '#include "shell/scene.h"\n',
                "viewer/shell/scene.h": '#include "shell/camera.h"\n'}
        known = [("viewer/shell/camera", "viewer/shell/scene")]
        self.assertEqual(run({**CLEAN, **ring}, known), [])
        self.assertEqual(run(CLEAN, known),
                         ["no longer a circle, remove from KNOWN_CIRCLES: "
                          "viewer/shell/camera <-> viewer/shell/scene"])


if __name__ == "__main__":
    unittest.main()
