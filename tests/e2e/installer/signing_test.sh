#!/usr/bin/env bash
# installer/sign with a certificate made here (with a password): the signed
# package and program pass osslsigncode verify with that certificate as the
# trusted root; the package fails against another root, and unsigned.
#   signing_test.sh WINDOWS_BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:?usage: signing_test.sh WINDOWS_BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir bin
cp "$build/server/shell/tesmar.exe" "$build/client/shell/wenlo.exe" bin/

certificate() { # NAME: NAME.pem (certificate) and NAME.pfx (with its key)
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
        -subj "/CN=$1" -addext extendedKeyUsage=codeSigning 2>/dev/null
    openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.pfx" -passout pass:test-secret
}
certificate signer
certificate stranger

timeout 120 "$root/installer/build-packages" 1.0.0 bin out >/dev/null
package=out/tesmar-1.0.0.msi
cp "$package" unsigned.msi
SIGN_PASSWORD=test-secret timeout 120 "$root/installer/sign" signer.pfx "$package" bin/tesmar.exe

fail=0
check() { # EXPECTED(accepted|refused) FILE CA
    if timeout 60 osslsigncode verify -CAfile "$3" -in "$2" >verify.txt 2>&1; then got=accepted; else got=refused; fi
    if [ "$got" != "$1" ]; then
        echo "FAILED: $2 against $3 was $got, expected $1:"; cat verify.txt; fail=1
    fi
}
check accepted "$package" signer.pem
check accepted bin/tesmar.exe signer.pem
check refused "$package" stranger.pem
check refused unsigned.msi signer.pem
# A wrong password signs nothing and leaves the file as it was.
if SIGN_PASSWORD=wrong timeout 120 "$root/installer/sign" signer.pfx unsigned.msi 2>/dev/null; then
    echo "FAILED: signing with a wrong password reported success"; fail=1
fi
check refused unsigned.msi signer.pem
[ "$fail" -eq 0 ] && echo "signing: ok"
exit "$fail"
