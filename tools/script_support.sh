# Shared by the scripts that make pictures (sourced, not run).

# require_debian_packages SCRIPT PACKAGE...: stops with a message unless every package is installed.
# Packages are checked rather than commands: a fresh machine may carry an
# unrelated `convert` first on PATH.
require_debian_packages() {
  local script=$1
  shift
  for package in "$@"; do
    if ! dpkg -s "$package" > /dev/null 2>&1; then
      echo "$script: Debian package $package is needed (apt-get install $package)" >&2
      exit 1
    fi
  done
}

# Sets IM to ImageMagick's own convert binary, and one thread so output is reproducible.
find_imagemagick() {
  IM=""
  for candidate in /usr/bin/convert-im6.q16 /usr/bin/magick /usr/bin/convert; do
    if [ -x "$candidate" ]; then IM=$candidate; break; fi
  done
  [ -n "$IM" ] || { echo "no ImageMagick binary found" >&2; exit 1; }
  export MAGICK_THREAD_LIMIT=1
}
