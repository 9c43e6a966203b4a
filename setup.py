"""Builds the karvex package for the interpreter that runs this (`pip install --no-build-isolation .`,
`pip wheel --no-build-isolation .`): configures the CMake project as the default preset does but
without the tests and the debug information, builds the engine with the host library and the vessel
modules it needs, and installs the package's files into the wheel.

The builds go into build/pip in the source tree, or into the folder KARVEX_BUILD_DIR names; CMake's
stays there, so building again recompiles only what changed."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).resolve().parent
VERSION = re.search(r"project\(Karvex VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)
BUILD = pathlib.Path(os.environ.get("KARVEX_BUILD_DIR") or SOURCE / "build" / "pip").resolve()


class CMakeBuild(build_ext):
    """Builds the engine with CMake and installs the whole package into the wheel's folder."""

    def build_extension(self, ext):
        cmake = BUILD / f"cmake-{sys.implementation.cache_tag}"
        wheel_root = pathlib.Path(self.build_lib).resolve()
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        # The default preset's optimisation, without the debug information the wheel would strip.
        subprocess.run(["cmake", "--preset", "default", "-B", cmake, "-DKARVEX_TESTS=OFF",
                        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG", f"-DPython_EXECUTABLE={sys.executable}",
                        "-DKARVEX_PYTHON_INSTALL_DIR=."], cwd=SOURCE, check=True)
        subprocess.run(["cmake", "--build", cmake, "--target", "_karvex", "--parallel", jobs], check=True)
        # A file the package no longer has must not stay behind from an earlier build.
        shutil.rmtree(wheel_root / "karvex", ignore_errors=True)
        subprocess.run(["cmake", "--install", cmake, "--component", "python", "--prefix", wheel_root, "--strip"],
                       check=True)


BUILD.mkdir(parents=True, exist_ok=True)
setup(
    version=VERSION,
    packages=[],  # CMake lays out and installs the whole package
    # The engine stands for everything CMake builds and installs, and makes the wheel this interpreter's.
    ext_modules=[Extension("karvex._karvex", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(BUILD)}, "egg_info": {"egg_base": str(BUILD)}},
)
