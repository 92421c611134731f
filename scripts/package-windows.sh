#!/usr/bin/env bash
# Builds the Windows programs and packs them for users: build/mingw/package/Tamsolo-VERSION.zip
# with Tamsolo.exe, tamsolo-cli.exe, a sample Tamsolo.ini and a read-me in Japanese and English.
# Usage: scripts/package-windows.sh            builds first (cross-built libraries included)
#        scripts/package-windows.sh --no-build BUILD_DIR   packs what BUILD_DIR holds (the
#                                                          CMake target package_windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
if [[ ${1:-} == --no-build ]]; then
  build=$(cd "$2" && pwd)
else
  cd "$root"
  scripts/build-mingw-deps.sh
  scripts/configure.sh mingw
  cmake --build --preset mingw -j "$(nproc)" --target tamsolo tamsolo-cli
fi
command -v zip >/dev/null || "$root/scripts/install-deps.sh" windows

version=$(sed -nE 's/^project\(tamsolo VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
programs=("$build/app/Tamsolo.exe" "$build/cli/tamsolo-cli.exe")

# The programs must run on a bare Windows: no DLL beyond the system's own (bcrypt.dll, which
# libarchive's Windows crypto calls, is one since Vista).
allowed='^(KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|bcrypt|msvcrt)\.dll$'
for program in "${programs[@]}"; do
  while read -r dll; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$(basename "$program") imports $dll, which a bare Windows may lack" >&2
      exit 1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
done

stage=$build/package/Tamsolo
rm -rf "$stage" "$build/package/Tamsolo-$version.zip"
mkdir -p "$stage"
cp "${programs[@]}" "$stage/"

# ASCII, no byte-order mark, CR LF: the settings file as Windows' own INI reader expects it.
sed 's/$/\r/' >"$stage/Tamsolo.ini" <<'INI'
; Tamsolo settings. Remove the ";" before a key to change it.
; ResampleFilter: 0 Box, 1 Triangle, 2 Hermite, 3 Bell, 4 B-Spline, 5 Lanczos3 (default),
; 6 Mitchell
; Archives: 1 (default) also reads comic archives (.cbz .cbr .cb7 .cbt; .zip .rar .7z .tar
; when dropped themselves) and .webp images; 0 reads only JPEG, PNG and BMP, as before.
; Clean: 1 straightens each scan, crops the scanner bed and blank margins off and turns the
; paper white and the ink black before it is scaled; 0 (default) leaves the images as they are.
[Config]
;ResampleFilter=5
;Archives=1
;Clean=0
INI

# UTF-8 with a byte-order mark, so that Notepad shows the Japanese text on any Windows.
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<'TEXT'
Tamsolo (日本語)
================

スキャンした漫画のページを Lumora 用のページに変換し、LumoraBuilder に本を作らせます。

使い方
1. LumoraBuilder を起動し、「オリジナル書籍」の「イメージデータ」の画面を開きます。
2. Tamsolo.exe を起動します。画面が開いていないと、エラーを表示して終了します。
3. 画像ファイル（JPEG、PNG、BMP、WebP）、コミックアーカイブ（.cbz .cbr .cb7 .cbt）か
   フォルダをウィンドウにドラッグ＆ドロップします。一覧に並んだ順に変換されます。
   同じ名前のフォルダの連続したファイルが一冊の本に、アーカイブ一つが一冊の本になります。
4. 「変換する」を押すと変換が始まり、本が LumoraBuilder に作られます。
   「変換するの待つ」を押すと、変換中のファイルの後で止まります。
5. ウィンドウを閉じると、作業フォルダを消し、LumoraBuilder も閉じます。

設定
Tamsolo.exe と同じフォルダの Tamsolo.ini の [Config] の ResampleFilter で、縮小フィルタを
0～6 で選べます（既定は 5、Lanczos3）。Archives=0 にするとアーカイブと WebP を読まず、
JPEG、PNG、BMP だけを読みます（既定は 1）。Clean=1 にすると、スキャン画像の傾きを直し、
スキャナの台と余白を切り取り、紙を白く、インクを黒くしてから変換します（既定は 0）。

tamsolo-cli.exe はコマンドラインで同じ変換をし、本をフォルダに書き出します
（tamsolo-cli.exe --help）。


Tamsolo (English)
=================

Tamsolo turns scanned manga pages into Lumora reader pages and has LumoraBuilder make books.

How to use it
1. Start LumoraBuilder and open its "オリジナル書籍" / "イメージデータ" screen.
2. Start Tamsolo.exe. Without that screen it shows an error and ends.
3. Drag image files (JPEG, PNG, BMP, WebP), comic archives (.cbz .cbr .cb7 .cbt) or folders
   onto the window. They are converted in the order the list shows; consecutive files from
   folders of one name make one book, and each archive makes one book.
4. Press "変換する" (convert): the files are converted and the books are made in LumoraBuilder.
   Press "変換するの待つ" (hold) to stop after the file being converted.
5. Closing the window removes the work folder and closes LumoraBuilder as well.

Settings
Tamsolo.ini, beside Tamsolo.exe: ResampleFilter in [Config] chooses the scaling filter,
0 to 6 (default 5, Lanczos3); Archives=0 reads only JPEG, PNG and BMP, leaving archives and
.webp files out (default 1, both read too). Clean=1 straightens each scan, crops the scanner
bed and blank margins off and turns the paper white and the ink black before scaling (default
0, images as they are).

tamsolo-cli.exe does the same conversion on the command line and writes the books into
folders (tamsolo-cli.exe --help).
TEXT
} >"$stage/README.txt"

(cd "$build/package" && zip -q -r "Tamsolo-$version.zip" Tamsolo)
echo "$build/package/Tamsolo-$version.zip"
