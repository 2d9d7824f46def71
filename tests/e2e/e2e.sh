#!/usr/bin/env bash
# End-to-end: the real tivora program on a desktop of its own (Xvfb, openbox, a private session
# bus with the tray host stand-in), driven as a user drives it — pointer and keys through the X
# server (xdotool), the tray through its D-Bus interfaces — under a temporary HOME, against the
# demo server on 127.0.0.1 and a catalogue of its own, with a recording stub as the browser.
#
# Usage: tests/e2e/e2e.sh GROUP BUILD_DIR PAGE_POINT CFG_TOOL SEARCH_BASE
#   GROUP  launch | place | tray | game | keys | a11y
# Ends 0 when every step of the group held, 77 when something it needs is not installed, else 1
# naming the step, with the logs of the bar, the stub and the demo server.
set -u

group=${1:?group}
build=$(cd "${2:?build folder}" && pwd) || exit 2
page_point=${3:?page point program}
cfg_tool=${4:?catalogue tool}
search_base=${5:?search base address}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/desktop.sh
source "$here/../../scripts/lib/desktop.sh"

needed=(Xvfb openbox xdotool dbus-daemon gdbus)
[ "$group" = game ] && needed+=(chromium)
missing=$(missing_programs "${needed[@]}")
if [ "$group" = a11y ]; then
  # The accessibility bus and the library screen readers are built on.
  [ -x /usr/libexec/at-spi-bus-launcher ] || [ -x /usr/lib/at-spi2-core/at-spi-bus-launcher ] ||
    missing="$missing at-spi-bus-launcher"
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing="$missing python3-pyatspi"
  missing=${missing# }
fi
if [ -n "$missing" ]; then
  echo "SKIP: not installed: $missing"
  exit 77
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tivora-e2e.XXXXXX")
bars=() server=
cleanup() {
  local pid
  for pid in "${bars[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  # The automation browser outlives the bar by design: end the one that runs on this profile.
  for pid in $(pgrep -f -- "--user-data-dir=$dir/"); do
    kill "$pid" 2>/dev/null
  done
  # It writes its profile as it ends: the folder goes once it has.
  wait_until 10 eval '! pgrep -f -- "--user-data-dir=$dir/" >/dev/null'
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  desktop_stop
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

fail() {
  echo "FAIL ($group): $*" >&2
  for log in "$dir/browser.log" "$dir/data/Tivora/errors.log" "$dir/demo.log" "$dir/bar.log"; do
    [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
  done
  exit 1
}

# --- the user's folders, the stub browser, the catalogue and the demo server ---------------
isolated_home "$dir"
mkdir -p "$dir/bin"

# One line per start, the arguments as given.
cat >"$dir/bin/browser" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>'$dir/browser.log'
EOF
chmod +x "$dir/bin/browser"
touch "$dir/browser.log"
if [ "$group" = launch ]; then
  # The user's default web browser, chosen through the desktop's MIME associations: the stub
  # under a known browser's name, so that it gets that browser's options.
  ln -s browser "$dir/bin/firefox"
  mkdir -p "$dir/data/applications"
  printf '[Desktop Entry]\nType=Application\nName=E2E browser\nExec="%s" %%u\n' \
    "$dir/bin/firefox" >"$dir/data/applications/e2e-browser.desktop"
  printf '[Default Applications]\nx-scheme-handler/http=%s\nx-scheme-handler/https=%s\n' \
    e2e-browser.desktop e2e-browser.desktop >"$dir/config/mimeapps.list"
else
  export TIVORA_BROWSER="$dir/bin/browser"
fi

# The program reads its catalogue beside itself: a copy of it gets one whose addresses are
# those of this run's demo server. Two favourites, a plain one and a controlled full-screen one
# (favourites stand in name order), and two games for the drop-down. The keyboard and the
# screen reader's groups have a third favourite first, so that the second one is plain.
cp "$build/tivora" "$build/tivora-browser-host" "$build/tivora-transfer" "$dir/bin/" || fail "cannot copy the program"
pictures="$here/../../res/sample"
extra_games=''
write_catalogue() {
  local base="http://127.0.0.1:$1"
  if [ "$group" = keys ] || [ "$group" = a11y ]; then
    extra_games="  <game name=\"Checkers\" url=\"$base/games/checkers.html\" picture=\"$pictures/checkers.png\" flags=\"favorite\"/>"
  fi
  cat >"$dir/catalogue.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<catalogue>
  <texts>
    ProductVersion = 1.0.10.0
    WebmasterVersion = 3
    ManifestUrl = $base/manifest.xml
    RegistrationUrl = $base/register
    DistributionId = e2e-1
    NuvexaCode = e2e
  </texts>
  <game name="Backgammon" url="$base/games/backgammon.html" picture="$pictures/backgammon.png"/>
  <game name="Blackjack" url="$base/games/blackjack.html" picture="$pictures/blackjack.png"/>
$extra_games
  <game name="Chess" url="$base/games/chess.html" picture="$pictures/chess.png" flags="favorite"/>
  <game name="Space Shooter" url="$base/games/space-shooter.html"
        picture="$pictures/space-shooter.png" flags="favorite full-screen controlled"/>
</catalogue>
EOF
  "$cfg_tool" pack "$dir/catalogue.xml" "$dir/bin/tivora.cfg" >/dev/null
}
# A port below the ephemeral range, picked again when taken.
for _ in 1 2 3 4 5; do
  port=$((20000 + RANDOM % 12000))
  write_catalogue "$port" || fail "cannot pack the catalogue"
  "$build/tivora-demo-server" --port "$port" --catalogue "$dir/bin/tivora.cfg" >"$dir/demo.log" 2>&1 &
  server=$!
  wait_until 10 grep -q 'listening' "$dir/demo.log" && break
  wait "$server" 2>/dev/null
  server=
done
[ -n "$server" ] || fail "the demo server found no free port"
site="http://127.0.0.1:$port"

desktop_start_x "$dir" -br || fail "no X server"
export QT_QPA_PLATFORM=xcb
desktop_start_wm "$dir" || fail "no window manager"
desktop_start_bus "$dir" || fail "no session bus"
desktop_start_standin "$dir" "$build/tivora-desktop-standin" || fail "no tray host"
if [ "$group" = a11y ]; then
  desktop_start_a11y "$dir" || fail "no accessibility bus"
fi

# --- the bar --------------------------------------------------------------------------------
bar='' window='' X='' Y='' W='' H=''

# Reads the bar window's place and size into X Y W H.
geometry() {
  X='' Y='' W='' H=''
  while IFS='=' read -r name value; do
    case "$name" in
      X) X=$value ;; Y) Y=$value ;; WIDTH) W=$value ;; HEIGHT) H=$value ;;
    esac
  done < <(xdotool getwindowgeometry --shell "$window" 2>/dev/null)
  [ -n "$W" ]
}
find_window() {
  window=$(xdotool search --onlyvisible --pid "$bar" --name '^Toolbar main window$' 2>/dev/null |
    head -n 1)
  [ -n "$window" ]
}
shown() { xdotool search --onlyvisible --pid "$bar" --name '^Toolbar main window$' >/dev/null 2>&1; }
hidden() { kill -0 "$bar" 2>/dev/null && ! shown; }
# at X Y W H: the bar is on screen there, that size.
at() { shown && geometry && [ "$X $Y $W $H" = "$*" ]; }

