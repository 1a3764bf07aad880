"""The package's version: the library's (the build checks that they agree)."""
__version__ = "1.0.0"
