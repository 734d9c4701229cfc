"""The defaults agree wherever they are stated: every default a program's
--help prints (from the values its options are bound to) is the default of
the Python function standing for the program, where that function's
parameter is None (the program's default, no option passed) or the same
value; and config/config.yaml states the defaults it names as the programs
print them.

Usage: check_defaults.py BUILD_DIR SOURCE_DIR"""

import ast
import re
import subprocess
import sys
from pathlib import Path

# The Python functions and the programs they stand for.
FUNCTIONS = {"discover": "zelkova-discover", "scan": "zelkova-scan", "enrich": "zelkova-enrich",
             "compare": "zelkova-compare"}
PROGRAMS = ["zelkova-discover", "zelkova-scan", "zelkova-enrich", "zelkova-compare", "zelkova-markov",
            "zelkova-export", "zelkova-aggregate"]

# "  -l, --lengths L,L,...   motif lengths, ...": the long name and the help.
OPTION = re.compile(r"^  (?:-\w, |    )(--[\w-]+)(?: \S+)?\s{2,}(.*)$")
# "(default 8,12,16)", "default\n0.8)", "(default 5, or ...)"; "default:" is
# followed by words ("every processor"), not a value.
STATED = re.compile(r"(?:\(|; )default ([^\s),;]+(?:,[^\s),;]+)*)")
LEADING = re.compile(r"^(\S+) \(default\)")  # "tsv (default), bed or gff3"


def option_helps(help_text):
    """The help of every option, its lines joined: {"--lengths": "..."}."""
    helps, current = {}, None
    for line in help_text.splitlines():
        match = OPTION.match(line)
        if match:
            current = match.group(1)
            helps[current] = match.group(2)
        elif current and line.startswith("    "):
            helps[current] += " " + line.strip()
        else:
            current = None
    return helps


def help_defaults(build, program):
    text = subprocess.run([str(build / program), "--help"], capture_output=True, text=True, check=True).stdout
    defaults = {}
    for option, help_line in option_helps(text).items():
        leading = LEADING.match(help_line)
        stated = STATED.search(help_line)
        if leading or stated:
            defaults[option] = (leading or stated).group(1)
    return defaults


def python_defaults(source):
    """{function: {parameter: default}} of the module's functions, read from
    its source (literals, or names of the module's literal constants)."""
    tree = ast.parse((source / "python" / "zelkova" / "__init__.py").read_text())
    constants = {target.id: node.value for node in tree.body if isinstance(node, ast.Assign)
                 for target in node.targets if isinstance(target, ast.Name)}

    def value_of(node):
        return ast.literal_eval(constants.get(node.id, node) if isinstance(node, ast.Name) else node)

    found = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef) and node.name in FUNCTIONS:
            args = node.args
            named = args.args[len(args.args) - len(args.defaults):] + args.kwonlyargs
            values = list(args.defaults) + list(args.kw_defaults)
            found[node.name] = {a.arg: value_of(v) for a, v in zip(named, values) if v is not None}
    return found


def same(python_value, stated):
    if isinstance(python_value, (int, float)):
        try:
            return float(stated) == float(python_value)
        except ValueError:
            return False
    if isinstance(python_value, (tuple, list)):
        return ",".join(map(str, python_value)) == stated
    return str(python_value) == stated


def check_python(defaults, source):
    faults = []
    functions = python_defaults(source)
    for function, program in FUNCTIONS.items():
        for parameter, value in functions[function].items():
            option = "--" + parameter.replace("_", "-")
            if value is None or isinstance(value, bool):  # the program's default; a flag or a switch
                continue
            stated = defaults[program].get(option)
            if stated is None or not same(value, stated):
                faults.append(f"zelkova.{function}({parameter}={value!r}): {program} {option} states "
                              f"{stated or 'no default'}; give None for the program's default")
    return faults


def check_config(defaults, source):
    text = (source / "config" / "config.yaml").read_text()
    faults = []
    lengths = re.search(r"default of\s*#?\s*zelkova-discover \(([^)]*)\)", text)
    stated = defaults["zelkova-discover"]["--lengths"]
    if not lengths or lengths.group(1).replace(" ", "") != stated:
        faults.append(f"config.yaml: the default lengths of zelkova-discover are {stated}, "
                      f"not {lengths.group(1) if lengths else 'missing'}")
    top = re.search(r"(?m)^top: (\S+)", text)
    if not top or top.group(1) != defaults["zelkova-aggregate"]["--top"]:
        faults.append(f"config.yaml: top is {top.group(1) if top else 'missing'}, "
                      f"zelkova-aggregate --top defaults to {defaults['zelkova-aggregate']['--top']}")
    return faults


def main():
    build, source = Path(sys.argv[1]), Path(sys.argv[2])
    defaults = {program: help_defaults(build, program) for program in PROGRAMS}
    faults = check_python(defaults, source) + check_config(defaults, source)
    for fault in faults:
        print(fault)
    for program in PROGRAMS:
        print(program, " ".join(f"{o}={v}" for o, v in defaults[program].items()))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