# The running bar's tray item on the bus, as the tray host knows it: sets item (its bus name)
# and item_path. An item of a bar that ended may still be listed for a moment.
item='' item_path=''
find_item() {
  local entry name owner
  for entry in $(gdbus call --session --dest org.kde.StatusNotifierWatcher \
    --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -o "'[^']*'" | tr -d "'"); do
    # An entry is a bus name, optionally followed by the object path.
    name=${entry%%/*}
    owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null |
      grep -oE '[0-9]+' | tail -n 1)
    if [ "$owner" = "$bar" ]; then
      item=$name
      item_path=/StatusNotifierItem
      [[ $entry == */* ]] && item_path=/${entry#*/}
      return 0
    fi
  done
  return 1
}
activate() {
  gdbus call --session --dest "$item" --object-path "$item_path" \
    --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "Activate was refused"
}

start_bar() {
  "$dir/bin/tivora" >>"$dir/bar.log" 2>&1 &
  bar=$!
  bars+=("$bar")
  desktop_wait_until "$bar" "the bar" find_window || fail "the bar did not come on screen"
  # The window shows before the bar has finished starting; a press taken up that late starts
  # the window manager's move after the pointer has moved on. The bar's answer on the bus
  # comes from the same thread as its input, once the start is done.
  wait_until 10 find_item || fail "the bar put no item in the tray"
  gdbus call --session --dest "$item" --object-path "$item_path" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Status >/dev/null ||
    fail "the bar does not answer on the bus"
  geometry || fail "the bar's window has no geometry"
}
# Ends the bar with SIGTERM, as a session's end does; it must end in order (status 0).
terminate_bar() {
  kill -TERM "$bar"
  expect_end
}
expect_end() {
  wait_until 15 eval '! kill -0 "$bar" 2>/dev/null' || fail "the bar did not end"
  local status=0
  wait "$bar" || status=$?
  [ "$status" -eq 0 ] || fail "the bar ended with status $status"
  bar=
}

