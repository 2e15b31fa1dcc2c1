#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation sample: how many small faults in the plain-C++ layers do the tests catch?

  scripts/mutate.py pick [--count N] [--seed S] > scripts/mutants.txt
      draws a fixed sample of mutants (one operator or constant changed on one line) from
      core/, link/, platform/profile.cpp and shell/ settings and language code.
  scripts/mutate.py run [--sample scripts/mutants.txt] [--work DIR]
      copies the tree to DIR, builds the non-GUI tests once, then for each mutant applies it,
      rebuilds, runs the test programs (the mutated layer's first, stopping at the first
      failure) and restores the file. Prints each verdict and the share caught.

A mutant line is: path <TAB> original line (stripped) <TAB> mutated line (stripped).
Mutants that no longer compile are reported apart and do not count.
"""
import argparse, os, random, re, shutil, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYERS = ['core', 'link', 'platform/profile.cpp', 'shell/settings.cpp', 'shell/language.cpp',
          'shell/settings_location.cpp']
TESTS = {'core': 'rondel_core_tests', 'platform': 'rondel_platform_tests',
         'shell': 'rondel_shell_tests', 'link': 'rondel_link_tests', 'tools': 'rondel_tools_tests'}
ORDER = ['core', 'platform', 'shell', 'link', 'tools']
# A mutant that makes a test program hang is caught when the program runs three times as long
# as on the unmutated tree (at least a minute).
TIMEOUTS = {}

OPERATORS = [(r'(?<=[^<=!>]) <= (?=[^=])', ' < '), (r'(?<=[^<]) < (?=[^<=])', ' <= '),
             (r'(?<=[^>=!<-]) >= ', ' > '), (r'(?<=[^>-]) > (?=[^>=])', ' >= '),
             (r' == ', ' != '), (r' != ', ' == '), (r' && ', ' || '), (r' \|\| ', ' && '),
             (r'(?<=[^+]) \+ (?=[^+=])', ' - '), (r'(?<=[^-]) - (?=[^-=>])', ' + '),
             (r'\btrue\b', 'false'), (r'\bfalse\b', 'true')]
CONSTANT = re.compile(r'(?<![\w.])(0x[0-9A-Fa-f]+|\d+)(?![\w.])')


def sources():
    for layer in LAYERS:
        path = os.path.join(ROOT, layer)
        if os.path.isfile(path):
            yield layer
            continue
        for dirpath, dirnames, files in os.walk(path):
            dirnames[:] = [d for d in dirnames if d != 'qt']
            for f in sorted(files):
                if f.endswith('.cpp'):
                    yield os.path.relpath(os.path.join(dirpath, f), ROOT)


def code_part(line):
    """The line without string/char literals and comments, same length (masked)."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            out.append(' ')
            if c == '\\':
                out.append(' ')
                i += 1
            elif c == quote:
                quote = None
        elif c in '"\'':
            quote = c
            out.append(' ')
        elif line.startswith('//', i):
            out.extend(' ' * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return ''.join(out)[:len(line)]


def candidates():
    for path in sorted(sources()):
        with open(os.path.join(ROOT, path)) as f:
            lines = [l.rstrip('\n') for l in f]
        counts = {}
        for l in lines:
            counts[l.strip()] = counts.get(l.strip(), 0) + 1
        for line in lines:
            text = line.strip()
            if (not text or counts[text] > 1 or text.startswith(('#', '//', '*', '/*'))
                    or 'static_assert' in text or 'assert(' in text):
                continue
            code = code_part(line)
            for pattern, repl in OPERATORS:
                for m in re.finditer(pattern, code):
                    yield path, text, (line[:m.start()] + repl + line[m.end():]).strip()
            for m in CONSTANT.finditer(code):
                lit = m.group(1)
                value = int(lit, 16) if lit.startswith('0x') else int(lit)
                new = hex(value + 1) if lit.startswith('0x') else str(value + 1)
                yield path, text, (line[:m.start()] + new + line[m.end():]).strip()


def pick(args):
    pool = list(candidates())
    random.Random(args.seed).shuffle(pool)
    for path, old, new in pool[:args.count]:
        print(f'{path}\t{old}\t{new}')
    print(f'# {len(pool)} candidates, seed {args.seed}', file=sys.stderr)


LAST_OUTPUT = ['']


def sh(cmd, cwd, timeout=None):
    try:
        done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout)
        LAST_OUTPUT[0] = done.stdout.decode(errors='replace')
        return done.returncode
    except subprocess.TimeoutExpired:
        LAST_OUTPUT[0] = 'timed out'
        return 124


