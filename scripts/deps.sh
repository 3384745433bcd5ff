#!/bin/sh
# Installs what building and testing LibCommonCfg needs on Debian 12 (as root).
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  ca-certificates cmake make g++ pkg-config \
  qtbase5-dev \
  libgtest-dev googletest \
  locales valgrind doxygen
