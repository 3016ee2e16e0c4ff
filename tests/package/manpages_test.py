#!/usr/bin/env python3
"""The manual pages say what the programs' own help says.

For fiskon-cli: every command of `fiskon-cli --help` stands in both pages (Polish and English)
with exactly its arguments, no page names a command the program does not have, and the Polish
page gives each command's description word for word. For fiskon: every option of `fiskon --help`
is described in both pages.

  manpages_test.py FISKON FISKON_CLI MAN_FOLDER
"""
import re
import subprocess
import sys
from pathlib import Path


def unroff(text):
    """The words of a roff source line, without its font changes and escapes."""
    text = re.sub(r'\\f[BIRP]', '', text)
    text = text.replace('\\-', '-').replace('\\(->', '→').replace('\\\\', '\\')
    return ' '.join(text.split())


def page_entries(path):
    """(term, description) of each .TP paragraph of a page."""
    lines = path.read_text(encoding='utf-8').splitlines()
    entries = []
    for i, line in enumerate(lines):
        if line != '.TP' or i + 1 >= len(lines):
            continue
        term = unroff(re.sub(r'^\.(B|I|BR|IR)\s+', '', lines[i + 1]))
        body = []
        for following in lines[i + 2:]:
            if following.startswith('.TP') or following.startswith('.SH'):
                break
            body.append(unroff(re.sub(r'^\.(B|I|BR|IR)\s+', '', following)))
        entries.append((term, ' '.join(body)))
    return entries


def cli_commands(fiskon_cli):
    help_text = subprocess.run([fiskon_cli, '--help'], capture_output=True, text=True, check=True).stdout
    commands = {}
    lines = help_text.splitlines()
    start = lines.index('Polecenia:')
    for synopsis, summary in zip(lines[start + 1::2], lines[start + 2::2]):
        name = synopsis.split()[0]
        commands[name] = (' '.join(synopsis.split()), ' '.join(summary.split()))
    return commands


def main():
    fiskon, fiskon_cli, folder = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    faults = []
    commands = cli_commands(fiskon_cli)
    if not commands:
        faults.append('fiskon-cli --help lists no command')
    for language, page in (('pl', folder / 'pl' / 'fiskon-cli.1'), ('en', folder / 'fiskon-cli.1')):
        entries = {term.split()[0]: (term, body) for term, body in page_entries(page)
                   if term and not term[0].isdigit()}
        for name, (synopsis, summary) in commands.items():
            if name not in entries:
                faults.append(f'{page}: no command {name}')
                continue
            term, body = entries[name]
            if term != synopsis:
                faults.append(f'{page}: {name} reads\n    {term}\n  but the program says\n    {synopsis}')
            if language == 'pl' and body != summary:
                faults.append(f'{page}: the description of {name} differs from the program\'s:\n    {body}\n    {summary}')
        for name in entries:
            if name not in commands:
                faults.append(f'{page}: {name} is not a command of fiskon-cli')

    usage = subprocess.run([fiskon, '--help'], capture_output=True, text=True, check=True).stdout
    options = re.findall(r'^\s+(--[a-z-]+|PLIK)\s', usage, re.M)
    if len(options) < 3:
        faults.append('fiskon --help lists fewer options than expected:\n' + usage)
    for page in (folder / 'pl' / 'fiskon.1', folder / 'fiskon.1'):
        terms = {term for term, _ in page_entries(page)}
        for option in options:
            if option == 'PLIK':
                if not terms & {'PLIK', 'FILE'}:
                    faults.append(f'{page}: the file argument is not described')
            elif option not in terms:
                faults.append(f'{page}: the option {option} is not described')

    version = subprocess.run([fiskon_cli, '--version'], capture_output=True, text=True)
    if version.returncode != 0 or not version.stdout.startswith('fiskon-cli '):
        faults.append(f'fiskon-cli --version: exit {version.returncode}, {version.stdout!r}')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
