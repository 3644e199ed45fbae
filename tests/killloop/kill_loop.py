#!/usr/bin/env python3
"""Kills kill_loop_writer with SIGKILL at random moments, again and again, and
after each kill checks the catalogue: the engine's integrity check, and every
change the writer had done (its "done" line) still there, the one under way
either there or not. Prints the figures; exits 1 when a file is corrupt or a
change is lost."""
import argparse, hashlib, os, random, signal, sqlite3, subprocess, sys, tempfile, time

def expected_state(log):
    """For each key, the last done value and the values of changes begun after
    it that never were done (the writer was killed between its write and its
    note): the file may hold any of those."""
    allowed, acknowledged = {}, 0
    for line in log:
        parts = line.split()
        if len(parts) < 3:
            continue
        kind, what, key, value = parts[0], parts[1], parts[2], (parts[3] if len(parts) > 3 else '')
        if kind == 'begin':
            allowed.setdefault((what, key), [None, set()])[1].add(value)
        elif kind == 'done':
            allowed[(what, key)] = [value, set()]
            acknowledged += 1
        elif kind == 'failed':
            allowed.setdefault((what, key), [None, set()])[1].discard(value)
    return allowed, acknowledged

def stored(db, what, key):
    if what == 'cover':
        row = db.execute('select picture from quelto_covers where record_id = ?', (int(key),)).fetchone()
        return hashlib.sha1(row[0]).hexdigest() if row else None
    if what == 'note':
        row = db.execute('select quelto_notes from archive where quelto_id = ?', (int(key),)).fetchone()
        return row[0].encode('latin-1').hex() if row and row[0] is not None else None
    if what == 'tape':
        row = db.execute('select length_minutes from quelto_tapes where catalog = ?', (key,)).fetchone()
        return str(row[0]) if row else None
    if what == 'loan':
        try:
            row = db.execute('select count(*) from quelto_loans where catalog = ? and returned is null', (key,)).fetchone()
        except sqlite3.OperationalError:
            return 'home'
        return 'out' if row[0] else 'home'
    raise ValueError(what)

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--writer', required=True)
    parser.add_argument('--kills', type=int, default=100)
    parser.add_argument('--seed', type=int, default=7)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix='quelto-kill-loop-')
    path = os.path.join(work, 'kill.mdb')
    log_path = os.path.join(work, 'changes.log')
    corrupt = lost = 0
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    for kill in range(args.kills):
        writer = subprocess.Popen([args.writer, path, log_path], env=env, stderr=subprocess.DEVNULL)
        # Let it set up, then kill it somewhere in the middle of its writes.
        time.sleep((0.4 if kill == 0 else 0.05) + rng.random() * 0.3)
        writer.send_signal(signal.SIGKILL)
        writer.wait()
        with open(log_path) as f:
            allowed, acknowledged = expected_state(f.read().splitlines())
        # Opened as Quelto opens it: a write cut off by the kill is rolled back first.
        db = sqlite3.connect(path)
        try:
            check = [r[0] for r in db.execute('pragma integrity_check')]
        except sqlite3.DatabaseError as error:
            check = [str(error)]
        if check != ['ok']:
            corrupt += 1
            print('kill %d: not sound: %s' % (kill, check[:3]))
            db.close()
            continue
        lost_now = 0
        for (what, key), (value, maybe) in allowed.items():
            if value is None:
                continue  # never acknowledged
            now = stored(db, what, key)
            if now != value and now not in maybe:
                lost_now += 1
                print('kill %d: %s %s is %s, not %s' % (kill, what, key, now, value))
        lost = max(lost, lost_now)
        db.close()
    print('kills: %d, corrupt files: %d, acknowledged changes: %d, lost (most at one time): %d'
          % (args.kills, corrupt, acknowledged, lost))
    return 1 if corrupt or lost else 0

if __name__ == '__main__':
    sys.exit(main())
