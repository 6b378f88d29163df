#!/usr/bin/env bash
# Builds Corbelet and runs every test (every tier: unit, e2e, package, fuzz).
#   ./test.sh             builds into build/
#   ./test.sh --sanitize  builds into build-asan/ with AddressSanitizer and
#                         UndefinedBehaviorSanitizer, and runs every test there
source "$(dirname "$0")/scripts/prepare.sh"
options=(-DCORBELET_SANITIZE=OFF)
case "${1-}" in
    "") ;;
    --sanitize)
        CORBELET_BUILD=$CORBELET_ROOT/build-asan
        options=(-DCORBELET_SANITIZE=ON)
        ;;
    *)
        echo "usage: $0 [--sanitize]" >&2
        exit 2
        ;;
esac
corbelet_install_packages
corbelet_build "${options[@]}"
# Every test, as many at a time as there are processors: most of them wait
# (for a sound to play, a window, a server) more than they compute, and each
# works in folders, displays and ports of its own. `ctest -L unit` is the
# fast tier.
ctest --test-dir "$CORBELET_BUILD" --output-on-failure --timeout 600 --parallel "$(nproc)"
