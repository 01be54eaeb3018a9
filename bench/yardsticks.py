"""Command lines of the comparison tools for a list of literal find/replace rules.

Each rule is applied to every page in the given order, as Quelbo applies its pairs: sed -i
and perl -pi get all rules in one program, sd gets one call per rule. A rule's find text may
end in LF (the "</li>" + LF rule); it must hold no other line break, since sed and perl see a
page one line at a time.
"""

import re

SED_FIND_SPECIALS = set("\\/.*[]^$")
SED_REPLACE_SPECIALS = set("\\/&")
PERL_DELIMITERS = "|#!%,;:~"


def _check(rules):
    for rule in rules:
        find = rule["find"]
        if not find:
            raise ValueError("empty find text")
        if "\n" in find[:-1] or "\r" in find:
            raise ValueError(f"find text spans lines: {find!r}")
        if "\\" in find or "\\" in rule["replace"]:
            raise ValueError("backslashes are not supported in the rules")


def _split_line_end(find):
    return (find[:-1], True) if find.endswith("\n") else (find, False)


def _sed_escape(text, specials):
    out = []
    for c in text:
        if c == "\r":
            out.append("\\r")
        elif c == "\n":
            out.append("\\n")
        elif c in specials:
            out.append("\\" + c)
        else:
            out.append(c)
    return "".join(out)


def sed_arguments(rules):
    """Arguments after "sed -i": one -e expression per rule."""
    _check(rules)
    args = []
    for rule in rules:
        find, at_line_end = _split_line_end(rule["find"])
        replace = rule["replace"]
        if at_line_end:
            # sed holds a line without its LF: the rule becomes "at the end of the line", and
            # the LF of the replacement is the line's own.
            if not replace.endswith("\n"):
                raise ValueError("a rule that finds a line end must keep it")
            replace = replace[:-1]
        pattern = _sed_escape(find, SED_FIND_SPECIALS) + ("$" if at_line_end else "")
        args += ["-e", f"s/{pattern}/{_sed_escape(replace, SED_REPLACE_SPECIALS)}/g"]
    return args


def perl_program(rules):
    """The program for "perl -pi -e": the find texts quoted with \\Q...\\E."""
    _check(rules)
    texts = "".join(r["find"] + r["replace"] for r in rules)
    delimiter = next((d for d in PERL_DELIMITERS if d not in texts), None)
    if delimiter is None:
        raise ValueError("no free delimiter for perl")

    def quoted(text):
        # \Q...\E quotes regex metacharacters; $ and @ would still interpolate, and the
        # delimiter would end the pattern.
        return re.sub(r"([$@" + re.escape(delimiter) + "])", r"\\\1", text)

    statements = []
    for rule in rules:
        find, at_line_end = _split_line_end(rule["find"])
        pattern = f"\\Q{quoted(find)}\\E" + ("\\n" if at_line_end else "")
        replace = quoted(rule["replace"]).replace("\r", "\\r").replace("\n", "\\n")
        d = delimiter
        statements.append(f"s{d}{pattern}{d}{replace}{d}g;")
    return " ".join(statements)


def sd_calls(rules):
    """One argument list per rule, to follow "sd": string mode, the texts as they are."""
    _check(rules)
    return [["-s", rule["find"], rule["replace"]] for rule in rules]
