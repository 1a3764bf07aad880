"""The optional packages: numpy for the device-area views, pandas for
DataFrames.  Each is imported when first needed, and its absence is said in
terms of what to install."""


def numpy():
    try:
        import numpy as module
    except ImportError as error:
        raise ImportError("the device areas (section.D, section.M, ...) are numpy arrays: install numpy "
                          "(Debian: apt install python3-numpy; pip: pip install numpy)") from error
    return module


def pandas():
    try:
        import pandas as module
    except ImportError as error:
        raise ImportError("to_pandas() makes a pandas DataFrame: install pandas "
                          "(Debian: apt install python3-pandas; pip: pip install pandas)") from error
    return module
