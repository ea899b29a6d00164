# Sourced by the Win32 scripts that drive the installer's wizard, after
# scripts/wine-env.sh and with $work and $build set: its controls as
# control_probe.exe reads them.
probe_out="$work/probe.txt"
control() { # TAG: "ID X Y W H VISIBLE ENABLED CHECKED TEXT" of the wizard's control
  rm -f "$probe_out"
  $WINE "$build/bin/control_probe.exe" "$(windows_path "$probe_out")" Kestrup "$1" >/dev/null 2>&1 || true
  [[ ! -f "$probe_out" ]] || tr -d '\r' <"$probe_out"
}
wait_field() { # TAG FIELD VALUE: up to 60 s
  for _ in $(seq 300); do
    [[ "$(awk -v f="$2" '{ print $f }' <<<"$(control "$1")")" == "$3" ]] && return 0
    sleep 0.2
  done
  return 1
}
focused() { # the control ID with the keyboard focus
  rm -f "$probe_out"
  $WINE "$build/bin/control_probe.exe" "$(windows_path "$probe_out")" Kestrup focus >/dev/null 2>&1 || true
  [[ ! -f "$probe_out" ]] || awk '{ print $2 ":" $3 }' <"$probe_out" | tr -d '\r'
}
