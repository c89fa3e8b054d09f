#!/usr/bin/env python3
"""Runs qelt-engine-bench's mix and chain cases with interleaved repetitions and
prints ns per voice-frame for the reference (the mix as it was) and each new
path side by side, best of the repetitions, with the speed-up over the
reference.

    bench/engine/mix_table.py [BENCH] [REPETITIONS] [FILTER]
"""
import collections
import json
import re
import subprocess
import sys

bench = sys.argv[1] if len(sys.argv) > 1 else 'build/native/bench/engine/qelt-engine-bench'
repetitions = sys.argv[2] if len(sys.argv) > 2 else '10'
pattern = sys.argv[3] if len(sys.argv) > 3 else '^(mix|chain)/'
result = subprocess.run([bench, '--benchmark_filter=' + pattern, '--benchmark_min_time=0.05',
                         '--benchmark_repetitions=' + repetitions, '--benchmark_enable_random_interleaving=true',
                         '--benchmark_format=json'], capture_output=True, text=True, check=True)
best = collections.defaultdict(lambda: float('inf'))
for run in json.loads(result.stdout)['benchmarks']:
    if run.get('run_type') == 'iteration' and 'per_voice_frame' in run:
        best[run['run_name']] = min(best[run['run_name']], run['per_voice_frame'] * 1e9)
cases = collections.OrderedDict()
for name, ns in best.items():
    m = re.match(r'(\w+)/(\w+)/voices:(\d+)/frames:(\d+)', name)
    cases.setdefault((m.group(1), int(m.group(3)), int(m.group(4))), {})[m.group(2)] = ns
paths = [p for p in ('reference', 'sse2', 'avx2') if any(p in r for r in cases.values())]
print('%-6s %6s %6s' % ('', 'voices', 'frames') + ''.join('%11s' % p for p in paths) +
      ''.join('%11s' % ('x ' + p) for p in paths[1:]))
for (kind, voices, frames), r in sorted(cases.items()):
    print('%-6s %6d %6d' % (kind, voices, frames) + ''.join('%11.3f' % r[p] for p in paths) +
          ''.join('%11.2f' % (r['reference'] / r[p]) for p in paths[1:]))
