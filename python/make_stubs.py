"""Writes the type stubs of the package travimo from the built package itself,
so that the stubs list what the module has, field for field.

    python3 make_stubs.py PACKAGE_PARENT_DIR OUTPUT.pyi
"""

import ast
import enum
import inspect
import re
import sys

_SIGNATURE = re.compile(r"^\w+\((?P<args>.*)\)(?: -> (?P<ret>.+))?$")
_RETURNS = re.compile(r"-> (?P<ret>.+)$")
_KNOWN = {"int", "float", "str", "bool", "bytes", "object", "None", "list", "dict", "tuple"}


def _type(text, known):
    """A pybind11 type text as a stub annotation; what it cannot name is Any."""
    text = text.replace("travimo._travimo.", "").strip()
    text = re.sub(r"numpy\.ndarray\[[^\]]*\]", "numpy.ndarray", text)
    names = re.findall(r"[A-Za-z_][\w.]*", text)
    allowed = _KNOWN | known | {"List", "Dict", "Optional", "Tuple", "Callable", "Union",
                                "numpy.ndarray", "datetime.datetime", "os.PathLike"}
    if not names or text == "object" or any(n not in allowed for n in names):
        return "Any"
    try:
        ast.parse(text, mode="eval")
    except SyntaxError:
        return "Any"
    return text


def _parameters(args, known):
    out = []
    for part in _split(args):
        name, _, rest = part.partition(":")
        annotation, eq, default = rest.partition("=")
        name = name.strip()
        if name == "*":
            out.append("*")
            continue
        if name == "self":
            out.append("self")
            continue
        text = f"{name}: {_type(annotation, known)}" if annotation.strip() else name
        out.append(text + (" = ..." if eq else ""))
    return ", ".join(out)


def _split(args):
    parts, depth, current = [], 0, ""
    for char in args:
        if char in "[(":
            depth += 1
        elif char in "])":
            depth -= 1
        if char == "," and depth == 0:
            parts.append(current.strip())
            current = ""
        else:
            current += char
    if current.strip():
        parts.append(current.strip())
    return parts


def _doc(obj, indent):
    doc = inspect.getdoc(obj)
    if doc in (inspect.getdoc(object.__init__), inspect.getdoc(enum.IntEnum)):
        doc = None
    lines = [line for line in (doc or "").splitlines() if not _SIGNATURE.match(line.strip())]
    text = "\n".join(lines).strip().replace('"""', "'''").replace("\\", "\\\\")
    if not text:
        return []
    body = text.replace("\n", "\n" + indent)
    return [f'{indent}"""{body}"""']


def _builtin(name, obj, indent, known, method):
    doc = obj.__doc__ or ""
    signatures = [m for m in (_SIGNATURE.match(line.strip()) for line in doc.splitlines()) if m]
    if len(signatures) != 1:
        first = "self, " if method else ""
        return [f"{indent}def {name}({first}*args: Any, **kwargs: Any) -> Any: ..."]
    match = signatures[0]
    ret = _type(match.group("ret") or "None", known)
    return [f"{indent}def {name}({_parameters(match.group('args'), known)}) -> {ret}: ..."]


def _python_function(name, obj, indent):
    parameters = []
    for parameter in inspect.signature(obj).parameters.values():
        text = parameter.name if parameter.kind != parameter.VAR_KEYWORD else "**" + parameter.name
        if parameter.default is not inspect.Parameter.empty:
            text += "=..."
        parameters.append(text)
    returns = inspect.signature(obj).return_annotation
    if returns is inspect.Signature.empty:
        ret = "Any"
    else:
        ret = returns if isinstance(returns, str) else returns.__name__
    lines = [f"{indent}def {name}({', '.join(parameters)}) -> {ret}:"]
    return lines + (_doc(obj, indent + "    ") or [f"{indent}    ..."])


def _property(name, prop, indent, known):
    match = _RETURNS.search((getattr(prop.fget, "__doc__", None) or "").splitlines()[0]
                            if getattr(prop.fget, "__doc__", None) else "")
    annotation = _type(match.group("ret"), known) if match else "Any"
    return [f"{indent}{name}: {annotation}"]


def _class(name, cls, known):
    lines = [f"class {name}:"]
    lines += _doc(cls, "    ")
    if isinstance(cls, enum.EnumMeta):
        lines[0] = f"class {name}(enum.IntEnum):"
        lines += [f"    {member.name} = {int(member)}" for member in cls]
        return lines
    if issubclass(cls, tuple) and hasattr(cls, "_fields"):
        lines[0] = f"class {name}(NamedTuple):"
        lines += [f"    {field}: Any" for field in cls._fields]
        return lines
    if hasattr(cls, "__members__"):
        lines += [f"    {member}: {name}" for member in cls.__members__]
        lines += ["    def __init__(self, value: int) -> None: ...",
                  "    def __int__(self) -> int: ...",
                  "    @property", "    def name(self) -> str: ...",
                  "    @property", "    def value(self) -> int: ..."]
        return lines
    if isinstance(getattr(cls, "fields", None), tuple):
        lines.append("    fields: tuple[str, ...]")
    for attr, value in sorted(vars(cls).items()):
        if attr.startswith("_") and attr not in ("__init__", "__len__", "__getitem__",
                                                 "__iter__", "__array__", "__eq__", "__bool__"):
            continue
        if isinstance(value, property):
            lines += _property(attr, value, "    ", known)
        elif isinstance(value, classmethod):
            lines += ["    @classmethod"] + _python_function(attr, value.__func__, "    ")
        elif inspect.isfunction(value):
            lines += _python_function(attr, value, "    ")
        elif callable(value) and hasattr(value, "__doc__") and type(value).__name__ in (
                "instancemethod", "builtin_function_or_method"):
            lines += _builtin(attr, value, "    ", known, True)
        elif type(value).__name__ == "staticmethod":
            lines += ["    @staticmethod"] + _builtin(attr, value.__func__, "    ", known, False)
    return lines


def stubs(package):
    known = {name for name in package.__all__ if inspect.isclass(getattr(package, name))}
    out = ['"""Type stubs of travimo, written from the built package."""',
           "from typing import Any, Callable, Dict, List, Optional, Tuple, Union",
           "from typing import NamedTuple", "import datetime", "import enum", "import os",
           "import numpy", "",
           "__version__: str", f"__all__: list[str]", ""]
    for name in sorted(package.__all__):
        obj = getattr(package, name)
        if inspect.isclass(obj):
            out += _class(name, obj, known) + [""]
        elif inspect.isfunction(obj):
            out += _python_function(name, obj, "") + [""]
        elif callable(obj):
            out += _builtin(name, obj, "", known, False) + [""]
    text = "\n".join(out) + "\n"
    ast.parse(text)  # a stub that does not parse must not ship
    return text


def main():
    sys.path.insert(0, sys.argv[1])
    import travimo  # noqa: E402

    with open(sys.argv[2], "w", encoding="utf-8") as out:
        out.write(stubs(travimo))


if __name__ == "__main__":
    main()
