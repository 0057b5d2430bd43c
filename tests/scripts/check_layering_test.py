#!/usr/bin/env python3
"""The layering check passes on the source tree and fails, naming the file,
the line and the arrow, on copies of it with an arrow pointing the wrong way."""

import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
CHECK = ROOT / "scripts" / "check-layering.py"
LAYERS = ["engine", "platform", "uilib", "view", "chooser", "shell"]


def run_check(root):
    return subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)


class LayeringCheckTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.copy = pathlib.Path(self.directory.name)
        for layer in LAYERS:
            shutil.copytree(ROOT / layer, self.copy / layer)

    def tearDown(self):
        self.directory.cleanup()

    def add_line(self, relative, line):
        path = self.copy / relative
        lines = path.read_text(encoding="utf-8").splitlines()
        lines.insert(2, line)
        path.write_text("\n".join(lines) + "\n", encoding="utf-8")
        return 3

    def expect_failure(self, relative, number, arrow):
        result = run_check(self.copy)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(f"{relative}:{number}: {arrow} is not allowed", result.stderr)

    def test_the_source_tree_passes(self):
        result = run_check(ROOT)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(run_check(self.copy).returncode, 0)

    def test_an_include_of_a_layer_above_fails(self):
        number = self.add_line("view/hit_map.h", '#include "shell/preferences.h"')
        self.expect_failure("view/hit_map.h", number, "view -> shell")

    def test_the_engine_including_anything_of_ours_fails(self):
        number = self.add_line("engine/model/sol_game.h", '#  include "platform/gdi/surface.h"')
        self.expect_failure("engine/model/sol_game.h", number, "engine -> platform")

    def test_an_include_of_a_layer_beside_fails(self):
        number = self.add_line("chooser/chooser_filter.cpp", '#include "view/field_options.h"')
        self.expect_failure("chooser/chooser_filter.cpp", number, "chooser -> view")

    def test_an_include_of_tools_or_tests_fails(self):
        number = self.add_line("shell/main.cpp", '#include "tools/cli/cli.h"')
        self.expect_failure("shell/main.cpp", number, "shell -> tools")

    def test_a_link_to_a_library_above_fails(self):
        number = self.add_line("platform/CMakeLists.txt", "target_link_libraries(cw_platform PRIVATE cw_view)")
        self.expect_failure("platform/CMakeLists.txt", number, "platform -> view")

    def test_uses_of_layers_below_pass(self):
        self.add_line("view/hit_map.h", '#include "uilib/messages.h"')
        self.add_line("shell/main.cpp", '#include "chooser/chooser_options.h"')
        self.add_line("uilib/CMakeLists.txt", "target_link_libraries(cw_uilib PRIVATE cw_platform cw_warnings)")
        self.assertEqual(run_check(self.copy).returncode, 0)

    def test_a_missing_layer_fails(self):
        shutil.rmtree(self.copy / "chooser")
        result = run_check(self.copy)
        self.assertEqual(result.returncode, 1)
        self.assertIn("chooser/: the layer folder is missing", result.stderr)


if __name__ == "__main__":
    unittest.main()