click() { xdotool mousemove --sync "$1" "$2" click 1; }

# The nth start of the browser stub had these arguments.
expect_browser() {
  local n=$1 expected=$2
  wait_until 10 eval '[ "$(wc -l <"$dir/browser.log")" -ge "$n" ]' ||
    fail "browser start $n never came (expected: $expected)"
  local got
  got=$(sed -n "${n}p" "$dir/browser.log")
  [ "$got" = "$expected" ] || fail "browser start $n: got '$got', expected '$expected'"
}

# Drags the bar by its own surface (left of the search box, above the favourites) towards DX DY
# and leaves X Y where it ended. After the press the pointer goes back and forth by 24 pixels
# until the window follows: the window manager takes the pointer over only once the bar has
# taken up the press, and a long way travelled before that left the move stuck on a loaded
# machine. Then the pointer goes to the target and back and forth by 16 pixels until the window
# is near it (the move is anchored where the pointer was when the window manager took over),
# and only then is the button let go.
drag_bar() {
  local dx=$1 dy=$2 x0=$X y0=$Y
  local sx=$((X + 60)) sy=$((Y + 10))
  xdotool mousemove --sync "$sx" "$sy" mousedown 1
  local n=0
  begun() {
    n=$((n + 1))
    xdotool mousemove --sync $((sx + 24 * (1 + n % 2))) $((sy + 24 * (1 + n % 2)))
    geometry && [ "$X $Y" != "$x0 $y0" ]
  }
  wait_until 10 begun || { xdotool mouseup 1; fail "the bar did not follow the pointer"; }
  near() { [ $(($1 - $2)) -le 48 ] && [ $(($2 - $1)) -le 48 ]; }
  followed() {
    xdotool mousemove $((sx + dx - 16)) $((sy + dy - 16)) mousemove --sync $((sx + dx)) $((sy + dy))
    geometry && near "$X" $((x0 + dx)) && near "$Y" $((y0 + dy))
  }
  wait_until 10 followed || { xdotool mouseup 1; fail "the drag left the bar at $X,$Y"; }
  xdotool mouseup 1
  geometry
}

case "$group" in
launch)
  start_bar
  # The first favourite, a plain game: a new window on its address.
  click $((X + 34)) $((Y + 33))
  expect_browser 1 "--new-window $site/games/chess.html"

  # The drop-down under the all-games button; the second row is the second other game.
  before=$(xdotool search --onlyvisible --pid "$bar" '' 2>/dev/null | sort)
  click $((X + 275)) $((Y + 34))
  dropdown() {
    list=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$bar" '' 2>/dev/null |
      sort) | head -n 1)
    [ -n "$list" ]
  }
  wait_until 10 dropdown || fail "the drop-down did not open"
  eval "$(xdotool getwindowgeometry --shell "$list" | sed 's/^/L/')"
  click $((LX + LWIDTH / 2)) $((LY + 34))
  expect_browser 2 "--new-window $site/games/blackjack.html"
  wait_until 10 eval '! xdotool search --onlyvisible --pid "$bar" "" | grep -qx "$list"' ||
    fail "the drop-down stayed open after its row was clicked"

  # A search with an ampersand and blanks, sent with Enter: every one of them encoded.
  click $((X + 200)) $((Y + 12))
  # Keys go where the X server has the focus: the window manager gives it on the click, in its
  # own time.
  focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
  wait_until 10 focused || fail "the click did not give the bar the keyboard"
  xdotool type --delay 20 'cats & dogs'
  xdotool key Return
  expect_browser 3 "$search_base/search/search.php?Terms=cats%20%26%20dogs&affiliate=e2e"
  ;;

