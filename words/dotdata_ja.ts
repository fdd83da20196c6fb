<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>dotdata</name>
    <message>
        <source>, </source>
        <extracomment>What separates the line numbers in a list of them.</extracomment>
        <translation>、</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <extracomment>%1 the file, %2 the system&apos;s reason</extracomment>
        <translation>ファイルを開けません。
%2</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>ファイルの読み込み中にエラーが発生しました。
%2</translation>
    </message>
    <message>
        <source>%1: not a regular file</source>
        <translation>通常のファイルではありません。</translation>
    </message>
    <message>
        <source>%1: the file is larger than %2 MiB, the most an input is read to: a picture file as written is 5120 bytes, and the largest image dotdata writes is 12 MiB</source>
        <translation>ファイルが大きすぎます (最大 %2 MiB)。
絵のファイルは 5120 バイト、dotdata が書き出す最大の画像は 12 MiB です。</translation>
    </message>
    <message>
        <source>cannot follow the link %1: %2</source>
        <translation>シンボリック リンクをたどれません。
%2</translation>
    </message>
    <message>
        <source>cannot write through the link %1: it changed during the save</source>
        <translation>保存中にシンボリック リンクが変わりました。</translation>
    </message>
    <message>
        <source>cannot create a file in %1: %2</source>
        <extracomment>%1 the folder, %2 the system&apos;s reason</extracomment>
        <translation>フォルダーにファイルを作れません。
%2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>ファイルに書き込めません。
%2</translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation>ファイルを置き換えられません。
%2</translation>
    </message>
    <message>
        <source>cannot replace %1: not a regular file; an output must be one</source>
        <translation>通常のファイルではありません。</translation>
    </message>
    <message>
        <source>%1: the file is %2 text (it begins with a byte-order mark); dotdata reads ASCII text</source>
        <extracomment>%2 UTF-16 or UTF-32</extracomment>
        <translation>%2 のファイルです。
ASCII か UTF-8 のファイルを選んでください。</translation>
    </message>
    <message>
        <source>%1: binary data, no picture file, DATA text or image</source>
        <translation>画像でも文字でもないバイナリ データです。</translation>
    </message>
    <message>
        <source>%1: the file has more than %2 records</source>
        <translation>レコードが多すぎます (最大 %2 件)。</translation>
    </message>
    <message>
        <source>%1: record %2 holds %3, which has no palette colour (0 to 7)</source>
        <extracomment>%2 the record&apos;s number, %3 its value</extracomment>
        <translation>%2 番目のレコードの値 %3 に対応する色がありません (使える値は 0 から 7)。</translation>
    </message>
    <message>
        <source>%1: line %2: the DATA item is not 32 digits 0 to 7</source>
        <translation>%2 行目の DATA が 0 から 7 の 32 桁の数字ではありません。</translation>
    </message>
    <message>
        <source>%1: line %2: %3 digits after DATA, not 32</source>
        <extracomment>%3 how many digits the line has</extracomment>
        <translation>%2 行目の DATA の数字が %3 桁です (32 桁必要です)。</translation>
    </message>
    <message>
        <source>%1: line %2: the digit %3 has no palette colour (0 to 7)</source>
        <translation>%2 行目の DATA の数字 %3 に対応する色がありません (使える数字は 0 から 7)。</translation>
    </message>
    <message>
        <source>%1: %2 DATA lines, not 32 for each picture</source>
        <translation>DATA 行が %2 行あります (絵 1 枚に 32 行必要です)。</translation>
    </message>
    <message>
        <source>%1: %2 pictures, from lines %3; choose one with --sprite</source>
        <extracomment>%2 how many pictures, %3 the line numbers of their first rows</extracomment>
        <translation>%2 枚の絵の DATA があります (最初の行番号: %3)。</translation>
    </message>
    <message>
        <source>%1: no picture %2: the DATA holds %3, from lines %4</source>
        <extracomment>%2 the picture asked for, %3 how many there are, %4 the line numbers of their first rows</extracomment>
        <translation>%2 枚目の絵はありません (DATA にある絵は %3 枚、最初の行番号: %4)。</translation>
    </message>
    <message>
        <source>%1: the %2 image is cut short</source>
        <extracomment>%2 the image&apos;s format: PNG, JPEG ...</extracomment>
        <translation>%2 画像が途中で切れています。</translation>
    </message>
    <message>
        <source>%1: the %2 image is damaged</source>
        <translation>%2 画像が壊れています。</translation>
    </message>
    <message>
        <source>%1: the %2 image is of a kind dotdata does not read</source>
        <translation>この種類の %2 画像は読み込めません。</translation>
    </message>
    <message>
        <source>%1: an image of %2 × %3 pixels; a picture&apos;s is square, 32 × K pixels a side for K from 1 to 64</source>
        <extracomment>%2 the width, %3 the height</extracomment>
        <translation>画像の大きさが %2 × %3 です。