def run_tests(build, first, measure=False):
    order = [first] + [t for t in ORDER if t != first]
    for layer in order:
        exe = os.path.join(build, 'tests', TESTS[layer])
        if not os.path.exists(exe):
            continue
        start = time.time()
        if sh([exe, '--gtest_brief=1', '--gtest_fail_fast'], build, TIMEOUTS.get(layer)) != 0:
            return layer
        if measure:
            TIMEOUTS[layer] = max(60, 3 * (time.time() - start))
    return None


def run(args):
    work = os.path.abspath(args.work)
    src = os.path.join(work, 'src')
    build = os.path.join(work, 'build')
    if os.path.exists(src):
        shutil.rmtree(src)
    files = subprocess.run(['git', 'ls-files', '-co', '--exclude-standard'], cwd=ROOT,
                           stdout=subprocess.PIPE, text=True, check=True).stdout.split('\n')
    for f in filter(None, files):
        if os.path.isfile(os.path.join(ROOT, f)):
            os.makedirs(os.path.dirname(os.path.join(src, f)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, f), os.path.join(src, f))
    configure = ['cmake', '-S', src, '-B', build, '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=RelWithDebInfo',
                 '-DRONDEL_GUI=OFF', '-DRONDEL_BENCH=OFF']
    configure += args.cmake
    if sh(configure, work) != 0 or sh(['cmake', '--build', build, '-j', str(args.jobs)], work) != 0:
        sys.exit('the unmutated tree does not build')
    failed = run_tests(build, 'core', measure=True)
    if failed is not None:
        # The failures, not the tests a fail-fast run skipped after them.
        kept = [l for l in LAST_OUTPUT[0].split('\n') if l.strip() and 'Skipped' not in l]
        print('\n'.join(kept)[-4000:])
        sys.exit(f'the unmutated tree fails its {failed} tests')
    sample = [l.rstrip('\n').split('\t') for l in open(args.sample)
              if l.strip() and not l.startswith('#')]
    caught, survived, stillborn, missing = [], [], [], []
    for i, (path, old, new) in enumerate(sample, 1):
        target = os.path.join(src, path)
        original = open(target).read()
        lines = original.split('\n')
        hits = [n for n, l in enumerate(lines) if l.strip() == old]
        if len(hits) != 1:
            missing.append((path, old, new))
            print(f'[{i:2}] gone      {path}: {old}', flush=True)
            continue
        n = hits[0]
        indent = lines[n][:len(lines[n]) - len(lines[n].lstrip())]
        lines[n] = indent + new
        start = time.time()
        try:
            open(target, 'w').write('\n'.join(lines))
            if sh(['cmake', '--build', build, '-j', str(args.jobs)], work) != 0:
                stillborn.append((path, old, new))
                verdict = 'stillborn'
            else:
                by = run_tests(build, path.split('/')[0])
                (caught if by else survived).append((path, old, new))
                verdict = f'caught by {by}' if by else 'SURVIVED'
        finally:
            open(target, 'w').write(original)
        print(f'[{i:2}] {verdict:9} {path}: {old}  =>  {new}  ({time.time() - start:.0f} s)',
              flush=True)
    sh(['cmake', '--build', build, '-j', str(args.jobs)], work)
    valid = len(caught) + len(survived)
    print(f'\ncaught {len(caught)} of {valid} ({100 * len(caught) / max(valid, 1):.0f} %); '
          f'{len(stillborn)} did not compile, {len(missing)} no longer apply')
    for path, old, new in survived:
        print(f'  survived: {path}: {old}  =>  {new}')


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = p.add_subparsers(dest='cmd', required=True)
    a = sub.add_parser('pick')
    a.add_argument('--count', type=int, default=48)
    a.add_argument('--seed', type=int, default=14)
    b = sub.add_parser('run')
    b.add_argument('--sample', default=os.path.join(ROOT, 'scripts', 'mutants.txt'))
    b.add_argument('--work', default=os.path.join(ROOT, 'build-mutants'))
    b.add_argument('--jobs', type=int, default=2)
    b.add_argument('--cmake', nargs='*', default=[])
    args = p.parse_args()
    pick(args) if args.cmd == 'pick' else run(args)


if __name__ == '__main__':
    main()
