# Sourced after wine-env.sh: a demo host installation in the prefix,
# "C:\Program Files\Sondarix" with SZABLONY\ and the stand-in TARKOMIS.dll,
# and the registry value that points at it. Sets $host (its Unix path).
host="$WINEPREFIX/drive_c/Program Files/Sondarix"
rm -rf "$host"
mkdir -p "$host/SZABLONY"
cp build/win64/hosts/ordinary/TARKOMIS.dll "$host/"
wine reg add 'HKCU\VeSondarix' /v Lokalizacja /t REG_SZ /d 'C:\Program Files\Sondarix' /f >/dev/null 2>&1
