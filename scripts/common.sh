# Sourced by the scripts: installs what the build and the tests need.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh build-essential cmake libgtest-dev qt6-base-dev nlohmann-json3-dev fonts-liberation2 zlib1g-dev libsqlite3-dev
