#!/bin/sh
# Installs what building, running and testing need on Debian 12.
set -eu
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev \
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev \
    qt6-multimedia-dev \
    ffmpeg dvdauthor dbus libdvdread-dev libdvdnav-dev genisoimage \
    desktop-file-utils appstream man-db dpkg-dev file \
    clang-format clang libclang-rt-14-dev