place)
  start_bar
  [ "$W $H" = "357 46" ] || fail "a first start is not in the normal size: ${W}x$H"
  drag_bar 200 300
  moved="$X $Y"
  terminate_bar
  start_bar
  wait_until 5 at $moved 357 46 || fail "after a restart the bar is at $X,$Y ${W}x$H, not at $moved"

  # The size button (the lower one at the right) makes it mini where it was, and it starts so.
  click $((X + 351)) $((Y + 30))
  wait_until 10 at $moved 320 25 || fail "the size button left the bar at $X,$Y ${W}x$H"
  terminate_bar
  start_bar
  wait_until 5 at $moved 320 25 || fail "the mini bar restarted at $X,$Y ${W}x$H"
  terminate_bar
  ;;

tray)
  start_bar
  # Hosts that list their items by title show the program's name.
  title=$(gdbus call --session --dest "$item" --object-path "$item_path" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Title)
  [ "$title" = "(<'Tivora'>,)" ] || fail "the tray item's title is $title"
  activate
  wait_until 10 hidden || fail "Activate did not hide the bar"
  activate
  wait_until 10 shown || fail "Activate did not show the bar again"

  # Hidden with its own button, a second start brings it back and ends itself.
  geometry
  click $((X + 351)) $((Y + 16))
  wait_until 10 hidden || fail "the hide button did not hide the bar"
  "$dir/bin/tivora" >>"$dir/bar.log" 2>&1 &
  second=$!
  bars+=("$second")
  wait_until 10 eval '! kill -0 "$second" 2>/dev/null' || fail "the second start did not end"
  wait_until 10 shown || fail "a second start did not bring the hidden bar back"

  # Exit from the tray menu ends the bar in order, with the place it was moved to saved.
  find_window && geometry
  drag_bar 150 400
  moved="$X $Y"
  menu=$(gdbus call --session --dest "$item" --object-path "$item_path" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu |
    grep -o "'/[^']*'" | tr -d "'")
  [ -n "$menu" ] || fail "the tray item has no menu"
  layout=$(gdbus call --session --dest "$item" --object-path "$menu" \
    --method com.canonical.dbusmenu.GetLayout 0 'int32 -1' '@as []')
  # The item's label may carry its mnemonic mark.
  exit_id=$(grep -oE "\(([0-9]+), \{[^}]*'label': <'[_&]?E[_&]?xit'>" <<<"$layout" | head -n 1 |
    grep -oE '^\([0-9]+' | tr -d '(')
  [ -n "$exit_id" ] || fail "no Exit in the tray menu: $layout"
  gdbus call --session --dest "$item" --object-path "$menu" --method com.canonical.dbusmenu.Event \
    "$exit_id" clicked '<int32 0>' 0 >/dev/null || fail "the menu refused the click on Exit"
  expect_end
  start_bar
  wait_until 5 at $moved 357 46 || fail "after Exit the bar restarted at $X,$Y, not at $moved"
  terminate_bar
  ;;

