"""Builds the extension zelkova._zelkova with the project's CMake (the
library and the bindings, nothing else) and puts the bundled motif
collection beside it, in zelkova/jaspar/, where the module looks first
(ZELKOVA_PYTHON_DATA_FROM_MODULE). pyproject.toml says how to run it."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
COLLECTION = ("jaspar_insecta.jaspar", "jaspar_vertebrates.pfm", "README.md")


def project_version():
    """The version of project() in CMakeLists.txt: one version for everything."""
    found = re.search(r"project\(zelkova VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    return found.group(1)


class CMakeBuild(build_ext):
    """The extension as CMake builds it for this interpreter."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DZELKOVA_PYTHON=ON", "-DZELKOVA_TESTS=OFF", "-DZELKOVA_BENCH=OFF",
                        f"-DPython3_EXECUTABLE={sys.executable}", "-DZELKOVA_PYTHON_DATA_FROM_MODULE=jaspar"],
                       check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", str(build), "--target", "_zelkova", "-j", jobs], check=True)
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(next((build / "python" / "zelkova").glob("_zelkova*.so")), target)
        collection = target.parent / "jaspar"
        collection.mkdir(exist_ok=True)
        for name in COLLECTION:
            shutil.copy2(ROOT / "data" / "jaspar" / name, collection / name)


setup(
    version=project_version(),
    package_dir={"": "python"},
    packages=["zelkova"],
    package_data={"zelkova": ["*.pyi", "py.typed"]},
    ext_modules=[Extension("zelkova._zelkova", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Apart from the build/ folder of the CMake build the documentation names.
    options={"build": {"build_base": "build-pip"}},
)