画像は正方形で、一辺が 32 × K ピクセル (K は 1 から 64) でなければなりません。</translation>
    </message>
    <message>
        <source>%1: the %2 × %2 block of column %3, row %4 is not one colour</source>
        <extracomment>%2 the block&apos;s side in pixels, %3 its column and %4 its row, from 0</extracomment>
        <translation>%3 列 %4 行の %2 × %2 ピクセルのブロックが一色ではありません。</translation>
    </message>
    <message>
        <source>%1: a .%2 image holds the picture exactly only up to --scale %3</source>
        <extracomment>%2 the suffix (png), %3 the largest scale, %4 the suffix in capitals (PNG)</extracomment>
        <translation>%4 形式の画像に絵をそのまま書き出せるのは倍率 %3 までです。</translation>
    </message>
    <message>
        <source>%1: a .%2 image cannot hold the picture exactly; images are written as %3</source>
        <extracomment>%2 the suffix (png), %3 the image suffixes dotdata writes, %4 the suffix in capitals (PNG)</extracomment>
        <translation>%4 形式の画像には絵をそのまま書き出せません。</translation>
    </message>
    <message>
        <source>%1: dotdata writes no .%2 files: it writes an image as %3, DATA text as .bas .txt, a picture file as .dat .log or with no suffix</source>
        <extracomment>%2 the suffix, %3 the image suffixes dotdata writes</extracomment>
        <translation>拡張子 .%2 の形式には書き出せません。</translation>
    </message>
    <message>
        <source>the start number &quot;%1&quot; is not a decimal number</source>
        <translation>数値ではありません。
数値を入力してください。</translation>
    </message>
    <message>
        <source>the start number &quot;%1&quot; is outside the range of numbers</source>
        <translation>扱える範囲を超える数値です。
数値を入力してください。</translation>
    </message>
    <message>
        <source>the line number &quot;%1&quot; would be written more than once among the 32 lines</source>
        <translation>桁数が多すぎて、32 行の行番号が重複します。
桁数の少ない数値を入力してください。</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>読込</translation>
    </message>
    <message>
        <source>Save the data</source>
        <translation>データを保存する</translation>
    </message>
    <message>
        <source>Choose a file to open</source>
        <translation>開くファイルを選択下さい</translation>
    </message>
    <message>
        <source>Data files (*.dat *.log)</source>
        <translation>データ ファイル (*.dat *.log)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>The start number &quot;%1&quot;: %2</source>
        <extracomment>%1 the start number as typed, %2 why it is refused</extracomment>
        <translation>開始番号「%1」は%2</translation>
    </message>
    <message>
        <source>Cannot save the file %1:
%2</source>
        <extracomment>%1 the file, %2 why (the file may be left out)</extracomment>
        <translation>ファイルを保存できません: %1
%2</translation>
    </message>
    <message>
        <source>Cannot load the file %1:
%2</source>
        <extracomment>%1 the file, %2 why (the file may be left out)</extracomment>
        <translation>ファイルを読み込めません: %1
%2</translation>
    </message>
    <message>
        <source>%1: line %2: the line number %3 is also that of line %4; BASIC keeps only one line of a number</source>
        <extracomment>%2 the later line, %3 the line number as written, %4 the earlier line</extracomment>
        <translation>%2 行目の行番号 %3 は %4 行目と同じです (BASIC は同じ番号の行を 1 行しか残しません)。</translation>
    </message>
    <message>
        <source>The picture has changed.
Save it before closing?</source>
        <translation>絵が変更されています。
閉じる前に保存しますか？</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存する(&amp;S)</translation>
    </message>
    <message>
        <source>Do&amp;n&apos;t save</source>
        <translation>保存しない(&amp;N)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>%1: %2 pictures; choose one with --sprite</source>
        <extracomment>%2 how many pictures</extracomment>
        <translation>%2 枚の絵があります。</translation>
    </message>
    <message>
        <source>%1: no picture %2: the image holds %3</source>
        <extracomment>%2 the picture asked for, %3 how many there are</extracomment>
        <translation>%2 枚目の絵はありません (画像にある絵は %3 枚)。</translation>
    </message>
    <message>
        <source>%1: %2 pictures or more; one run takes %3 at most</source>
        <extracomment>%2 how many pictures, %3 the most one run takes</extracomment>
        <translation>絵が %2 枚以上あります (一度に扱える絵は %3 枚までです)。</translation>
    </message>
    <message>
        <source>%1: an image of %2 × %3 pixels is no grid of pictures %4 pixels a side</source>
        <extracomment>%2 the width, %3 the height, %4 the side of a picture given with --scale</extracomment>
        <translation>画像の大きさ %2 × %3 は、一辺 %4 ピクセルの絵を並べた大きさではありません。</translation>
    </message>
    <message>
        <source>%1: an image of %2 × %3 pixels is neither square nor one row or column of square pictures; --scale tells a grid&apos;s</source>
        <extracomment>%2 the width, %3 the height</extracomment>
        <translation>画像の大きさが %2 × %3 です。
画像は正方形か、正方形の絵を横一列または縦一列に並べたものでなければなりません。</translation>
    </message>
    <message>
        <source>%1: %2 pictures, and a picture file holds one; choose one with --sprite</source>
        <extracomment>%2 how many pictures</extracomment>
        <translation>絵が %2 枚あります。絵のファイルには 1 枚しか書き出せません。</translation>
    </message>
    <message>
        <source>the line number &quot;%1&quot; would be written more than once in the listing of %2 pictures</source>
        <extracomment>%2 how many pictures the listing holds</extracomment>
        <translation>桁数が多すぎて、%2 枚の絵の行番号が重複します。</translation>
    </message>
</context>
</TS>
