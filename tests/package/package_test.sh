#!/usr/bin/env bash
# The Debian package as an administrator gets it: built by CPack from this build's programs,
# unpacked with dpkg-deb into a scratch root, its debconf set-up run there (DPKG_ROOT, a scratch
# debconf database, no display), the unpacked programs run unattended against a scratch registry,
# the desktop files validated, and lintian without an error.
# Usage: package_test.sh <build directory> <source directory>
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/bv-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_equal() { # what, expected, actual
    [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}
step() { echo "--- $*"; }

# The version the package must carry, derived here from the client's version text on its own.
version_text=$(sed -n 's/.*VersionText = "\(.*\)";.*/\1/p' "$source/src/app/core/AppInfo.h")
version=$(sed -n 's/^\([0-9.]*\) (Build \([0-9]*\)).*/\1.\2/p' <<<"$version_text")
deb=$work/out/brevalis-client_${version}_$(dpkg --print-architecture).deb

step "package"
if ! (cd "$build" && cpack --config CPackConfig.cmake -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
[ -f "$deb" ] || { ls -l "$work/out"; echo "FAIL: no $deb" >&2; exit 1; }
expect_equal "package version" "$version" "$(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6webenginewidgets6 libcurl4 qt6-translations-l10n debconf; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

step "unpacked files"
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
programs=$(cd "$root/usr/bin" && ls | tr '\n' ' ')
splitter=""
[ -x "$root/usr/bin/bvtiffsplit" ] && splitter=bvtiffsplit
expect_equal "programs" "bvals_cl bvlsreg ${splitter:+$splitter }" "$programs"
for file in usr/share/applications/ch.brevalis.client.desktop \
            usr/share/icons/hicolor/scalable/apps/ch.brevalis.client.svg \
            usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/ch.brevalis.client.png \
            usr/share/metainfo/ch.brevalis.client.metainfo.xml \
            usr/share/man/man1/bvals_cl.1.gz usr/share/man/man1/bvlsreg.1.gz \
            usr/share/brevalis-client/machine.reg \
            usr/share/doc/brevalis-client/copyright usr/share/doc/brevalis-client/changelog.gz; do
    [ -s "$root/$file" ] || fail "missing $file"
done
desktop-file-validate "$root/usr/share/applications/ch.brevalis.client.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/ch.brevalis.client.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "metainfo"; }

# The maintainer scripts under the names dpkg gives them, run against the scratch root; debconf
# keeps its database below DPKG_ROOT too. No display: the set-up must not need one.
scripts=$work/scripts
mkdir -p "$scripts" "$root/etc" "$root/var/cache/debconf"
cp /etc/debconf.conf "$root/etc/"
for script in config postinst postrm templates; do
    cp "$work/control/$script" "$scripts/brevalis-client.$script"
done
maintainer() { # script, arguments...
    local script=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY DPKG_ROOT="$root" DEBIAN_FRONTEND=noninteractive ${RECONFIGURE:+DEBCONF_RECONFIGURE=1} \
        "$script" "$@" >>"$work/maintainer.log" 2>&1 || { cat "$work/maintainer.log"; fail "$script $*"; }
}
preseed() {
    echo "brevalis-client brevalis-client/login-url string $1" | DPKG_ROOT="$root" debconf-set-selections
}
answer() { DPKG_ROOT="$root" debconf-show brevalis-client | sed -n 's/^[* ] brevalis-client\/login-url: //p'; }
login_url() { sed -n 's/^"LoginURL"="\(.*\)"$/\1/p' "$key"; }
key=$root/etc/brevalis/machine.reg
default_url=$(sed -n 's/^Default: //p' "$scripts/brevalis-client.templates")

step "installation writes the machine key"
maintainer "$scripts/brevalis-client.postinst" configure
[ -f "$key" ] || { echo "FAIL: no machine key" >&2; exit 1; }
expect_equal "LoginURL" "$default_url" "$(login_url)"
expect_equal "SplitTiffPath" "${splitter:+/usr/bin/$splitter}" \
    "$(sed -n 's/^"SplitTiffPath"="\(.*\)"$/\1/p' "$key")"
expect_equal "modes of the shared directories" "755 1777 1777 1777" \
    "$(cd "$root/var/spool/brevalis" && stat -c %a . abrechnung scan anlagen | tr '\n' ' ' | sed 's/ $//')"

step "the unpacked programs start on it"
registry=$work/registry
mkdir -p "$registry" "$work/spool"
cp "$key" "$registry/machine.reg"
run() { # program, arguments...
    env -u DISPLAY -u WAYLAND_DISPLAY BVALS_REGISTRY_DIR="$registry" BVALS_UI_TRANSCRIPT="$work/transcript" \
        BVALS_UI_ANSWERS="$work/answers" "$@"
}
expect_equal "bvlsreg /W before the first start" "" "$(run "$root/usr/bin/bvlsreg" /W)"
printf 'setup\t%s\tuseproxy 0\tuselan 1\n' "$work/spool" >"$work/answers"
run "$root/usr/bin/bvals_cl" /setup || fail "bvals_cl /setup exit status $?"
expect_equal "setup transcript" $'DIALOG\tbrevalis\topen\nDIALOG\tbrevalis\tclose\tok' "$(cat "$work/transcript")"
expect_equal "bvlsreg /W after the set-up" "$(realpath "$root/usr/bin/bvals_cl")" "$(run "$root/usr/bin/bvlsreg" /W)"
grep -qF "\"LoginURL\"=\"$default_url\"" "$registry/user.reg" || fail "profile lacks the billing centre's address"
grep -qF "\"spooldir\"=\"$work/spool\"" "$registry/user.reg" || fail "profile lacks the spool directory"

step "an upgrade keeps an edited machine key"
sed -i 's/^"UseLan"="1"$/"UseLan"="0"/' "$key"
echo '; edited by the administrator' >>"$key"
cp "$key" "$work/edited.reg"
preseed "https://other.brevalis.ch/login"
maintainer "$scripts/brevalis-client.postinst" configure "$version"
cmp -s "$work/edited.reg" "$key" || fail "upgrade changed the machine key"
expect_equal "debconf follows the machine key" "$default_url" "$(answer)"

step "only reconfiguring changes the address, and nothing else"
# The postinst alone, as after a question answered differently: an upgrade leaves the key as it is.
mkdir -p "$work/answered"
cp "$scripts/brevalis-client.postinst" "$scripts/brevalis-client.templates" "$work/answered/"
preseed "https://neu.brevalis.ch/bvals_cl/login"
maintainer "$work/answered/brevalis-client.postinst" configure "$version"
cmp -s "$work/edited.reg" "$key" || fail "an upgrade with another answer changed the machine key"
RECONFIGURE=1 maintainer "$work/answered/brevalis-client.postinst" configure "$version"
expect_equal "changed lines" "1" "$(diff "$work/edited.reg" "$key" | grep -c '^>')"
expect_equal "new LoginURL" "https://neu.brevalis.ch/bvals_cl/login" "$(login_url)"

step "an address that would break the machine key is not written"
rm "$key"
preseed 'https://x.brevalis.ch/"login'
maintainer "$scripts/brevalis-client.postinst" configure
expect_equal "LoginURL after a bad answer" "$default_url" "$(login_url)"

step "purge removes the machine key and keeps billing files"
echo '<invoice/>' >"$root/var/spool/brevalis/abrechnung/rechnung.xml"
maintainer "$scripts/brevalis-client.postrm" purge
[ ! -e "$root/etc/brevalis" ] || fail "purge left /etc/brevalis"
[ -f "$root/var/spool/brevalis/abrechnung/rechnung.xml" ] || fail "purge removed a billing file"
[ ! -e "$root/var/spool/brevalis/scan" ] || fail "purge left the empty scan directory"
expect_equal "debconf after purge" "" "$(answer)"

step "lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports an error"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "package test passed"
