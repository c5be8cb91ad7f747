# Sourced by the scripts that run Windows programs: a private Wine prefix with the Chinese
# locale and legible fonts, a private Xvfb display, and a cleanup that ends only what we started.

tessa_wine_exports() {
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

# Imports a .reg text (UTF-8 here) into the prefix; regedit wants UTF-16LE with a BOM.
tessa_wine_import_reg() {
  local text="$1" file
  file=$(mktemp --suffix=.reg)
  printf '%s' "$text" | iconv -f UTF-8 -t UTF-16 >"$file"
  wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1
  rm -f "$file"
}

# Creates a new prefix in $1: about 10 s.
tessa_wine_prefix_create() {
  tessa_wine_exports "$1"
  mkdir -p "$1"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  tessa_wine_import_reg 'Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Zen Hei"
"SimSun"="WenQuanYi Zen Hei"
"Tahoma"="WenQuanYi Zen Hei"
"MS Shell Dlg"="WenQuanYi Zen Hei"
"MS Shell Dlg 2"="WenQuanYi Zen Hei"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
'
  # The desktop settings take effect when the server starts again.
  wineserver -w
}

# Starts Xvfb on a free display and exports DISPLAY; remembers its pid.
tessa_xvfb_start() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    TESSA_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      kill -0 "$TESSA_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "Xvfb did not start" >&2
  return 1
}

# Ends the prefix's Wine processes and our Xvfb, nothing else.
tessa_wine_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${TESSA_XVFB_PID:-}" ]; then
    kill "$TESSA_XVFB_PID" 2>/dev/null || true
    wait "$TESSA_XVFB_PID" 2>/dev/null || true
    TESSA_XVFB_PID=
  fi
}

# Keeps the prefix's server up between programs and starts its services with their output going
# nowhere: services started later from inside ctest would inherit its pipe and keep it waiting.
tessa_wine_start_server() {
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
