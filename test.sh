#!/usr/bin/env bash
# Builds Corbelet and runs every test.
source "$(dirname "$0")/scripts/prepare.sh"
corbelet_install_packages
corbelet_build
ctest --test-dir "$CORBELET_BUILD" --output-on-failure --timeout 600
