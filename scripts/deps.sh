#!/bin/sh
# Installs what building LibCommonCfg, its tool and its test suite needs on
# Debian 12 (as root).
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  ca-certificates cmake make g++ pkg-config git \
  qtbase5-dev qt6-base-dev qt6-5compat-dev \
  libgtest-dev googletest \
  locales \
  acl strace python3 groff-base jq patch
# qt6-base-dev and qt6-5compat-dev: the build against Qt 6 (QTextCodec, which
# the typed helpers take from clients, is in the compatibility module).
# acl and strace: the tool's safety tests set an ACL on a file and watch the
# saves sync the file and its folder. python3: the exported-symbol check.
# groff-base and jq: the tool's tests set its manual page and parse its JSON.
# patch: applies the diffs the tool prints, in the tool's diff test.
