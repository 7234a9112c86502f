# The machine key of the client and the place where its default configuration ("CH") keeps the
# billing centre's address. Shared by the config and postinst scripts.
MACHINE_KEY="${DPKG_ROOT:-}/etc/brevalis/machine.reg"
LOGIN_SECTION='HKEY_LOCAL_MACHINE\SOFTWARE\Brevalis - Abrechnungsservice für Heilberufe\BVALS_CL_CH\General'
DEFAULT_LOGIN_URL='@BV_DEFAULT_LOGIN_URL@'
export LOGIN_SECTION

# An address the client can log in at: http or https, no blanks, control characters, quotation
# marks or backslashes (the key's text format would need escapes), shorter than the client's
# 1024-byte read buffer.
login_url_valid() {
    case "$1" in
        http://?* | https://?*) ;;
        *) return 1 ;;
    esac
    case "$1" in
        *[[:space:][:cntrl:]\"\\]*) return 1 ;;
    esac
    [ "${#1}" -lt 1024 ]
}

# The LoginURL of the default configuration as the machine key holds it; nothing when there is
# none. Key and value names compare case-insensitively, as in the registry.
machine_key_login_url() {
    [ -f "$MACHINE_KEY" ] || return 0
    awk '
        BEGIN { want = tolower(ENVIRON["LOGIN_SECTION"]) }
        { line = $0; sub(/^[ \t]+/, "", line); sub(/[ \t\r]+$/, "", line) }
        substr(line, 1, 1) == "[" { key = tolower(substr(line, 2, length(line) - 2)); next }
        key == want && tolower(line) ~ /^"loginurl"[ \t]*=[ \t]*"/ {
            sub(/^[^=]*=[ \t]*"/, "", line); sub(/"$/, "", line); print line; exit
        }' "$MACHINE_KEY"
}
