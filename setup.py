"""Builds the Python package travimo: the pure-Python files of python/travimo
and the module _travimo, which the project's CMake build makes."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    """The version of the CMake project, the one source of it."""
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Travimo VERSION (\S+)", text).group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the project for this interpreter and builds only the module."""

    def build_extension(self, ext):
        build_dir = Path(self.build_temp).resolve() / "cmake"
        options = [
            f"-DPython_EXECUTABLE={sys.executable}",
            "-DCMAKE_BUILD_TYPE=Release",
            "-DTRAVIMO_WERROR=OFF",  # an installer's build shows warnings, never fails on them
            "-DTRAVIMO_BUILD_TESTS=OFF",
            "-DTRAVIMO_BUILD_BENCH=OFF",
            "-DTRAVIMO_BUILD_WIDGET=OFF",
            "-DTRAVIMO_BUILD_SHARED=OFF",
        ]
        if shutil.which("ccache"):
            options.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir), *options], check=True)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "travimo_python",
                        "travimo_python_stubs", "-j", str(os.cpu_count() or 1)], check=True)
        built = next((build_dir / "python" / "travimo").glob("_travimo*.so"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)
        # The stubs are written from the built module, beside it.
        shutil.copyfile(build_dir / "python" / "travimo" / "__init__.pyi",
                        target.parent / "__init__.pyi")


setup(
    version=project_version(),
    packages=["travimo"],
    package_dir={"travimo": "python/travimo"},
    package_data={"travimo": ["py.typed"]},  # editors complete from the stubs
    ext_modules=[CMakeExtension("travimo._travimo")],
    cmdclass={"build_ext": CMakeBuild},
    # build/ is the CMake build of the README's commands; keep pip's apart.
    options={"build": {"build_base": "build-pip"}, "egg_info": {"egg_base": "build-pip"}},
    zip_safe=False,
)
