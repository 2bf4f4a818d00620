#!/usr/bin/env bash
# Sourced by the demo scripts: start_filmsite BUILD PORT starts the local film site on
# 127.0.0.1:PORT (or uses one that already listens there), exports KINORA_SITE_URL and
# stops the site when the calling script ends.
start_filmsite() {
  local build=$1 port=$2
  export KINORA_SITE_URL="http://127.0.0.1:$port/"
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "Film site: $KINORA_SITE_URL (already running)"
    return 0
  fi
  "$build/kinora-filmsite" --port "$port" >"$build/filmsite.log" 2>&1 &
  filmsite_pid=$!
  trap 'kill "$filmsite_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    if grep -q '^Listening on' "$build/filmsite.log" 2>/dev/null; then
      echo "Film site: $KINORA_SITE_URL (log: $build/filmsite.log)"
      return 0
    fi
    kill -0 "$filmsite_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "The film site did not start:" >&2
  cat "$build/filmsite.log" >&2
  return 1
}
