#!/usr/bin/env bash
# The Wine environment the Windows build runs in: one prefix per build folder (never the
# user's), a Japanese locale so the ANSI code page is 932, and an Xvfb display.
#
# Sourced:   wine_env_use BUILD_DIR     exports the variables; makes the prefix on first use
#            wine_env_reset BUILD_DIR   like wine_env_use, with a fresh copy of the prefix
#            wine_env_start_display     starts Xvfb and exports DISPLAY
#            wine_env_stop              ends this prefix's Wine processes and our Xvfb
# Run:       scripts/wine-env.sh BUILD_DIR COMMAND...
#            runs COMMAND in a fresh prefix on its own display, then stops both.
#
# The pristine prefix (BUILD_DIR/wine/template) is made once, which takes Wine a while;
# the prefix the programs use (BUILD_DIR/wine/prefix) is a copy of it, so a reset is a copy.

wine_env_sudo() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

wine_env_ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  echo "generating the ja_JP.UTF-8 locale" >&2
  wine_env_sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

wine_env_exports() {
  local wine_dir=$1/wine
  export WINEPREFIX=$wine_dir/prefix
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installer dialog waiting for a click that never comes.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # Wine picks the ANSI code page from the locale: ja_JP gives 932 (Shift-JIS).
  export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
  unset LANGUAGE
}

# Runs "$@" with DISPLAY set: the caller's, or a private Xvfb for just this call.
wine_env_with_some_display() {
  if [[ -n ${DISPLAY:-} ]]; then
    "$@"
    return
  fi
  wine_env_start_display
  local status=0
  "$@" || status=$?
  wine_env_stop
  return $status
}

wine_env_make_template() {
  local template=$1
  local partial=$template.partial
  rm -rf "$partial"
  local start=$SECONDS
  echo "creating the Wine prefix (first start of Wine takes a while)" >&2
  (
    export WINEPREFIX=$partial
    wine_env_with_some_display wine_env_init_prefix
  )
  mv "$partial" "$template"
  echo "Wine prefix created in $((SECONDS - start)) s" >&2
}

# Changes whenever the prefix is made differently, so that older templates are made again.
wine_env_template_stamp() {
  echo "$(wine --version) template-2"
}

wine_env_init_prefix() {
  wineboot --init >/dev/null 2>&1
  # Without a window manager (Xvfb) Wine waits about 2 s whenever a dialog closes unless
  # its windows are unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # The program's Japanese font is not in the prefix; IPA's proportional Gothic stands in.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ \
    /d IPAPGothic /f >/dev/null 2>&1
  # A crash must end the program, not leave a modal box waiting for a click.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  wineserver -w
  wine_env_template_stamp >"$WINEPREFIX/.wine-version"
}

wine_env_use() {
  local build_dir
  build_dir=$(cd "$1" && pwd) || return 1
  local wine_dir=$build_dir/wine
  mkdir -p "$wine_dir"
  wine_env_ensure_locale
  wine_env_exports "$build_dir"
  # Two CTest runs may start at once; only one of them makes the prefix.
  (
    flock 9
    # A prefix made by another Wine version would be upgraded again in every copy; one made
    # by an older recipe lacks settings.
    if [[ $(cat "$wine_dir/template/.wine-version" 2>/dev/null) != "$(wine_env_template_stamp)" ]]; then
      rm -rf "$wine_dir/template" "$WINEPREFIX"
      wine_env_make_template "$wine_dir/template"
    fi
    [[ -d $WINEPREFIX ]] || cp -a "$wine_dir/template" "$WINEPREFIX"
  ) 9>"$wine_dir/lock"
}

wine_env_reset() {
  local build_dir
  build_dir=$(cd "$1" && pwd) || return 1
  wine_env_exports "$build_dir"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  wine_env_use "$build_dir"
}

wine_env_start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$number_file" >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  local deadline=$((SECONDS + 20))
  while [[ ! -s $number_file ]]; do
    if ! kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || ((SECONDS > deadline)); then
      echo "Xvfb did not start" >&2
      rm -f "$number_file"
      return 1
    fi
    sleep 0.05
  done
  export DISPLAY=:$(tr -d '[:space:]' <"$number_file")
  rm -f "$number_file"
}

wine_env_stop() {
  if [[ -n ${WINEPREFIX:-} ]]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  if [[ -n ${WINE_ENV_XVFB_PID:-} ]]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    unset WINE_ENV_XVFB_PID DISPLAY
  fi
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  (($# >= 2)) || { echo "usage: $0 BUILD_DIR COMMAND..." >&2; exit 2; }
  build_dir=$1
  shift
  wine_env_reset "$build_dir"
  trap wine_env_stop EXIT
  wine_env_start_display
  # Kept running for the whole command, so each program skips Wine's start-up.
  wineserver -p
  "$@"
fi
