import os
import shutil

import pytest

import travimo


@pytest.fixture
def cli():
    """The built command-line tool, or a skip when this build has none."""
    path = os.environ.get("TRAVIMO_CLI") or shutil.which("travimo")
    if not path or not os.path.exists(path):
        pytest.skip("the travimo command-line tool is not built")
    return path


@pytest.fixture
def decoded():
    """A control that has decoded a Lorvex transfer of two scans."""
    control = travimo.Control()
    control.decode(travimo.sample_transfer("lorvex", scans=2, points=8))
    return control
