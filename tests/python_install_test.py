"""The karvex package as analysts install it: pip from the source tree into a fresh virtual
environment, the engine's type stubs, and the error under an interpreter it was not built for."""

import ast
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

SOURCE = pathlib.Path(__file__).resolve().parent.parent
REFERENCE = SOURCE / "scenarios" / "reference.scn"


def test_pip_installs_into_a_virtual_environment():
    work = pathlib.Path(os.environ["KARVEX_INSTALL_WORK"])
    shutil.rmtree(work, ignore_errors=True)
    (work / "elsewhere").mkdir(parents=True)
    env = {name: value for name, value in os.environ.items() if name != "PYTHONPATH"}
    env["KARVEX_BUILD_DIR"] = str(work / "build")
    python = work / "venv" / "bin" / "python"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", work / "venv"], check=True)
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-build-isolation", SOURCE], check=True, env=env)
    shutil.rmtree(work / "build")  # some 300 MB the installed package does not need
    subprocess.run([os.environ["KARVEX_PROGRAM"], "run", REFERENCE, "-o", work / "program", "-q"], check=True)

    script = ("import sys, karvex\nresult = karvex.run(karvex.Scenario.load(sys.argv[1]))\n"
              "print(karvex.__file__, karvex.__version__, repr(result.miss_distance))")
    flown = subprocess.run([python, "-c", script, REFERENCE], check=True, env=env, cwd=work / "elsewhere",
                           stdout=subprocess.PIPE, text=True)
    where, version, miss = flown.stdout.split()
    assert where.startswith(str(work / "venv"))
    assert version == re.search(r"project\(Karvex VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())[1]
    assert float(miss) == json.loads((work / "program" / "summary.json").read_text())["miss_distance_m"]


def test_stubs_name_what_the_engine_has():
    from karvex import _karvex
    # Names, kinds and properties both ways; pybind11's metaclass and Flight's refusing constructor aside.
    subprocess.run([sys.executable, "-m", "mypy.stubtest", "karvex._karvex", "--allowlist",
                    SOURCE / "tests" / "data" / "engine_stubs.allowlist"], check=True)
    # Parameters, against the first line of each docstring: "name(a: type, b: type) -> type".
    stub = ast.parse(pathlib.Path(_karvex.__file__).with_name("_karvex.pyi").read_text())
    owners = [(_karvex, stub)] + [(getattr(_karvex, c.name), c) for c in stub.body if isinstance(c, ast.ClassDef)]
    functions = [(owner, f) for owner, node in owners for f in node.body
                 if isinstance(f, ast.FunctionDef) and [ast.unparse(d) for d in f.decorator_list] != ["property"]]
    assert len(functions) > 15
    for owner, function in functions:
        signature = getattr(owner, function.name).__doc__.splitlines()[0]
        assert re.findall(r"[(,] ?(\w+):", signature) == [a.arg for a in function.args.args], signature


def test_another_interpreter_is_told_which_one_the_package_is_for(tmp_path):
    import karvex  # the build's
    built = pathlib.Path(karvex.__file__).parent

    def import_error():
        imported = subprocess.run([sys.executable, "-c", "import karvex"], stderr=subprocess.PIPE, text=True,
                                  env=dict(os.environ, PYTHONPATH=str(tmp_path)))
        return imported.stderr.splitlines()[-1]

    # The package as Python 3.99 would have built it, under this interpreter.
    package = shutil.copytree(built, tmp_path / "karvex")
    engine = next(package.glob("_karvex.*.so"))
    other = engine.rename(package / engine.name.replace(sys.implementation.cache_tag, "cpython-399"))
    info = (package / "_build_info.py").read_text().replace(engine.name, other.name)
    info = re.sub(r'python_version = ".*"\npython_executable = ".*"',
                  'python_version = "3.99.0"\npython_executable = "/opt/python3.99/bin/python3"', info)
    (package / "_build_info.py").write_text(info)
    error = import_error()
    assert error.startswith("ImportError: the karvex package was built for Python 3.99.0 "
                            "(/opt/python3.99/bin/python3)")
    assert f"this Python {sys.version.split()[0]} ({sys.executable})" in error
    assert f"{sys.executable} -m pip install --no-build-isolation ." in error

    # Built for this interpreter but broken: the loader's own error, not a wrong interpreter's.
    other.unlink()
    engine.write_bytes(b"broken")
    shutil.copy(built / "_build_info.py", package)
    assert import_error() == f"ImportError: {engine}: file too short"
