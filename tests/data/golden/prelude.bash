# Helpers for the golden cases. Each case's `run` is sourced after this file, in an empty
# folder; $CASE is the case's folder, $GOLDEN this one.
zuv() { "$ZUV" "$@"; }

# make_set [zuv pack options]: packs the case's product/ folder (or the shared one beside this
# file) into set/, without a word, and puts the case's install.cfg and an install.exe beside it.
make_set() {
  local product="$CASE/product"
  [ -d "$product" ] || product="$GOLDEN/product"
  "$ZUV" pack -o set "$@" "$product"/* >/dev/null || { echo "make_set: zuv pack failed"; return 1; }
  if [ -f "$CASE/install.cfg" ]; then cp "$CASE/install.cfg" set/; fi
  printf 'MZ' >set/install.exe
}

# damage FILE OFFSET: turns the byte at OFFSET of FILE into its complement.
damage() {
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((255 - byte)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# make_setup: a folder setup/ holding a stand-in install.exe, for zuv build --setup.
make_setup() {
  mkdir -p setup
  printf 'MZ' >setup/install.exe
}

# make_product: a copy of the shared product in product/, every file dated 2001-02-03 04:05
# (local time), so that listings do not depend on the checkout.
make_product() {
  cp -r "$GOLDEN/product" product
  find product -exec touch -d "2001-02-03 04:05" {} +
}
