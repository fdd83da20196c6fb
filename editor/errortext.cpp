// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "errortext.h"

#include "dotdata/fileio.h"
#include "dotdata/picture.h"

#include <QCoreApplication>

#include <cstring>

using namespace Qt::StringLiterals;

namespace dotdata::editor {

QString text(const char *source)
{
    return QCoreApplication::translate("EditorWindow", source);
}

QString reasonText(const Error &error)
{
    const QString numbers = QString::fromStdString(error.text).replace(u' ', u"、"_s);
    QString reason;
    switch (error.kind) {
    case ErrorKind::CannotOpen:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "ファイルを開けません。"));
        break;
    case ErrorKind::CannotRead:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow", "ファイルの読み込み中にエラーが発生しました。"));
        break;
    case ErrorKind::NotAFile:
    case ErrorKind::OutputNotAFile:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "通常のファイルではありません。"));
        break;
    case ErrorKind::TooLarge:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow",
                "ファイルが大きすぎます (最大 %1 MiB)。\n絵のファイルは 5120 バイトです。"))
                     .arg(kMaxInputBytes / (1024 * 1024));
        break;
    case ErrorKind::CannotFollowLink:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "シンボリック リンクをたどれません。"));
        break;
    case ErrorKind::LinkChanged:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow", "保存中にシンボリック リンクが変わりました。"));
        break;
    case ErrorKind::CannotCreate:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "フォルダーにファイルを作れません。"));
        break;
    case ErrorKind::CannotWrite:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "ファイルに書き込めません。"));
        break;
    case ErrorKind::CannotReplace:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "ファイルを置き換えられません。"));
        break;
    case ErrorKind::WideText:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "%1 のファイルです。\nASCII か UTF-8 のファイルを選んでください。"))
                     .arg(QString::fromStdString(error.text));
        break;
    case ErrorKind::BinaryData:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow", "画像でも文字でもないバイナリ データです。"));
        break;
    case ErrorKind::TooManyRecords:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "レコードが多すぎます (最大 %1 件)。"))
                     .arg(kEntries);
        break;
    case ErrorKind::NoColor:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow",
                "%1 番目のレコードの値 %2 に対応する色がありません (使える値は 0 から 7)。"))
                     .arg(error.line)
                     .arg(error.value);
        break;
    case ErrorKind::DataItem:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "%1 行目の DATA が 0 から 7 の 32 桁の数字ではありません。"))
                     .arg(error.line);
        break;
    case ErrorKind::DataLineLength:
        reason = text(QT_TRANSLATE_NOOP(
                          "EditorWindow", "%1 行目の DATA の数字が %2 桁です (32 桁必要です)。"))
                     .arg(error.line)
                     .arg(error.value);
        break;
    case ErrorKind::DataDigit:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow",
                "%1 行目の DATA の数字 %2 に対応する色がありません (使える数字は 0 から 7)。"))
                     .arg(error.line)
                     .arg(error.value);
        break;
    case ErrorKind::DataLineCount:
        reason = text(QT_TRANSLATE_NOOP(
                          "EditorWindow", "DATA 行が %1 行あります (絵 1 枚に 32 行必要です)。"))
                     .arg(error.value);
        break;
    case ErrorKind::Sprites:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow", "%1 枚の絵の DATA があります (最初の行番号: %2)。"))
                     .arg(error.value)
                     .arg(numbers);
        break;
    case ErrorKind::NoSuchSprite:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "%1 枚目の絵はありません (DATA にある絵は %2 枚、最初の行番号: %3)。"))
                     .arg(error.line)
                     .arg(error.value)
                     .arg(numbers);
        break;
    case ErrorKind::DataLineRepeated:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "%1 行目の行番号 %2 は %3 行目と同じです (BASIC は同じ番号の行を 1 "
                          "行しか残しません)。"))
                     .arg(error.line)
                     .arg(QString::fromStdString(error.text))
                     .arg(error.value);
        break;
    case ErrorKind::ImageCutShort:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "%1 画像が途中で切れています。"))
                     .arg(QString::fromStdString(error.text));
        break;
    case ErrorKind::ImageDamaged:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "%1 画像が壊れています。"))
                     .arg(QString::fromStdString(error.text));
        break;
    case ErrorKind::ImageUnsupported:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "この種類の %1 画像は読み込めません。"))
                     .arg(QString::fromStdString(error.text));
        break;
    case ErrorKind::ImageSize:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "画像の大きさが %1 × %2 です。\n画像は正方形で、一辺が 32 × K "
                          "ピクセル (K は 1 から 64) でなければなりません。"))
                     .arg(error.column)
                     .arg(error.line);
        break;
    case ErrorKind::ImageBlock:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
                          "%1 列 %2 行の %3 × %3 ピクセルのブロックが一色ではありません。"))
                     .arg(error.column)
                     .arg(error.line)
                     .arg(error.value);
        break;
    case ErrorKind::CannotWriteImage:
        reason = error.value > 0
            ? text(QT_TRANSLATE_NOOP("EditorWindow",
                       "%1 形式の画像に絵をそのまま書き出せるのは倍率 %2 までです。"))
                  .arg(QString::fromStdString(error.text).toUpper())
                  .arg(error.value)
            : text(
                QT_TRANSLATE_NOOP("EditorWindow", "%1 形式の画像には絵をそのまま書き出せません。"))
                  .arg(QString::fromStdString(error.text).toUpper());
        break;
    case ErrorKind::UnknownSuffix:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow", "拡張子 .%1 の形式には書き出せません。"))
                     .arg(QString::fromStdString(error.text));
        break;
    case ErrorKind::NotANumber:
        reason = text(
            QT_TRANSLATE_NOOP("EditorWindow", "数値ではありません。\n数値を入力してください。"));
        break;
    case ErrorKind::NumberOutOfRange:
        reason = text(QT_TRANSLATE_NOOP(
            "EditorWindow", "扱える範囲を超える数値です。\n数値を入力してください。"));
        break;
    case ErrorKind::LineNumbersRepeat:
        reason = text(QT_TRANSLATE_NOOP("EditorWindow",
            "桁数が多すぎて、32 行の行番号が重複します。\n桁数の少ない数値を入力してください。"));
        break;
    }
    // The system's own wording of its reason follows the user's language setting.
    if (error.systemError != 0)
        reason += QLatin1Char('\n') + QString::fromLocal8Bit(std::strerror(error.systemError));
    return reason;
}

} // namespace dotdata::editor
