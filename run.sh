#!/usr/bin/env bash
# Builds Corbelet and starts the game in its run directory (the portable
# layout; the game does not depend on the current folder).
source "$(dirname "$0")/scripts/prepare.sh"
corbelet_install_packages
corbelet_build
exec "$CORBELET_BUILD/run/corbelet" "$@"
