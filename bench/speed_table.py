#!/usr/bin/env python3
"""Runs a Google Benchmark program's cases with interleaved repetitions and
prints, for each case, the paths or builds side by side (best of the
repetitions) with each one's gain over the reference, so that load from other
work on the machine falls on all of them alike.

A case is named KIND/PATH/ARG:VALUE/...: mix/sse2/voices:32/frames:512,
lv2/build/voices:1/frames:64, demo/vst/reference/frames:512. Cases reporting
per_voice_frame are shown in ns per voice-frame (less is faster); those
reporting realtime in real-time factor (more is faster).

    bench/speed_table.py BENCH [REPETITIONS] [FILTER] [-- PROGRAM ARGUMENTS]

    bench/speed_table.py build/native/bench/engine/qelt-engine-bench 12 '^(mix|chain)/'
    bench/speed_table.py build/linux/bench/lv2/qelt-lv2-bench 12 . -- --reference before/Qelt-epiano.lv2
    bench/speed_table.py build/linux/bench/render-midi/qelt-render-bench 12 '^demo/' -- --reference before/Qelt-epiano.so
"""
import collections
import json
import subprocess
import sys

args = sys.argv[1:]
extra = []
if '--' in args:
    extra = args[args.index('--') + 1:]
    args = args[:args.index('--')]
bench = args[0] if args else 'build/native/bench/engine/qelt-engine-bench'
repetitions = args[1] if len(args) > 1 else '10'
pattern = args[2] if len(args) > 2 else '^(mix|chain)/'
result = subprocess.run([bench] + extra + ['--benchmark_filter=' + pattern, '--benchmark_min_time=0.05',
                         '--benchmark_repetitions=' + repetitions, '--benchmark_enable_random_interleaving=true',
                         '--benchmark_format=json'], capture_output=True, text=True)
if result.returncode != 0:
    sys.exit(result.stderr or '%s failed (status %d)' % (bench, result.returncode))

best = {}
cases = collections.OrderedDict()
paths = []
for run in json.loads(result.stdout)['benchmarks']:
    if run.get('run_type') != 'iteration' or run.get('error_occurred'):
        continue
    if 'per_voice_frame' in run:
        value, lower = run['per_voice_frame'] * 1e9, True
    elif 'realtime' in run:
        value, lower = run['realtime'], False
    else:
        continue
    parts = [p for p in run['run_name'].split('/') if p not in ('manual_time', 'real_time', 'process_time')]
    numbers = [p for p in parts if ':' in p]
    names = [p for p in parts if ':' not in p]
    kind, path = '/'.join(names[:-1]) or names[0], names[-1]
    key = (kind, tuple(int(n.split(':')[1]) for n in numbers))
    labels = tuple(n.split(':')[0] for n in numbers)
    row = cases.setdefault(key, {'labels': labels, 'lower': lower})
    if path not in row:
        row[path] = value
    row[path] = min(row[path], value) if lower else max(row[path], value)
    if path not in paths:
        paths.append(path)

paths.sort(key=lambda p: p != 'reference')  # the reference first, the rest as they came
gains = paths[1:] if paths and paths[0] == 'reference' else []
for labels in sorted(set(r['labels'] for r in cases.values())):
    print('%-10s' % '' + ''.join('%8s' % l for l in labels) + ''.join('%11s' % p for p in paths) +
          ''.join('%11s' % ('x ' + p) for p in gains))
    for (kind, numbers), r in sorted(cases.items()):
        if r['labels'] != labels:
            continue
        cells = ''.join('%11.3f' % r[p] if p in r else '%11s' % '-' for p in paths)
        for p in gains:
            if p in r and 'reference' in r:
                cells += '%11.2f' % (r['reference'] / r[p] if r['lower'] else r[p] / r['reference'])
            else:
                cells += '%11s' % '-'
        print('%-10s' % kind + ''.join('%8d' % n for n in numbers) + cells)
