# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Sourced by the scripts that run cvlc: VLC refuses to run as root, so as
# root `vlc_as_user` runs a command as ZRV_VLC_USER (default zrvvlc), an
# ordinary user made beforehand (useradd -M zrvvlc); otherwise it is empty.
vlc_as_user=()
if [ "$(id -u)" = 0 ]; then
  vlc_user=${ZRV_VLC_USER:-zrvvlc}
  id "$vlc_user" >/dev/null 2>&1 || {
    echo "VLC refuses to run as root: make the user $vlc_user (useradd -M $vlc_user) or name another in ZRV_VLC_USER" >&2
    exit 1
  }
  vlc_as_user=(runuser -u "$vlc_user" --)
fi
