"""The compiled engine, _karvex, for the package. An engine built for another interpreter cannot be
loaded by this one: the ImportError then names the interpreter it was built for, and how to build
it for this one."""

import importlib.machinery
import platform
import sys

from ._build_info import engine, python_executable, python_version
from ._build_info import version as __version__

try:
    from . import _karvex
except ImportError as error:
    if engine in {"_karvex" + suffix for suffix in importlib.machinery.EXTENSION_SUFFIXES}:
        raise  # built for this interpreter: the engine's own error (a library it cannot find, say)
    raise ImportError(
        f"the karvex package was built for Python {python_version} ({python_executable}), and its engine "
        f"{engine} cannot be loaded by this Python {platform.python_version()} ({sys.executable}). Use "
        f"{python_executable}, or build the package for this interpreter from Karvex's source tree with "
        f"`{sys.executable} -m pip install --no-build-isolation .` (or configure CMake with "
        f"-DPython_EXECUTABLE={sys.executable})") from error
