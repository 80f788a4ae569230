# Sourced by the scripts that need an X server of their own.
#
# private_display FILE: starts Xvfb on a display number the server picks
# itself (written to FILE), so that parallel runs never share or lose each
# other's display; waits for it and exports DISPLAY. The server's pid is in
# display_pid from the start, for the caller's cleanup. Fails when the server
# does not come up within 5 s.
# -noreset: by default the server resets whenever its last client leaves, and
# a client that connects during the reset fails to open the display.
private_display() {
  local file=$1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  display_pid=$!
  for _ in $(seq 100); do
    [ -s "$file" ] && break
    sleep 0.05
  done
  [ -s "$file" ] || return 1
  export DISPLAY=":$(head -n1 "$file")"
}