game)
  # The automation browser's host, and every process below it.
  host_pid() { pgrep -f -- "^$dir/bin/tivora-browser-host --socket " ; }
  tree() {
    local pids=("$@") i child
    for ((i = 0; i < ${#pids[@]}; i++)); do
      for child in $(cat /proc/"${pids[i]}"/task/*/children 2>/dev/null); do pids+=("$child"); done
    done
    echo "${pids[@]}"
  }
  # Sockets of the machine in the TCP LISTEN state, as "socket:[inode]".
  tcp_listeners() {
    awk 'FNR > 1 && $4 == "0A" { print "socket:[" $10 "]" }' /proc/net/tcp /proc/net/tcp6
  }
  games() { xdotool search --onlyvisible --name "Space Shooter" 2>/dev/null | wc -l; }

  start_bar
  # The second favourite runs in the automation browser, full screen.
  click $((X + 1 + 67 + 33)) $((Y + 33))
  "$page_point" "$dir/data/Tivora/browser" /games/space-shooter.html flash real \
    goCasino CloseGame >/dev/null || fail "the game's page did not come up with its functions taken over"
  # The browser names its window after the page a moment after the page is in.
  wait_until 10 eval '[ "$(games)" -eq 1 ]' || fail "no window shows the game"

  # Only the user's own processes can drive the browser: nothing of it listens on the network.
  host=$(host_pid)
  [ -n "$host" ] || fail "no browser host runs"
  browser_tree=$(tree "$host")
  [ "$(wc -w <<<"$browser_tree")" -ge 3 ] || fail "the host has no browser below it: $browser_tree"
  listeners=$(tcp_listeners)
  for pid in $browser_tree; do
    for fd in /proc/"$pid"/fd/*; do
      link=$(readlink "$fd" 2>/dev/null) || continue
      grep -qxF "$link" <<<"$listeners" && fail "process $pid of the browser listens on TCP ($link)"
    done
  done

  # The bar ends: the game stays. A new bar drives the same browser.
  terminate_bar
  sleep 1
  [ "$(games)" -eq 1 ] || fail "the game's window went with the bar"
  start_bar
  # The first game fills the screen above everything while it has the focus: the user brings
  # the bar forward first.
  xdotool windowactivate "$window" 2>/dev/null
  wait_until 10 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]' ||
    fail "the new bar did not come forward"
  click $((X + 1 + 67 + 33)) $((Y + 33))
  wait_until 20 eval '[ "$(games)" -eq 2 ]' || fail "the new bar opened no second game window"
  point=$("$page_point" "$dir/data/Tivora/browser" /games/space-shooter.html flash real \
    goCasino CloseGame) || fail "the new bar did not take the second game's functions over"
  [ "$(host_pid)" = "$host" ] || fail "the new bar started another browser host: $(host_pid)"

  # "Play for real", clicked: the real site opens in the plain browser, the game closes.
  click $point
  expect_browser 1 "--new-window $site/casino.html"
  wait_until 10 eval '[ "$(games)" -eq 1 ]' || fail "the game's window stayed open"
  terminate_bar
  ;;

keys)
  start_bar
  # The keyboard reaches the bar as the desktop brings it forward; it starts in the search box.
  xdotool windowactivate "$window" 2>/dev/null
  wait_until 10 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]' ||
    fail "the bar did not come forward"
  # Search button, first favourite, second favourite: Space presses it.
  xdotool key --delay 50 Tab Tab Tab space
  expect_browser 1 "--new-window $site/games/chess.html"

  # On to the third favourite and the all-games button: Down opens the list on its first row,
  # Down goes to the second, Enter opens it.
  before=$(xdotool search --onlyvisible --pid "$bar" '' 2>/dev/null | sort)
  xdotool key --delay 50 Tab Tab Down
  dropdown() {
    comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$bar" '' 2>/dev/null |
      sort) | grep -q .
  }
  wait_until 10 dropdown || fail "Down on the all-games button did not open the list"
  xdotool key --delay 50 Down Return
  expect_browser 2 "--new-window $site/games/blackjack.html"
  wait_until 10 eval '! dropdown' || fail "the list stayed open after Enter"
  # Shift+Tab goes back the same way: all games, third favourite, second favourite.
  xdotool key --delay 50 shift+Tab shift+Tab space
  expect_browser 3 "--new-window $site/games/chess.html"
  terminate_bar
  ;;

a11y)
  start_bar
  atspi() { /usr/bin/python3 "$here/atspi.py" "$bar" "$@"; }
  atspi tree >"$dir/bar-tree.txt" || fail "the bar is not on the accessibility bus"
  atspi bar || fail "the bar's controls are not all named and roled"
  # A screen reader's user presses a favourite: its address opens.
  atspi press Chess "push button" || fail "Chess could not be pressed"
  expect_browser 1 "--new-window $site/games/chess.html"
  # The drop-down's rows, each its game; activated, a row opens its game.
  rows=$(atspi rows) || fail "the drop-down's rows could not be read"
  grep -q "'All games'.*: Backgammon, Blackjack$" <<<"$rows" ||
    fail "the drop-down lists: $rows"
  atspi activate Blackjack || fail "the row Blackjack could not be activated"
  expect_browser 2 "--new-window $site/games/blackjack.html"
  atspi settings >"$dir/settings-tree.txt" || fail "the settings dialog is not as a reader needs it"
  echo "--- the bar as an assistive technology reads it"
  cat "$dir/bar-tree.txt"
  echo "--- the drop-down, opened by its button's press"
  echo "$rows"
  echo "--- the settings dialog"
  cat "$dir/settings-tree.txt"
  terminate_bar
  ;;

*)
  echo "unknown group: $group" >&2
  exit 2
  ;;
esac
echo "PASS ($group)"
