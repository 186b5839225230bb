# Sourced by the scripts: installs what the build needs and configures it.
packages=(build-essential cmake libgtest-dev qt6-base-dev nlohmann-json3-dev fonts-liberation2)
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh "${packages[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
