import os
import shutil

import pytest


@pytest.fixture
def cli():
    """The built command-line tool, or a skip when this build has none."""
    path = os.environ.get("TRAVIMO_CLI") or shutil.which("travimo")
    if not path or not os.path.exists(path):
        pytest.skip("the travimo command-line tool is not built")
    return path
