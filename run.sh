#!/usr/bin/env bash
# Builds Corbelet and starts the game from its run directory.
source "$(dirname "$0")/scripts/prepare.sh"
corbelet_install_packages
corbelet_build
cd "$CORBELET_BUILD/run"
exec ./corbelet "$@"
