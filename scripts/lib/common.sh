# Shared by the scripts: where things are, package installs, Xvfb and Wine.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${ORVANE_BUILD:-$ROOT/build}
JOBS=${ORVANE_JOBS:-$(nproc)}

say() { printf '%s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Debian packages every build needs. wine32:i386 is only usable where the
# kernel runs 32-bit code; it is installed all the same.
PACKAGES=(cmake make g++ wine wine64 wine32:i386
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  xvfb x11-utils imagemagick fonts-liberation fonts-wqy-microhei fonts-wine
  libcli11-dev nlohmann-json3-dev libssl-dev libunistring-dev libcurl4-openssl-dev)

ensure_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" = 0 ] || die "missing packages (${missing[*]}); run as root to install them"
  say "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || die "cannot add the i386 architecture"
  fi
  apt-get update -qq >/dev/null || die "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || die "could not install: ${missing[*]}"
}

# Starts a virtual X display unless one is given; sets DISPLAY.
start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 130); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$XVFB_PID" 2>/dev/null
  done
  die "could not start a virtual display (Xvfb)"
}

stop_xvfb() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null; XVFB_PID=; }

# Can this machine run 32-bit Windows programs? (Some kernels have 32-bit
# execution switched off; then the tests run the x86_64 build of the same
# sources under 64-bit Wine.)
can_run_win32() {
  [ -x /usr/lib/wine/wine ] || return 1
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_loader() { if [ "$1" = win32 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi; }

wine_server() {
  if [ -x /usr/lib/wine/wineserver64 ]; then /usr/lib/wine/wineserver64 "$@"; else wineserver "$@"; fi
}

# A Wine prefix of the project's own, with fonts mapped for the dialogs.
ensure_wineprefix() {
  local arch=$1 loader
  loader=$(wine_loader "$arch")
  export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix-$arch}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ "$arch" = win32 ] && export WINEARCH=win32 || export WINEARCH=win64
  # Window frames draw their symbols (the close box) in Marlett, from
  # fonts-wine; this Wine finds it only in the prefix's own fonts folder.
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  [ -f "$WINEPREFIX/.orvane-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  say "creating the Wine prefix $WINEPREFIX"
  "$loader" wineboot -i >/dev/null 2>&1 || die "wineboot failed for $WINEPREFIX"
  "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial Narrow' /t REG_SZ /d 'Liberation Sans Narrow' /f >/dev/null 2>&1
  # A virtual desktop: windows get frames without a window manager, and Wine
  # does not wait for one each time a window is hidden.
  "$loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
  "$loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1000 /f >/dev/null 2>&1
  local face
  for face in Arial 'Liberation Sans' Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  done
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  wine_server -w
  touch "$WINEPREFIX/.orvane-ready"
}

# Keeps one wineserver, with Wine's own background programs, for the whole
# run: started here with their output going nowhere, they do not hold the
# output pipe of the first test program open, and each test starts fast.
start_wine_session() {
  wine_server -p 2>/dev/null || true
  "$(wine_loader "$1")" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# cmake configure + build of one build tree.
build_tree() {
  local dir=$1; shift
  mkdir -p "$dir"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; die "cmake configure failed for $dir"; }
  cmake --build "$dir" -j "$JOBS" >"$dir.build.log" 2>&1 \
    || { tail -60 "$dir.build.log"; die "build failed for $dir (log: $dir.build.log)"; }
}
